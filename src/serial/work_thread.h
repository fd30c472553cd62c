#pragma once
// The I/O thread of TSerialPort. While the port is open it polls the lines
// and the device status, cuts received bytes into clusters, finishes the
// component's outstanding write and carries events and reports over to the
// GUI thread; while the port is closed it idles. It never spins: every pass
// blocks in the device's wait, and a device that hung up is left alone
// until the GUI thread has closed it.
#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <thread>

#include "serial/serial_device.h"

namespace varnek {

class TSerialPort;
struct SerialThreadLife;

// Milliseconds from a steady clock, wrapping in 32 bits; differences are
// taken modulo 2^32.
uint32_t SerialTick();

class TWorkThread {
 public:
  explicit TWorkThread(TSerialPort& port);
  ~TWorkThread();  // joins
  void Terminate() { terminated_ = true; }
  bool Joinable() const { return thread_.joinable(); }
  void Join();
  // Lets the thread go on alone (the component gave up waiting for it).
  void Detach();
  std::thread::native_handle_type NativeHandle() { return thread_.native_handle(); }

 private:
  void Run();
  void Execute();
  void ServicePass();
  // The modem lines when due (or `linesChanged`), then the error word and
  // queue counts.
  void PollModemAndErrors(bool linesChanged = false);
  void ReadModem();
  void ReadStatus();
  void TryRead();
  // TryRead with an answer framer: reads what has arrived at once and hands
  // over complete answers.
  void TryReadFramed();
  void HandOverPending(size_t count);
  void FinishRead(const char* buffer, size_t got, uint32_t error, uint32_t now);
  void QueueCluster(const char* buffer, size_t count);
  void CheckWriteDone();
  void WaitOnDevice();
  // How long to let the rest of a begun answer arrive before taking it.
  std::chrono::microseconds GatherTime();
  void DispatchCommEvents(uint32_t mask);
  void HandleHangUp(uint32_t error);
  // The one gate to the GUI thread for events and reports.
  void HandOver(const std::function<void()>& work);
  void HandEvent(const std::function<void()>& fire);
  void Report(uint32_t place, uint32_t code, const std::string& msg);
  // The port is open and its device still answers.
  bool Live() const;

  TSerialPort& port_;
  SerialDevice& device_;
  std::atomic<bool> terminated_{false};

  bool servicing_ = false;
  uint32_t lastReadTick_ = 0;
  // Framed reading: bytes taken from the device that do not yet end in a
  // complete answer, and when the last of them came.
  std::string pending_;
  uint32_t lastByteTick_ = 0;
  uint32_t pendingGeneration_ = 0;  // the opening `pending_` was read on
  // Error bits read since the last cluster: the device clears its word on
  // every reading, so the last reading alone would forget them.
  uint32_t lineErrors_ = 0;
  uint32_t lostGeneration_ = 0;  // generation of the port that hung up, 0 none
  uint32_t modemLookTick_ = 0;
  bool statusFresh_ = false;  // the status was read after the last wait

  std::shared_ptr<SerialThreadLife> life_;
  std::thread thread_;
};

}  // namespace varnek
