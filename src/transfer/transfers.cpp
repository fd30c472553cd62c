#include "transfer/transfers.h"

#include <chrono>

#include "window/channel_window.h"
#include "base/folders.h"
#include "base/text.h"
#include "rig/answer_framing.h"
#include "rig/command_set.h"
#include "rig/family.h"
#include "rig/icom.h"
#include "rig/kenwood.h"
#include "rig/single_commands.h"
#include "rig/yaesu.h"
#include "serial/serial_port.h"
#include "terminal/rig_form.h"
#include "transfer/verify.h"

namespace varnek {
namespace {

// Runs `f` when the scope ends, however it ends.
template <class F>
struct Finally {
  F f;
  ~Finally() { f(); }
};
template <class F>
Finally(F) -> Finally<F>;

// The port closed under a run (the rig's line hung up and could not be
// opened again): every later channel would go nowhere while the run still
// ended in "Ready". The run stops there and says so.
std::string LostLine(const std::string& channel) {
  return "The line to the rig closed at channel " + channel +
         "; the run stopped, the channels after it were not transferred.";
}

std::string ChannelList(const std::vector<std::string>& channels) {
  std::string s;
  for (const std::string& c : channels)
    s += (s.empty() ? "" : ", ") + c;
  return s;
}

}  // namespace

// --- who answered -------------------------------------------------------------

void Transfers::ApplyAnswerFraming() {
  const AnswerFraming framing = FramingFor(form_.shared.ModelCode.Get());
  answers_.tally.Restart(framing);
  if (form_.shared.WaitForAnswers && framing.kind != AnswerFraming::Kind::None)
    port_.SetAnswerFramer(
        [framing](std::string_view bytes) { return CompleteAnswersLength(framing, bytes); });
  else
    port_.SetAnswerFramer(nullptr);
}

void Transfers::BeginReport() {
  std::lock_guard lock(answeredMutex_);
  answered_.clear();
  watched_.clear();
  asked_.clear();
  unanswered_.clear();
  differences_.clear();
}

void Transfers::WatchRead(const std::string& channel) {
  std::lock_guard lock(answeredMutex_);
  watched_ = rigops::TwoDigits(channel);
}

bool Transfers::EndWatch(Asked asked) {
  std::lock_guard lock(answeredMutex_);
  if (watched_.empty()) return true;
  asked_.push_back({asked, watched_});
  const bool answered = answered_.count(watched_) > 0;
  watched_.clear();
  return answered;
}

void Transfers::JudgeReads() {
  const auto allHeard = [&] {
    std::lock_guard lock(answeredMutex_);
    for (const auto& [asked, channel] : asked_)
      if (!answered_.count(channel)) return false;
    return true;
  };
  // With fixed pacing the last answers may still be on their way (the
  // cluster rule hands them over only after the line has been quiet).
  if (!allHeard() && !form_.shared.WaitForAnswers)
    host_.WaitUntil(allHeard, port_.RTOExtraDelayTime() + form_.shared.ChannelInterval);
  std::lock_guard lock(answeredMutex_);
  for (const auto& [asked, channel] : asked_)
    if (!answered_.count(channel)) unanswered_.push_back({asked, channel});
  asked_.clear();
}

void Transfers::NoteExchange(Exchange e, const std::string& channel, Asked asked) {
  if (e != Exchange::Unanswered) return;
  std::lock_guard lock(answeredMutex_);
  unanswered_.push_back({asked, rigops::TwoDigits(channel)});
}

std::vector<std::string> Transfers::Unanswered() const {
  std::lock_guard lock(answeredMutex_);
  std::vector<std::string> channels;
  for (const auto& [asked, channel] : unanswered_)
    channels.push_back(channel);
  return channels;
}

std::vector<std::string> Transfers::VerifyDifferences() const {
  std::lock_guard lock(answeredMutex_);
  return differences_;
}

std::string Transfers::NoAnswerReport() const {
  struct Kind {
    Asked asked;
    const char* one;
    const char* many;
  };
  static constexpr Kind kKinds[] = {
      {Asked::Read, "No answer from the rig for channel %s; its row is as it was.",
       "No answer from the rig for channels %s; their rows are as they were."},
      {Asked::Write, "No answer from the rig after writing channel %s; it may not hold it.",
       "No answer from the rig after writing channels %s; it may not hold them."},
      {Asked::Clear, "No answer from the rig after clearing channel %s; it may not be empty.",
       "No answer from the rig after clearing channels %s; they may not be empty."},
      {Asked::ReadBack, "No answer from the rig when reading back channel %s; it is not verified.",
       "No answer from the rig when reading back channels %s; they are not verified."},
  };
  std::lock_guard lock(answeredMutex_);
  std::string text;
  for (const Kind& k : kKinds) {
    std::vector<std::string> channels;
    for (const auto& [asked, channel] : unanswered_)
      if (asked == k.asked) channels.push_back(channel);
    if (channels.empty()) continue;
    const std::string pattern = channels.size() == 1 ? k.one : k.many;
    const size_t at = pattern.find("%s");
    if (!text.empty()) text += "\n";
    text += pattern.substr(0, at) + ChannelList(channels) + pattern.substr(at + 2);
  }
  return text;
}

Transfers::Transfers(Host& host, ChannelWindow& form, TSerialPort& port, TRigForm& rig, RigIo& io)
    : host_(host), form_(form), port_(port), rig_(rig), io_(io) {}

Transfers::~Transfers() {
  form_.shared.StopRequested = true;
  // The worker may be waiting for the GUI thread: keep serving it.
  while (!workerDone_) {
    host_.ProcessMessages();
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  if (worker_.joinable()) worker_.join();
}

void Transfers::SetRun(Run run) {
  run_ = run;
  form_.SetTransferBusy(run != Run::None);
  rig_.SendBtn.SetEnabled(run == Run::None);
  rig_.btRead.SetEnabled(run == Run::None);
  if (run == Run::None) {
    // The writers blink the lamp and leave it showing "open"; a port that
    // closed during the run (a hang-up) must not look open afterwards.
    io_.RefreshPortIndicator();
    form_.pbTransfer.SetVisible(false);
  } else {
    form_.pbTransfer.SetRange(1, 0);
    form_.pbTransfer.SetVisible(true);
  }
  if (OnRunChanged) OnRunChanged(run);
}

void Transfers::EndRun() {
  // The channels a run refused, in one message at its end; rows the rig
  // never answered for must not pass for rows it confirmed. Shown while the
  // run still counts as running, so nothing can start (and join a worker
  // that waits for these boxes) until they are closed.
  const std::string refused = notices_.EndCollecting();
  if (!refused.empty()) Tell(refused);
  const std::string missing = NoAnswerReport();
  if (!missing.empty()) Tell(missing);
  SetRun(Run::None);
}

void Transfers::Tell(const std::string& text) {
  if (!closing_) host_.ShowMessage(text);
}

void Transfers::Complain(const std::string& text) {
  if (!closing_) host_.ReportError(text);
}

void Transfers::EndForClose() {
  closing_ = true;
  form_.shared.StopRequested = true;
}

bool Transfers::RefuseWhileBusy(const std::string& what) {
  if (!Busy()) return false;
  Tell(what + " has to wait: a transfer is running (Stop ends it).");
  return true;
}

bool Transfers::LineLost() {
  // The I/O thread closes a port that hung up through the GUI thread: its
  // notice is let in before the run looks, so a run whose last channel went
  // into a dead line does not end as done.
  if (host_.IsGuiThread()) host_.ProcessMessages();
  return !port_.Active();
}

void Transfers::Progress(const std::string& channel, int done, int total) {
  form_.pbTransfer.SetRange(total > 0 ? total : 1, done);
  if (OnProgress) OnProgress(channel, done, total);
}

int Transfers::CheckedCount(int first) {
  int n = 0;
  for (int i = first; i < ChannelWindow::kChannels; ++i)
    if (form_.RowChecked(i) && form_.RowAvailable(i)) ++n;
  return n;
}

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
    if (store) answer = commands.ParseAnswer(ctx);
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

// --- one channel ----------------------------------------------------------

void Transfers::LabelClick(int channel) {
  if (closing_ || RefuseWhileBusy("A channel click")) return;
  // A transfer of its own: the GUI runs during its waits, and a run or a
  // second click started there would interleave its frames with these.
  SetRun(Run::Click);
  Finally end{[this] { SetRun(Run::None); }};
  ApplyAnswerFraming();
  BeginReport();
  bool read = false;
  written_.clear();
  const Exchange e = DoClick(channel, read, true);
  if (read) {
    EndWatch(Asked::Read);
    JudgeReads();
  } else {
    if (e != Exchange::NotSent) written_.push_back(channel);
    NoteExchange(e, ChannelText(channel), Asked::Write);
  }
  const std::string missing = NoAnswerReport();
  if (!missing.empty()) Tell(missing);
}

void Transfers::MemoryModeBeforeReads() {
  Commands().BeforeReads(Context());
}

const CommandSet& Transfers::Commands() const {
  return CommandSetOf(form_.shared.ModelCode.Get());
}

Exchange Transfers::DoClick(int n, bool& read, bool firstRead) {
  bool toRig = false;
  std::string freq, mode, name;
  host_.RunOnGuiThread([&] {
    freq = form_.RowFreq(n);
    mode = form_.RowMode(n);
    name = form_.RowName(n);
    toRig = form_.cbCcr.Checked() && !freq.empty();
  });
  read = !toRig;
  if (toRig) return WriteChannelToRig(ChannelText(n), freq, mode, name);
  if (firstRead) MemoryModeBeforeReads();
  ReadChannelFromRig(ChannelText(n));
  return Exchange::Sent;
}

void Transfers::ReadChannelFromRig(const std::string& channel) {
  const RigContext ctx = Context();
  host_.RunOnGuiThread([&] {
    if (form_.shared.CivAddress.Get().empty()) form_.shared.CivAddress = "00";
    form_.lbChan.SetCaption(channel);
    form_.lbChan.SetVisible(true);
  });
  rigops::Pump(ctx);
  host_.RunOnGuiThread([&] {
    io_.ClearTranscript();
    // What is left of an answer that never completed belongs to no one.
    answers_.tally.Restart(FramingFor(form_.shared.ModelCode.Get()));
    WatchRead(channel);
    if (!port_.Active()) port_.SetActive(true);
    form_.shared.ChannelSent = true;
    io_.RefreshPortIndicator();
  });
  const bool sent = Commands().ReadChannel(ctx, channel);
  // A read that sent nothing (no such channel on the rig, a rig without a
  // command set) waits for no answer, and none is missing.
  if (!sent) {
    std::lock_guard lock(answeredMutex_);
    watched_.clear();
  }
}

Exchange Transfers::WriteChannelToRig(const std::string& channel, const std::string& freq,
                                      const std::string& mode, const std::string& name) {
  const RigContext ctx = Context();
  host_.RunOnGuiThread([&] {
    if (form_.shared.CivAddress.Get().empty()) form_.shared.CivAddress = "00";
    form_.lbChan.SetCaption(channel);
    form_.lbChan.SetVisible(true);
  });
  rigops::Pump(ctx);
  host_.RunOnGuiThread([&] { io_.RefreshPortIndicator(); });
  const std::string f = Trim(freq), m = Trim(mode);
  const Exchange e = Commands().WriteChannel(ctx, channel, f, m, name);
  host_.RunOnGuiThread([&] { io_.RefreshPortIndicator(); });
  return e;
}

void Transfers::VfoA1Click() {
  if (RefuseWhileBusy("\"VFO A\"")) return;
  SendVfoA(Context());
}

void Transfers::Memory1Click() {
  if (RefuseWhileBusy("\"Memory\"")) return;
  SendMemoryModeCommand(Context());
}

void Transfers::Cancel1Click() {
  form_.shared.StopRequested = true;
  io_.RefreshPortIndicator();
}

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
  try {
    int total = 0;
    host_.RunOnGuiThread([&] {
      form_.lbChan.SetVisible(true);
      total = CheckedCount(0);
    });
    int done = 0;
    bool stopped = false;
    for (int n = 0; n < ChannelWindow::kChannels && !stopped && !closing_; ++n) {
      bool checked = false;
      host_.RunOnGuiThread([&] { checked = form_.RowChecked(n); });
      if (checked) {
        bool read = false;
        DoClick(n, read, done == 0);
        EndWatch(Asked::Read);
        ++done;
        host_.RunOnGuiThread([&] { Progress(ChannelText(n), done, total); });
        if (LineLost()) {
          error = LostLine(ChannelText(n));
          stopped = true;
          break;
        }
      }
      if (n == 49) form_.shared.ChannelInterval += 100;
      // Tested after every odd channel but the last: a stop while 98 is
      // read still reads 99 and ends the run normally.
      if (n % 2 == 1 && n <= 97 && form_.shared.StopRequested) stopped = true;
    }
    if (!stopped && !closing_) {
      host_.RunOnGuiThread([&] {
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
    // However the run ended: clicked Kenwood reads select the channel again,
    // the interval is what the edit shows, and an error is not swallowed.
    form_.shared.LoadFinished = true;
    RestoreChannelInterval();
    if (!error.empty()) Complain(error);
    EndRun();
  });
  workerDone_ = true;
}

void Transfers::RestoreChannelInterval() {
  int v = 0;
  if (TryStrToInt(form_.IntervalText(), v)) form_.shared.ChannelInterval = std::max(0, v);
}

bool Transfers::WaitForLoad(int timeoutMs) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  while (!workerDone_) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    host_.ProcessMessages();
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  if (worker_.joinable()) worker_.join();
  return true;
}

// --- save -------------------------------------------------------------------

void Transfers::SaveToRig1Click() {
  if (closing_ || RefuseWhileBusy("Saving")) return;
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
  SaveChannels();
  if (form_.shared.VerifyAfterWrite && !form_.shared.StopRequested && port_.Active())
    ReadBackWritten();
}

void Transfers::SaveChannels() {
  const int total = CheckedCount(0);
  int done = 0;
  for (int n = 0; n < ChannelWindow::kChannels && !closing_; ++n) {
    const bool take = form_.RowChecked(n) && (n > 0 || form_.RowAvailable(0));
    if (take) {
      const Exchange e = WriteChannelToRig(ChannelText(n), form_.RowFreq(n), form_.RowMode(n),
                                           form_.RowName(n));
      if (e != Exchange::NotSent) written_.push_back(n);
      NoteExchange(e, ChannelText(n), Asked::Write);
      Progress(ChannelText(n), ++done, total);
      if (LineLost()) {
        Complain(LostLine(ChannelText(n)));
        return;
      }
    }
    if ((n == 9 || (n > 9 && n % 2 == 1 && n <= 97)) && form_.shared.StopRequested) return;
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
  ClearChannels();
}

void Transfers::ClearChannels() {
  const RigContext ctx = Context();
  const CommandSet& commands = Commands();
  if (commands.Family() == RigFamily::None) return;
  if (!commands.BeginClear(ctx)) {
    form_.lbChan.SetCaption("Ready");
    return;
  }
  const int first = commands.FirstClearable();
  const int total = CheckedCount(first);
  const bool paced = form_.shared.WaitForAnswers;
  int done = 0;
  for (int n = first; n < ChannelWindow::kChannels && !closing_; ++n) {
    if (!form_.RowChecked(n)) continue;
    const std::optional<Exchange> cleared = commands.ClearChannel(ctx, n);
    if (!cleared) continue;  // the rig has no such channel
    const Exchange e = *cleared;
    const std::string caption = commands.ClearCaption(n);
    if (e != Exchange::NotSent) written_.push_back(n);
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

void Transfers::ReadBackWritten() {
  if (written_.empty()) return;
  const std::string code = form_.shared.ModelCode.Get();
  const CommandSet& commands = Commands();
  const bool wasPaced = form_.shared.WaitForAnswers;
  {
    std::lock_guard lock(answeredMutex_);
    answered_.clear();
  }
  // The read-back waits for every answer whatever the pacing of the run,
  // and the answers are compared with the table, never stored into it.
  answers_.SetLookOnly(true);
  form_.shared.WaitForAnswers = true;
  ApplyAnswerFraming();
  Finally restore{[&] {
    answers_.SetLookOnly(false);
    form_.shared.WaitForAnswers = wasPaced;
    ApplyAnswerFraming();
  }};
  MemoryModeBeforeReads();
  std::vector<std::string> differences;
  int done = 0;
  const int total = static_cast<int>(written_.size());
  for (int n : written_) {
    if (form_.shared.StopRequested || !port_.Active()) break;
    const std::string channel = ChannelText(n);
    ReadChannelFromRig(channel);
    Progress(channel, ++done, total);
    if (!EndWatch(Asked::ReadBack)) continue;
    const std::vector<std::string> lines = io_.TranscriptLines();
    const ChannelAnswer held = commands.ParseHeld(lines, code, channel);
    const std::string d =
        VerifyDifference(channel, form_.RowFreq(n), form_.RowMode(n), held, code);
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
