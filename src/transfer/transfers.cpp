#include "transfer/transfers.h"

#include <chrono>
#include <mutex>

#include "base/finally.h"
#include "base/folders.h"
#include "base/text.h"
#include "rig/answer_framing.h"
#include "rig/command_set.h"
#include "rig/family.h"
#include "rig/single_commands.h"
#include "serial/serial_port.h"
#include "terminal/rig_form.h"
#include "transfer/verify.h"
#include "window/channel_window.h"

namespace varnek {

Transfers::Transfers(Host& host, ChannelWindow& form, TSerialPort& port, TRigForm& rig, RigIo& io)
    : host_(host), form_(form), port_(port), rig_(rig), io_(io) {}

void Transfers::Finish() {
  if (!worker_.joinable()) return;
  form_.shared.StopRequested = true;
  // The worker may be waiting for the GUI thread: keep serving it.
  while (!host_.Await([this] { return workerDone_.load(); }, 1000)) {
  }
  worker_.join();
}

Transfers::~Transfers() {
  Finish();
}

void Transfers::SetRun(Run run) {
  // A run that reads into the table is one undo step; the user's edits
  // before it are one of their own. A run that only writes the rig changes
  // nothing of the table and so makes no step.
  if (run_ == Run::None && run != Run::None) form_.TableStep({});
  if (run_ != Run::None && run == Run::None) {
    switch (run_.load()) {
      case Run::Click: form_.TableStep("Read Channel " + ChannelText(clicked_)); break;
      case Run::Save: form_.TableStep("Save to Rig"); break;
      case Run::Clear: form_.TableStep("Clear Checked Memory Channels"); break;
      case Run::Compare: form_.TableStep("Compare with Rig"); break;
      default: form_.TableStep("Load from Rig"); break;
    }
  }
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
  if (!refused.empty()) {
    if (OnRefusals && !closing_)
      OnRefusals(refused);
    else
      Tell(refused);
  }
  const std::string remarks = notices_.TakeRemarks();
  if (!remarks.empty()) Tell(remarks);
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

// --- one channel ----------------------------------------------------------

void Transfers::LabelClick(int channel) {
  if (closing_ || RefuseWhileBusy("A channel click")) return;
  // A transfer of its own: the GUI runs during its waits, and a run or a
  // second click started there would interleave its frames with these.
  clicked_ = channel;
  SetRun(Run::Click);
  Finally end{[this] { SetRun(Run::None); }};
  ApplyAnswerFraming();
  BeginReport();
  bool read = false;
  written_.clear();
  const RowNow row = TakeRow(channel);
  const Exchange e = DoClick(channel, row, read, true);
  if (read) {
    EndWatch(Asked::Read);
    JudgeReads();
  } else {
    if (MayHold(e)) written_.push_back(channel);
    NoteWrite(channel, e, row);
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

Transfers::RowNow Transfers::TakeRow(int n, const std::function<void()>& first) {
  RowNow row;
  row.channel = n;
  host_.RunOnGuiThread([&] {
    if (first) first();
    row.checked = form_.RowChecked(n);
    row.freq = form_.RowFreq(n);
    row.mode = form_.RowMode(n);
    row.name = form_.RowName(n);
    row.kept = form_.RowKept(n);
    row.toRig = form_.cbCcr.Checked() && !row.freq.empty();
  });
  return row;
}

Exchange Transfers::DoClick(int n, bool& read, bool firstRead) {
  return DoClick(n, TakeRow(n), read, firstRead);
}

Exchange Transfers::DoClick(int n, const RowNow& row, bool& read, bool firstRead) {
  read = !row.toRig;
  if (row.toRig) return WriteClicked(n, row);
  if (firstRead) MemoryModeBeforeReads();
  ReadChannelFromRig(ChannelText(n));
  return Exchange::Sent;
}

Exchange Transfers::WriteClicked(int n, const RowNow& row) {
  // A box of blanks is no frequency: written, it would empty the channel.
  if (Trim(row.freq).empty()) {
    notices_.Report(host_, "Channel " + ChannelText(n) +
                               ": the row needs a frequency; the channel was not written.");
    return Exchange::NotSent;
  }
  if (!form_.shared.BackupBeforeWriting)
    return WriteChannelToRig(ChannelText(n), row.freq, row.mode, row.name, row.kept);
  // The backup's reads and question belong to the GUI thread; a load's
  // worker (Click to Rig checked during a load) hands the whole write over.
  Exchange e = Exchange::NotSent;
  host_.RunOnGuiThread([&] {
    if (BackUpBefore({n}))
      e = WriteChannelToRig(ChannelText(n), row.freq, row.mode, row.name, row.kept);
  });
  return e;
}

void Transfers::ReadChannelFromRig(const std::string& channel, bool transmitSide) {
  const RigContext ctx = Context();
  const auto show = [&] {
    form_.shared.CivAddress = CivAddressOrDefault(form_.shared.CivAddress.Get());
    form_.lbChan.SetCaption(channel);
    form_.lbChan.SetVisible(true);
  };
  const auto watch = [&] {
    io_.ClearTranscript();
    // What is left of an answer that never completed belongs to no one.
    answers_.tally.Restart(FramingFor(form_.shared.ModelCode.Get()));
    WatchRead(channel);
    if (!port_.Active()) port_.SetActive(true);
    form_.shared.ChannelSent = true;
    io_.RefreshPortIndicator();
  };
  if (host_.IsGuiThread()) {
    // A click: the caption is painted before the read goes out.
    show();
    rigops::Pump(ctx);
    watch();
  } else {
    // A run's worker: one hand-over, where two would each cost the GUI
    // thread a wake-up for nothing between them.
    host_.RunOnGuiThread([&] {
      show();
      watch();
    });
  }
  const bool sent = transmitSide ? Commands().ReadTransmitSide(ctx, channel)
                                 : Commands().ReadChannel(ctx, channel);
  // A read that sent nothing (no such channel on the rig, a rig without a
  // command set) waits for no answer, and none is missing.
  if (!sent) {
    std::lock_guard lock(answeredMutex_);
    watched_.clear();
  }
}

Exchange Transfers::WriteChannelToRig(const std::string& channel, const std::string& freq,
                                      const std::string& mode, const std::string& name,
                                      const KeptFields& kept) {
  const RigContext ctx = Context();
  // Asked here: inside the hand-over every caller is on the GUI thread.
  const bool onGui = host_.IsGuiThread();
  host_.RunOnGuiThread([&] {
    form_.shared.CivAddress = CivAddressOrDefault(form_.shared.CivAddress.Get());
    form_.lbChan.SetCaption(channel);
    form_.lbChan.SetVisible(true);
    if (!onGui) io_.RefreshPortIndicator();  // a worker: one hand-over for both
  });
  if (onGui) {
    rigops::Pump(ctx);
    io_.RefreshPortIndicator();
  }
  const std::string f = Trim(freq), m = Trim(mode);
  const Exchange e = Commands().WriteChannel(ctx, channel, f, m, name, kept);
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

}  // namespace varnek
