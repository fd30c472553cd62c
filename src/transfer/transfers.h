#pragma once
// The flows that move channels between the table and the rig: the receive
// path that turns the rig's answers into rows, the one-channel click, and
// the load, save and clear runs. One transfer runs at a time; while one
// does, the commands that would start another or send to the rig are
// refused (and disabled in the GUI), since interleaved commands put the
// rig's answers into the wrong rows.
#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

#include "rig/rig_io.h"

namespace varnek {

class TMainForm;
class TRigForm;
class TSerialPort;

class Transfers {
 public:
  enum class Run { None, Load, Save, Clear };

  Transfers(Host& host, TMainForm& form, TSerialPort& port, TRigForm& rig, RigIo& io);
  // Stops a running load and waits for its worker.
  ~Transfers();
  Transfers(const Transfers&) = delete;
  Transfers& operator=(const Transfers&) = delete;

  RigContext Context() { return {host_, form_, io_, notices_}; }
  RigNotices& Notices() { return notices_; }

  // The serial component's cluster notice: takes one cluster into the
  // transcript and runs the family's parser.
  void SerialPort1RxClusterEvent();

  // A click on channel n's number: writes the row with "Click to Rig" and a
  // frequency, reads it otherwise.
  void LabelClick(int channel);
  void ReadChannelFromRig(const std::string& channel);
  void WriteChannelToRig(const std::string& channel, const std::string& freq,
                         const std::string& mode, const std::string& name);
  void VfoA1Click();
  void Memory1Click();

  // Starts the load on its worker and returns at once.
  void LoadFromRig1Click();
  void SaveToRig1Click();
  // Asks first; the answer Yes clears the checked channels in the rig.
  void ClrMemory1Click();
  void Cancel1Click();

  Run Current() const { return run_; }
  bool Busy() const { return run_ != Run::None; }
  // True (after telling the user) when a run is going and `what` must wait.
  bool RefuseWhileBusy(const std::string& what);
  // Waits, letting GUI work run, until a started load has ended; for the
  // command line and the tests. False on time-out.
  bool WaitForLoad(int timeoutMs);

  // The channel in transfer and how many of the checked ones are done.
  std::function<void(const std::string& channel, int done, int total)> OnProgress;
  // Runs on the GUI thread whenever a run starts or ends.
  std::function<void(Run)> OnRunChanged;

 private:
  void DoClick(int channel);
  void SetRun(Run run);
  void EndRun();
  void Progress(const std::string& channel, int done, int total);
  int CheckedCount(int first);
  void LoadWorker();
  void SaveChannels();
  void ClearChannels();
  void LogTranscript();
  void RestoreChannelInterval();

  Host& host_;
  TMainForm& form_;
  TSerialPort& port_;
  TRigForm& rig_;
  RigIo& io_;
  RigNotices notices_;

  std::atomic<Run> run_{Run::None};
  std::thread worker_;
  std::atomic<bool> workerDone_{true};
};

}  // namespace varnek
