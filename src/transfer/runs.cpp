// The load, save and clear runs and the read-back after a save.
#include "transfer/transfers.h"

#include <algorithm>
#include <chrono>
#include <functional>
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
namespace {

// The port closed under a run (the rig's line hung up and could not be
// opened again): every later channel would go nowhere while the run still
// ended in "Ready". The run stops there and says so.
std::string LostLine(const std::string& channel) {
  return "The line to the rig closed at channel " + channel +
         "; the run stopped, the channels after it were not transferred.";
}

}  // namespace

// --- load -------------------------------------------------------------------

void Transfers::LoadFromRig1Click() {
  if (closing_ || RefuseWhileBusy("Loading")) return;
  if (worker_.joinable()) worker_.join();  // the last run's worker has ended
  // A rig's late answers come in before the transcript is cleared: with
  // fixed pacing by waiting one interval, answer-paced by taking what has
  // arrived (the interval is only a time-out there).
  if (form_.shared.WaitForAnswers)
    host_.ProcessMessages();
  else
    host_.Sleep(form_.shared.ChannelInterval);
  io_.ClearTranscript();
  form_.shared.OperationState = "Load";
  form_.lbChan.SetVisible(false);
  form_.shared.LoadFinished = false;
  form_.shared.StopRequested = false;
  form_.cbCcr.SetChecked(false);
  ApplyAnswerFraming();
  BeginReport();
  SetRun(Run::Load);
  notices_.BeginCollecting();
  workerDone_ = false;
  worker_ = std::thread([this] { LoadWorker(); });
}

void Transfers::LoadWorker() {
  std::string error;
  // The progress of the channel just done goes with the next hand-over to
  // the GUI thread: one of its own would wake that thread once more for
  // every channel.
  std::function<void()> progress;
  const auto showProgress = [&progress] {
    if (progress) progress();
    progress = nullptr;
  };
  try {
    int total = 0;
    host_.RunOnGuiThread([&] {
      form_.lbChan.SetVisible(true);
      total = CheckedCount(0);
    });
    int done = 0;
    bool stopped = false;
    // A write (Click to Rig checked during the load) may leave a CI-V rig
    // on its VFO: the next read goes into memory mode again.
    bool wrote = false;
    for (int n = 0; n < ChannelWindow::kChannels && !stopped && !closing_; ++n) {
      const RowNow row = TakeRow(n, showProgress);
      // Tested after every odd channel but the last, once its progress is
      // shown: a stop while 98 is read still reads 99 and ends the run
      // normally.
      const int last = n - 1;
      if (last >= 0 && last % 2 == 1 && last <= 97 && form_.shared.StopRequested) {
        stopped = true;
        break;
      }
      if (closing_) break;  // the progress just shown may have closed the program
      if (row.checked) {
        bool read = false;
        const Exchange e = DoClick(n, row, read, done == 0 || wrote);
        wrote = !read;
        if (read)
          EndWatch(Asked::Read);
        else
          host_.RunOnGuiThread([&] { NoteWrite(n, e, row); });
        ++done;
        progress = [this, n, done, total] { Progress(ChannelText(n), done, total); };
        if (LineLost()) {
          error = LostLine(ChannelText(n));
          stopped = true;
          break;
        }
      }
      if (n == 49) form_.shared.ChannelInterval += 100;
    }
    if (!stopped && !closing_) {
      host_.RunOnGuiThread([&] {
        showProgress();
        form_.lbChan.SetCaption("Ready");
        form_.shared.OperationState = "Once";
      });
    }
  } catch (const std::exception& e) {
    error = e.what();
  }
  // Answers that came late still count for the channel they name.
  if (error.empty()) JudgeReads();
  host_.RunOnGuiThread([&] {
    showProgress();
    // However the run ended: clicked Kenwood reads select the channel again,
    // the interval is what the edit shows, and an error is not swallowed.
    form_.shared.LoadFinished = true;
    RestoreChannelInterval();
    if (!error.empty()) Complain(error);
    EndRun();
  });
  workerDone_ = true;
  host_.Wake();
}

void Transfers::RestoreChannelInterval() {
  int v = 0;
  if (TryStrToInt(form_.IntervalText(), v)) form_.shared.ChannelInterval = std::max(0, v);
}

bool Transfers::WaitForLoad(int timeoutMs) {
  if (!host_.Await([this] { return workerDone_.load(); }, timeoutMs)) return false;
  if (worker_.joinable()) worker_.join();
  return true;
}

// --- save -------------------------------------------------------------------

void Transfers::SaveToRig1Click() {
  if (closing_ || RefuseWhileBusy("Saving")) return;
  std::vector<RowNow> rows = RowsToSave();
  std::vector<int> channels;
  for (const RowNow& row : rows)
    channels.push_back(row.channel);
  SaveRun(rows, channels);
}

bool Transfers::SaveRun(const std::vector<RowNow>& rows, const std::vector<int>& backupOf) {
  if (closing_ || RefuseWhileBusy("Saving")) return false;
  Commands().BeforeSave(Context());
  io_.ClearTranscript();
  rig_.cbSave.SetChecked(true);
  form_.shared.OperationState = "Save";
  form_.shared.ChannelSent = false;
  form_.shared.StopRequested = false;
  form_.lbChan.SetCaption("0");
  form_.lbChan.SetVisible(true);
  ApplyAnswerFraming();
  BeginReport();
  written_.clear();
  SetRun(Run::Save);
  notices_.BeginCollecting();
  Finally end{[this] {
    // However the run ends, the terminal log stops with it.
    rig_.cbSave.SetChecked(false);
    form_.shared.OperationState = "Once";
    EndRun();
  }};
  const bool verify = form_.shared.VerifyAfterWrite;
  if (!BackUpBefore(backupOf)) return false;
  SaveChannels(rows);
  if (verify && !form_.shared.StopRequested && port_.Active()) ReadBackWritten(rows);
  return true;
}

void Transfers::SaveChannels(const std::vector<RowNow>& rows) {
  const int total = static_cast<int>(rows.size());
  int done = 0;
  // A stop is looked at after channel 09 and after every odd channel from
  // 11 to 97, written or not: before the next row, it counts when one of
  // those channels lies between the last row and this one.
  const auto stopPoint = [](int m) { return m == 9 || (m > 9 && m % 2 == 1 && m <= 97); };
  int next = 0;  // the first channel whose stop point has not been passed
  for (const RowNow& row : rows) {
    if (closing_) return;
    const int n = row.channel;
    for (; next < n; ++next)
      if (stopPoint(next) && form_.shared.StopRequested) return;
    const Exchange e = WriteChannelToRig(ChannelText(n), row.freq, row.mode, row.name, row.kept);
    if (MayHold(e)) written_.push_back(n);
    NoteWrite(n, e, row);
    NoteExchange(e, ChannelText(n), Asked::Write);
    Progress(ChannelText(n), ++done, total);
    if (LineLost()) {
      Complain(LostLine(ChannelText(n)));
      return;
    }
    if (stopPoint(n) && form_.shared.StopRequested) return;
    next = n + 1;
  }
  if (closing_) return;
  form_.lbChan.SetCaption("Ready");
  form_.lbChan.SetVisible(true);
  // Checked channels that were all refused are not "none checked": the
  // run's list of refusals follows this message.
  if (!form_.shared.ChannelSent)
    Tell(done == 0 ? "No saves, no channels checked!"
                   : "No saves: every checked channel was refused.");
}

// --- clear ------------------------------------------------------------------

void Transfers::ClrMemory1Click() {
  if (closing_ || RefuseWhileBusy("Clearing")) return;
  if (!host_.Confirm("Reset Memory Channels?", MessageIcon::Question)) return;
  ClearCheckedChannels();
}

void Transfers::ClearCheckedChannels() {
  const std::vector<int> channels = ChannelsToClear();
  ClearRun(channels, channels);
}

bool Transfers::ClearRun(const std::vector<int>& channels, const std::vector<int>& backupOf) {
  if (closing_ || RefuseWhileBusy("Clearing")) return false;
  io_.ClearTranscript();
  form_.shared.OperationState = "Reset";
  form_.shared.StopRequested = false;
  ApplyAnswerFraming();
  BeginReport();
  written_.clear();
  SetRun(Run::Clear);
  notices_.BeginCollecting();
  Finally end{[this] {
    // Left at "Reset", every later answer would pause the GUI thread for
    // five channel intervals until the next load or save.
    form_.shared.OperationState = "Once";
    EndRun();
  }};
  if (!BackUpBefore(backupOf)) return false;
  ClearChannels(channels);
  return true;
}

void Transfers::ClearChannels(const std::vector<int>& channels) {
  const RigContext ctx = Context();
  const CommandSet& commands = Commands();
  if (commands.Family() == RigFamily::None) return;
  if (!commands.BeginClear(ctx)) {
    form_.lbChan.SetCaption("Ready");
    return;
  }
  const int total = static_cast<int>(channels.size());
  const bool paced = form_.shared.WaitForAnswers;
  int done = 0;
  for (const int n : channels) {
    if (closing_) break;
    const std::optional<Exchange> cleared = commands.ClearChannel(ctx, n);
    if (!cleared) continue;  // the rig has no such channel
    const Exchange e = *cleared;
    const std::string caption = commands.ClearCaption(n);
    if (MayHold(e)) written_.push_back(n);
    NoteWrite(n, e, RowNow{});
    NoteExchange(e, ChannelText(n), Asked::Clear);
    Progress(caption, ++done, total);
    if (LineLost()) {
      Complain(LostLine(ChannelText(n)));
      return;
    }
    if (form_.shared.StopRequested) break;
    form_.lbChan.SetCaption(caption);
    form_.lbChan.SetVisible(true);
    host_.ProcessMessages();
    // Answer-paced, the clear has already waited for its answer (or its
    // line time on the rigs that give none).
    if (!paced) host_.Sleep(commands.ClearIntervalsBefore() * form_.shared.ChannelInterval);
    form_.lbChan.SetCaption("Empty");
    host_.ProcessMessages();
    if (commands.ClearIntervalsAfter() > 0 && !paced)
      host_.Sleep(commands.ClearIntervalsAfter() * form_.shared.ChannelInterval);
  }
  form_.lbChan.SetCaption("Ready");
}

// --- read-back after a save ---------------------------------------------------

Finally<std::function<void()>> Transfers::LookOnlyReads() {
  const bool wasPaced = form_.shared.WaitForAnswers;
  answers_.SetLookOnly(true);
  form_.shared.WaitForAnswers = true;
  ApplyAnswerFraming();
  return {[this, wasPaced] {
    answers_.SetLookOnly(false);
    form_.shared.WaitForAnswers = wasPaced;
    ApplyAnswerFraming();
  }};
}

void Transfers::ReadBackWritten(const std::vector<RowNow>& rows) {
  if (written_.empty()) return;
  const std::string code = form_.shared.ModelCode.Get();
  const CommandSet& commands = Commands();
  {
    std::lock_guard lock(answeredMutex_);
    answered_.clear();
  }
  // The answers are compared with the table, never stored into it.
  const auto restore = LookOnlyReads();
  MemoryModeBeforeReads();
  std::vector<std::string> differences;
  int done = 0;
  const int total = static_cast<int>(written_.size());
  for (int n : written_) {
    if (form_.shared.StopRequested || !port_.Active()) break;
    const auto row = std::find_if(rows.begin(), rows.end(),
                                  [n](const RowNow& r) { return r.channel == n; });
    if (row == rows.end()) continue;
    const std::string channel = ChannelText(n);
    ReadChannelFromRig(channel);
    Progress(channel, ++done, total);
    if (!EndWatch(Asked::ReadBack)) continue;
    const std::vector<std::string> lines = io_.TranscriptLines();
    const ChannelAnswer held = commands.Held(lines, code, channel);
    // The read-back reads the receive side only: a row written with a
    // transmit side keeps what its confirmed write noted.
    const bool heard = held.status == ChannelAnswer::Status::Channel ||
                       held.status == ChannelAnswer::Status::Empty;
    if (heard && row->kept.tx.empty()) NoteHeld(n, HeldOf(held));
    const std::string d = VerifyDifference(channel, row->freq, row->mode, held, code);
    if (!d.empty()) differences.push_back(d);
  }
  JudgeReads();
  form_.lbChan.SetCaption("Ready");
  if (differences.empty()) return;
  std::string text = kVerifyHeading;
  for (const std::string& d : differences)
    text += "\n" + d;
  {
    std::lock_guard lock(answeredMutex_);
    differences_ = differences;
  }
  Tell(text);
}

}  // namespace varnek
