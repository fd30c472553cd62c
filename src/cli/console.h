#pragma once
// What a run shares with the shell it was started from: Ctrl-C, the yes/no
// questions, standard error, and the folders it may use.
#include <signal.h>

#include <functional>
#include <iterator>
#include <istream>
#include <ostream>
#include <mutex>
#include <string>
#include <thread>

#include "base/folders.h"
#include "base/headless_host.h"
#include "base/text.h"
#include "cli/cli_app.h"

namespace varnek::cli {

// While it lives, a Ctrl-C wakes `host`'s waits, so they see the stop.
class StopWaker {
 public:
  explicit StopWaker(Host& host);
  ~StopWaker();
  StopWaker(const StopWaker&) = delete;
  StopWaker& operator=(const StopWaker&) = delete;

 private:
  Host& host_;
};

// Takes a pending Ctrl-C (true once per press); ClearStopRequest forgets one.
bool TakeStopRequest();
void ClearStopRequest();

// Ctrl-C (and SIGTERM, SIGHUP) stops the run once; with SA_RESETHAND a
// second one ends the program the usual way, for a rig that never lets the
// run finish.
class InterruptGuard {
 public:
  explicit InterruptGuard(bool install);
  ~InterruptGuard();
  InterruptGuard(const InterruptGuard&) = delete;
  InterruptGuard& operator=(const InterruptGuard&) = delete;

 private:
  static constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP};
  bool installed_;
  struct sigaction previous_[std::size(kSignals)] {};
  int wakePipe_[2] = {-1, -1};
  std::thread watcher_;  // wakes the registered hosts on each Ctrl-C
};

// The channel files' folder for the length of the run when no settings
// folder of its own was named: the save run logs the transcript to
// terminal.ini there, and the GUI user's log must stay as it is.
class ScratchFolder {
 public:
  ScratchFolder();
  ~ScratchFolder();
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;
  const std::string& Path() const { return path_; }

 private:
  std::string path_;
};

// Both folders are `dir`: with no variables and the program file inside
// it, the folder lookup falls back to the program's folder.
FolderEnvironment DirEnvironment(const std::string& dir);

std::string Lower(std::string s);

// The headless host with the terminal's answers and Ctrl-C.
class CliHost : public HeadlessHost {
 public:
  CliHost(const Console& console, std::ostream& err)
      : HeadlessHost(Time::Real), console_(console), err_(err) {}

  void ProcessMessages() override {
    PollStop();
    HeadlessHost::ProcessMessages();
  }

  bool Confirm(const std::string& text, MessageIcon icon) override {
    HeadlessHost::Confirm(text, icon);
    declined = !Ask(text);
    return !declined;
  }

  // Turns a pending Ctrl-C into "Stop"; GUI thread only.
  bool PollStop() {
    if (!IsGuiThread() || !TakeStopRequest()) return stopped;
    stopped = true;
    if (onStop) onStop();
    return true;
  }

  bool assumeYes = false;
  bool declined = false;
  bool stopped = false;
  std::function<void()> onStop;

 private:
  bool Ask(const std::string& text) {
    if (assumeYes) return true;
    if (!console_.stdinTerminal || console_.in == nullptr) return false;
    err_ << text << " [y/N] " << std::flush;
    std::string answer;
    if (!std::getline(*console_.in, answer)) return false;
    answer = Lower(Trim(answer));
    return answer == "y" || answer == "yes";
  }

  const Console& console_;
  std::ostream& err_;
};

// Everything the run prints on standard error, from whichever thread.
class Reporter {
 public:
  explicit Reporter(std::ostream& err) : err_(err) {}
  void Message(const std::string& text) { Line(text); }
  void Error(const std::string& text) {
    Line("error: " + text);
    std::lock_guard lock(mutex_);
    if (counting_) ++errors_;
  }
  void Progress(const std::string& channel, int done, int total) {
    std::lock_guard lock(mutex_);
    err_ << "\rchannel " << channel << "  " << done << " of " << total << "   " << std::flush;
    progressShown_ = true;
  }
  void EndProgress() {
    std::lock_guard lock(mutex_);
    if (progressShown_) err_ << '\n';
    progressShown_ = false;
  }
  void CountErrors(bool on) {
    std::lock_guard lock(mutex_);
    counting_ = on;
  }
  int Errors() const {
    std::lock_guard lock(mutex_);
    return errors_;
  }

 private:
  void Line(const std::string& text) {
    std::lock_guard lock(mutex_);
    if (progressShown_) err_ << '\n';
    progressShown_ = false;
    err_ << "varnek-cli: " << text << '\n' << std::flush;
  }

  std::ostream& err_;
  mutable std::mutex mutex_;
  bool counting_ = false;
  bool progressShown_ = false;
  int errors_ = 0;
};

}  // namespace varnek::cli
