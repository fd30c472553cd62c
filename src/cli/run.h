#pragma once
// One command against the rig: the same Program as the GUI over a headless
// host, driven by the user's clicks as the options describe them; its result
// is the process's exit status.
#include <chrono>
#include <iosfwd>
#include <memory>
#include <string>
#include <vector>

#include "app/program.h"
#include "cli/answer_watch.h"
#include "cli/console.h"
#include "cli/options.h"

namespace varnek::cli {

class Run {
 public:
  Run(const Options& o, Verb verb, std::ostream& out, std::ostream& err, const Console& console)
      : o_(o),
        verb_(verb),
        out_(out),
        console_(console),
        reporter_(err),
        host_(console, err),
        stopWaker_(host_) {}

  ~Run();
  Run(const Run&) = delete;
  Run& operator=(const Run&) = delete;
  int Execute();

 private:
  void Setup();
  void ApplyOverrides();
  int OpenPort();
  void CheckChannels(const std::vector<int>& channels);
  void WaitUntilIdle();
  void Pause(int ms);
  void Settle();
  int Command();
  void ReadRun();
  void WriteRun();
  void DiffRun();
  bool ClearRun();  // false: the user said No
  // Unchecks what a table file's skipped lines leave in doubt: the
  // channels they seem to be about, and rows that would clear a channel.
  void LeaveOutSkipped(const std::string& done);
  void Click();
  void Send();
  void Restore();
  void CheckReaction();
  bool WriteTable(bool toStdoutByDefault);
  bool WriteTranscript();  // false: it could not be written

  const Options& o_;
  const Verb verb_;
  std::ostream& out_;
  const Console& console_;
  Reporter reporter_;
  CliHost host_;
  StopWaker stopWaker_;
  std::unique_ptr<ScratchFolder> scratch_;
  std::chrono::steady_clock::time_point lastCluster_ = std::chrono::steady_clock::now();
  AnswerWatch* watch_ = nullptr;  // owned by the program's port
  bool portReports_ = false;
  std::string openFailure_;
  bool silentRig_ = false;  // a CI-V rig acknowledged nothing of the command
  // The lines of the --table file the reader did not take.
  std::vector<SkippedLine> tableSkipped_;
  // Last, so that it goes first: its end may still run the port's handlers
  // set here, which use the members above.
  std::unique_ptr<Program> program_;
};

}  // namespace varnek::cli
