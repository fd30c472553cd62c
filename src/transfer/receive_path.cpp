// The receive path: each cluster the rig sent goes into the transcript, is
// parsed by the rig's command set and counted as an answer.
#include "transfer/transfers.h"

#include <chrono>
#include <mutex>

#include "base/finally.h"
#include "base/folders.h"
#include "base/text.h"
#include "rig/answer_framing.h"
#include "rig/command_set.h"
#include "serial/serial_port.h"
#include "terminal/rig_form.h"
#include "transfer/verify.h"
#include "window/channel_window.h"

namespace varnek {

// --- the receive path ---------------------------------------------------

void Transfers::SerialPort1RxClusterEvent() {
  if (port_.FirstClusterSize() < 0) return;
  const RigContext ctx = Context();
  const CommandSet& commands = Commands();
  // Answer-paced, every request waits for its answer itself: the pauses
  // here only gave fixed-paced runs their rhythm.
  const bool paced = form_.shared.WaitForAnswers;
  const bool store = !answers_.LookOnly();
  std::string cluster;
  ChannelAnswer answer;
  bool parsed = true;
  if (commands.Family() == RigFamily::None) {
    parsed = false;  // no rig: the cluster stays queued
  } else {
    if (commands.PausesBeforeClusters() && !paced) host_.Sleep(form_.shared.ChannelInterval);
    cluster = port_.TakeFirstCluster();
    for (const std::string& line : commands.TranscriptLines(cluster))
      io_.AddTranscriptLine(line);
    if (commands.PausesAfterClusters() && !paced) host_.Sleep(form_.shared.CommandInterval);
    if (store) {
      answer = commands.ParseAnswer(ctx);
      // A load's (or click's) answer is what the rig holds there now.
      const int n = ChannelIndexOf(answer.channel);
      if (answer.status == ChannelAnswer::Status::Channel || answer.status == ChannelAnswer::Status::Empty)
        NoteHeld(n, HeldOf(answer));
    }
  }
  if (parsed) {
    // Counted after the row is stored: an answer-paced read goes on the
    // moment the count moves.
    std::lock_guard lock(answeredMutex_);
    const uint64_t before = answers_.tally.Answers();
    answers_.tally.Feed(cluster);
    if (answers_.tally.Answers() > before) {
      using S = ChannelAnswer::Status;
      const bool named =
          (answer.status == S::Channel || answer.status == S::Empty) && !answer.channel.empty();
      if (named)
        answered_.insert(answer.channel);
      else if (!watched_.empty())
        answered_.insert(watched_);
      answered_.insert(answer.alsoNamed.begin(), answer.alsoNamed.end());
    }
  }
  // The read-back after a save parses the transcript itself after the
  // answer: "Clear T" must not empty it first.
  if (parsed && rig_.cbClear.Checked() && !answers_.LookOnly()) io_.ClearTranscript();
  if (rig_.cbSave.Checked())
    LogTranscript();
  else if (form_.shared.OperationState.Get() == "Reset" && !paced)
    host_.Sleep(5 * form_.shared.ChannelInterval);
}

void Transfers::LogTranscript() {
  // Each transcript line is logged once. Logging the whole memo after every
  // answer (as the log once did) repeated every earlier line again and
  // again: a 99-channel CI-V save wrote thousands of duplicates and spent
  // most of its time rewriting the file.
  const auto& lines = rig_.Terminal.Lines();
  if (rig_.Terminal.Replaced() != loggedReplaced_ || lines.size() < loggedLines_) {
    loggedReplaced_ = rig_.Terminal.Replaced();
    loggedLines_ = 0;
  }
  if (loggedLines_ == lines.size()) return;
  const std::vector<std::string> fresh(lines.begin() + static_cast<std::ptrdiff_t>(loggedLines_),
                                       lines.end());
  const FileResult r =
      terminalLog_.Append(form_.shared.DocumentsFolder.Get() + kTerminalFile, fresh);
  if (!r.ok) {
    form_.ShowStatus(r.message);
    return;
  }
  loggedLines_ = lines.size();
}

}  // namespace varnek
