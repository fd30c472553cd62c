#pragma once
// The values of the main window that every flow reads and writes. The load
// worker reads them from its own thread, so each is atomic or guarded: the
// original shared them unsynchronised.
#include <atomic>
#include <mutex>
#include <string>

namespace varnek {

class GuardedText {
 public:
  std::string Get() const {
    std::lock_guard lock(mutex_);
    return text_;
  }
  void Set(std::string t) {
    std::lock_guard lock(mutex_);
    text_ = std::move(t);
  }
  operator std::string() const { return Get(); }
  GuardedText& operator=(std::string t) {
    Set(std::move(t));
    return *this;
  }

 private:
  mutable std::mutex mutex_;
  std::string text_;
};

struct SharedValues {
  GuardedText ModelCode;                // second word of the rig selection, e.g. "TS-570"
  GuardedText CivAddress;               // two hex digits
  std::atomic<int> ChannelInterval{0};  // ms
  std::atomic<int> CommandInterval{0};  // ms
  std::atomic<int> IcomLoopWait{0};     // ms
  std::atomic<bool> StopRequested{false};
  std::atomic<bool> LoadFinished{false};
  std::atomic<bool> ChannelSent{false};
  // The rig's options beyond its settings line.
  std::atomic<bool> WaitForAnswers{false};
  std::atomic<bool> VerifyAfterWrite{false};
  std::atomic<bool> BackupBeforeWriting{false};
  GuardedText OperationState;   // "Once", "Load", ...
  GuardedText SettingsFolder;   // ends with '/'
  GuardedText DocumentsFolder;  // ends with '/'
};

}  // namespace varnek
