#pragma once
// TSerialPort: the program's one serial line to the rig. It opens the
// device, applies the line settings, sends byte strings without blocking
// and leaves reception to its I/O thread (TWorkThread), which cuts the
// incoming bytes into clusters, queues them and hands a notice per cluster
// to the GUI thread. Failures never throw; they go to OnProcessError as
// reports (place, code, message, noise 0 error / 1 warning / 2 message).
//
// All public operations belong to the GUI thread. Handlers of the comm
// events (OnCommEvent .. OnRxEventCharEvent, OnCommStat, OnRIEvent) are read
// by the I/O thread: assign them while the port is closed. OnRxClusterEvent,
// OnWriteDone and OnProcessError are only ever read on the GUI thread.
#include <atomic>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>

#include "base/host.h"
#include "serial/serial_device.h"

namespace varnek {

class TSerialPort;
class TWorkThread;

// What the I/O thread and its component share beyond the component's life.
struct SerialThreadLife {
  ~SerialThreadLife();
  std::mutex mutex;
  bool abandoned = false;  // the component is gone: touch nothing of it
  std::unique_ptr<TWorkThread> thread;  // handed over when abandoned
  std::unique_ptr<SerialDevice> device;
};

// One received chunk; owns exactly its bytes.
struct TSerialCluster {
  std::unique_ptr<char[]> Data;  // null for a cluster of 0 bytes
  uint32_t Size = 0;
  uint32_t LineErrors = 0;  // error bits seen since the previous cluster
};

using TNotifyEvent = std::function<void(TSerialPort& sender)>;
// How many leading bytes of what has arrived are complete answers (0: none
// yet). Set on a port, it replaces the cluster rule's quiet time.
using TAnswerFramer = std::function<size_t(std::string_view received)>;
// At least how many more bytes the answer begun in `pending` needs (0: the
// framing cannot tell); the I/O thread sleeps that long instead of waking
// for every byte.
using TAnswerShortfall = std::function<size_t(std::string_view pending)>;
// The place an open failure is reported from (OnProcessError's `place`).
inline constexpr uint32_t kPlaceOpen = 112;

using TNotifyErrorEvent = std::function<void(TSerialPort& sender, uint32_t place, uint32_t code,
                                             const std::string& msg, uint8_t noise)>;

// FlowControl values (bits of the line-settings flag word).
inline constexpr int32_t FlowNone = 0;
inline constexpr int32_t FlowXonXoff = 0x380;
inline constexpr int32_t FlowRtsCts = 0x2004;
inline constexpr int32_t FlowDsrDtr = 0x28;

// Hold flags of CommStateFlags, lowest bit first.
enum TComStateFlag : uint8_t {
  fCtlHold = 0x01,
  fDsrHold = 0x02,
  fRlsHold = 0x04,
  fXoffHold = 0x08,
  fXOffSent = 0x10,
  fEof = 0x20,
  fTxim = 0x40,
};

// The cluster rule: whether `queued` bytes that have waited `elapsedMs`
// since the first pass that saw them are read now.
bool ClusterReadDue(uint32_t queued, uint32_t elapsedMs, bool readRequest, uint32_t clusterSize,
                    uint32_t charDelayUs, uint32_t extraDelayMs, uint32_t lineErrors);
// Milliseconds one byte takes on the line: start bit, data bits, parity bit
// (ParityType other than 0) and stop bits (StopBits 0: one, 1: one and a
// half, 2: two).
double LineByteTimeMs(uint32_t baudRate, uint8_t dataBits, uint8_t parityType, uint8_t stopBits);
// Microseconds per character for a baud rate (the automatic time-outs).
uint32_t CharDelayForBaud(uint32_t baudRate);
// The default sink of reports: one line on stderr.
void LogSerialReport(uint32_t place, uint32_t code, const std::string& msg, uint8_t noise);
// The text a report shows to the user: the message and, with a code, what
// the code means.
std::string SerialReportText(uint32_t code, const std::string& msg);
// A report handler for a window: every report goes to the log; errors
// (noise 0) are also passed to `showError` with SerialReportText.
TNotifyErrorEvent MakeSerialReportHandler(std::function<void(const std::string&)> showError);

class TSerialPort {
 public:
  // `device` defaults to the POSIX terminal device.
  explicit TSerialPort(Host& host, std::unique_ptr<SerialDevice> device = nullptr);
  TSerialPort(const TSerialPort&) = delete;
  TSerialPort& operator=(const TSerialPort&) = delete;
  // Closes the port and ends the thread. Runs on the GUI thread: a thread
  // blocked in a hand-over is let through by running the host's queued work.
  ~TSerialPort();

  // --- properties ---
  bool Active() const { return active_; }
  void SetActive(bool v);
  const std::string& CommPort() const { return commPort_; }
  void SetCommPort(const std::string& v);
  // How CommPort names become device paths (default: DefaultPortPath).
  void SetPortResolver(PortResolver resolver);
  // The device path the current CommPort resolves to.
  std::string DevicePath() const;

  uint32_t BaudRate() const { return baudRate_; }
  void SetBaudRate(uint32_t v);
  uint8_t ParityType() const { return parityType_; }
  void SetParityType(uint8_t v) { SetLine(parityType_, v); }
  char ParityErrorChar() const { return parityErrorChar_; }
  void SetParityErrorChar(char v) { SetLine(parityErrorChar_, v); }
  bool ParityErrorReplacement() const { return parityErrorReplacement_; }
  void SetParityErrorReplacement(bool v) { SetLine(parityErrorReplacement_, v); }
  uint8_t StopBits() const { return stopBits_; }
  void SetStopBits(uint8_t v) { SetLine(stopBits_, v); }
  uint8_t DataBits() const { return dataBits_; }
  void SetDataBits(uint8_t v) { SetLine(dataBits_, v); }
  char XONChar() const { return xonChar_; }
  void SetXONChar(char v) { SetLine(xonChar_, v); }
  char XOFFChar() const { return xoffChar_; }
  void SetXOFFChar(char v) { SetLine(xoffChar_, v); }
  uint8_t XONLimDiv() const { return xonLimDiv_; }
  void SetXONLimDiv(uint8_t v);
  uint8_t XOFFLimDiv() const { return xoffLimDiv_; }
  void SetXOFFLimDiv(uint8_t v);
  int32_t FlowControl() const { return flowControl_; }
  void SetFlowControl(int32_t v) { SetLine(flowControl_, v); }
  bool StripNullChars() const { return stripNullChars_; }
  void SetStripNullChars(bool v) { SetLine(stripNullChars_, v); }
  char EventChar() const { return eventChar_; }
  void SetEventChar(char v) { SetLine(eventChar_, v); }

  uint32_t RTOCharDelayTime() const { return rtoCharDelayTime_; }
  void SetRTOCharDelayTime(uint32_t v) { rtoCharDelayTime_ = v; }
  uint16_t RTOExtraDelayTime() const { return rtoExtraDelayTime_; }
  void SetRTOExtraDelayTime(uint16_t v) { rtoExtraDelayTime_ = v; }
  uint16_t ClusterSize() const { return clusterSize_; }
  void SetClusterSize(uint16_t v) { clusterSize_ = v; }
  uint16_t RxQueueSize() const { return rxQueueSize_; }
  void SetRxQueueSize(uint16_t v);
  uint16_t TxQueueSize() const { return txQueueSize_; }
  void SetTxQueueSize(uint16_t v);
  uint32_t WTOCharDelayTime() const { return wtoCharDelayTime_; }
  void SetWTOCharDelayTime(uint32_t v);
  uint16_t WTOExtraDelayTime() const { return wtoExtraDelayTime_; }
  void SetWTOExtraDelayTime(uint16_t v);
  bool XTOAuto() const { return xtoAuto_; }
  void SetXTOAuto(bool v);

  bool RTSState() const { return rtsState_; }
  void SetRTSState(bool v);
  bool DTRState() const { return dtrState_; }
  void SetDTRState(bool v);
  bool BREAKState() const { return breakState_; }
  void SetBREAKState(bool v);
  bool CTSState() const { return ctsState_; }
  bool DSRState() const { return dsrState_; }
  bool RLSDState() const { return rlsdState_; }
  bool RingState() const { return ringState_; }

  uint8_t ErrorNoise() const { return errorNoise_; }
  void SetErrorNoise(uint8_t v) { errorNoise_ = v; }
  bool ReadRequest() const { return readRequest_; }
  void SetReadRequest(bool v);
  bool SendInProgress() const { return sendInProgress_; }
  uint32_t CommError() const { return commError_; }
  uint8_t CommStateFlags() const { return commStateFlags_; }
  uint32_t CommStateInQueue() const { return commStateInQueue_; }
  uint32_t CommStateOutQueue() const { return commStateOutQueue_; }
  uint32_t ModemState() const { return modemState_; }
  uint32_t CommEvent() const { return commEvent_; }
  uint32_t WrittenBytes() const { return writtenBytes_; }
  bool ThreadQuietMode() const { return threadQuietMode_; }
  void SetThreadQuietMode(bool v) { threadQuietMode_ = v; }
  bool AutoReadRequest() const { return autoReadRequest_; }
  void SetAutoReadRequest(bool v) { autoReadRequest_ = v; }

  // Answer framing. The cluster rule hands a burst over only after the line
  // has been quiet for RTOExtraDelayTime, a quarter of a second per answer.
  // With a framer set, received bytes are taken as they come and a cluster
  // is handed over the moment the framer finds complete answers in it; the
  // bytes after the last complete answer wait for the rest. What never
  // completes (noise, a cut answer) still goes out by the cluster rule,
  // timed from its last byte. An empty framer restores the plain rule.
  void SetAnswerFramer(TAnswerFramer framer, TAnswerShortfall shortfall = nullptr);
  bool AnswerFramed() const { return framed_; }

  // --- events ---
  TNotifyEvent OnCommEvent, OnCommStat, OnTxQueueEmptyEvent, OnWriteDone, OnBreakEvent, OnCTSEvent,
      OnDSREvent, OnLineErrorEvent, OnRingEvent, OnRIEvent, OnRLSDEvent, OnRxClusterEvent,
      OnRxCharEvent, OnRxEventCharEvent;
  // Starts out logging to stderr; the main window connects its own.
  TNotifyErrorEvent OnProcessError;
  // The device was opened (GUI thread): an open failure shown earlier is
  // no longer true.
  TNotifyEvent OnOpened;

  // --- operations ---
  // Sends `count` bytes. While an earlier write is still going out, these
  // bytes wait behind it and follow in order (report 901 tells so).
  void SendData(const char* buffer, size_t count);
  void SendText(std::string_view text);
  // Size of the oldest queued cluster, -1 when there is none.
  int32_t FirstClusterSize();
  // Removes the oldest cluster and returns its bytes (NULs included); empty
  // when there is none.
  std::string TakeFirstCluster();

  void ActivatePort(bool open);
  // False: the device refused the baud rate (the rest may have failed too,
  // reported; the port stays usable then).
  bool ApplyCommState();
  void UpdateCharDelayTimes();
  void ReportProcessError(uint32_t place, uint32_t code, const std::string& msg, uint8_t noise);

  // The I/O thread is servicing an open port.
  bool ThreadBusy() const { return threadBusy_; }
  // CPU time the I/O thread has used so far, in seconds (-1 if unknown).
  double WorkThreadCpuSeconds() const;

 private:
  friend class TWorkThread;

  template <class T>
  void SetLine(T& field, T v) {
    if (field == v) return;
    field = v;
    if (active_ && !ApplyCommState()) ActivatePort(false);  // not at a rate it cannot run
  }
  void WaitThreadIdle(int rounds);
  void AbortWrite();
  // Starts sending `bytes` now; called with writeMutex_ held. Returns true
  // when everything went out at once.
  bool StartWriteLocked(std::string bytes, uint32_t& error);

  Host& host_;
  std::unique_ptr<SerialDevice> device_;
  PortResolver resolver_;

  std::atomic<bool> active_{false};
  std::string commPort_ = "COM2";
  uint32_t baudRate_ = 9600;
  uint8_t parityType_ = 0;
  char parityErrorChar_ = 0;
  bool parityErrorReplacement_ = false;
  uint8_t stopBits_ = 0, dataBits_ = 8;
  char xonChar_ = 17, xoffChar_ = 19;
  uint8_t xonLimDiv_ = 33, xoffLimDiv_ = 33;
  int32_t flowControl_ = 0;
  bool stripNullChars_ = false;
  char eventChar_ = 0;
  std::atomic<uint32_t> rtoCharDelayTime_{1100};
  std::atomic<uint16_t> rtoExtraDelayTime_{250};
  std::atomic<uint16_t> clusterSize_{3072};
  uint16_t rxQueueSize_ = 4096, txQueueSize_ = 4096;
  std::atomic<uint32_t> wtoCharDelayTime_{1100};
  std::atomic<uint16_t> wtoExtraDelayTime_{250};
  bool xtoAuto_ = true;
  bool rtsState_ = true, dtrState_ = true, breakState_ = false;
  std::atomic<bool> ctsState_{false}, dsrState_{false}, rlsdState_{false}, ringState_{false};
  std::atomic<uint8_t> errorNoise_{255};
  std::atomic<bool> readRequest_{false};
  std::atomic<bool> sendInProgress_{false};
  std::atomic<uint32_t> commError_{0};
  std::atomic<uint8_t> commStateFlags_{0};
  std::atomic<uint32_t> commStateInQueue_{0}, commStateOutQueue_{0};
  std::atomic<uint32_t> modemState_{0}, commEvent_{0}, writtenBytes_{0};
  std::atomic<bool> threadQuietMode_{false};
  bool autoReadRequest_ = false;

  std::atomic<bool> threadBusy_{false}, threadEnded_{false}, destroying_{false};
  // Shared with the I/O thread so that it outlives a component that gave up
  // waiting for it (see the destructor).
  std::shared_ptr<SerialThreadLife> life_;
  // The thread is blocked handing work to the GUI thread: it touches no
  // device until that returns, so closing need not wait for it.
  std::atomic<bool> inHandOver_{false};
  // Counts successful opens, so a hang-up noticed late closes only the port
  // it happened on.
  std::atomic<uint32_t> openGeneration_{0};

  std::mutex framerMutex_;
  TAnswerFramer framer_;
  TAnswerShortfall shortfall_;
  // One character's time on the line as set (start, data, parity and stop
  // bits), for the I/O thread; 0 before the line was first set.
  std::atomic<uint32_t> lineByteNs_{0};
  std::atomic<bool> framed_{false};

  std::mutex clusterMutex_;
  std::deque<std::unique_ptr<TSerialCluster>> clusters_;

  // The write going out and those waiting behind it.
  std::mutex writeMutex_;
  std::string writeData_;
  size_t writeDone_ = 0;
  uint32_t writeStartTick_ = 0;
  std::deque<std::string> writeQueue_;
  uint32_t lastWriteError_ = 0;

  std::unique_ptr<TWorkThread> thread_;
};

}  // namespace varnek
