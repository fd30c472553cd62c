#include "cli/run.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <ostream>

#include "base/file_io.h"
#include "base/text.h"
#include "files/channel_file.h"
#include "rig/family.h"
#include "rig/rig_io.h"
#include "settings/rig_settings.h"

namespace varnek::cli {

using Clock = std::chrono::steady_clock;

void Run::Setup() {
  host_.SetMessageSink([this](const std::string& t) { reporter_.Message(t); },
                       [this](const std::string& t) { reporter_.Error(t); });
  const bool ownFolder = o_.oSettings->count() > 0;
  auto device = std::make_unique<AnswerWatch>(MakePosixSerialDevice());
  watch_ = device.get();
  program_ = std::make_unique<Program>(
      host_, ownFolder ? DirEnvironment(o_.settingsDir) : SystemFolderEnvironment(),
      std::move(device));
  Program& p = *program_;
  p.persistSettings = false;
  // Before the user's port is open, the saved settings open other ports
  // on the way; what they report says nothing about the port that counts.
  p.SerialPort1.OnProcessError = [this](TSerialPort&, uint32_t place, uint32_t code,
                                        const std::string& msg, uint8_t noise) {
    if (noise != 0) return;
    const std::string text = SerialReportText(code, msg);
    program_->MainForm.ShowStatus(text);
    if (place == kPlaceOpen) openFailure_ = text;
    if (portReports_) reporter_.Error(text);
  };
  auto received = p.SerialPort1.OnRxClusterEvent;
  p.SerialPort1.OnRxClusterEvent = [this, received](TSerialPort& port) {
    lastCluster_ = Clock::now();
    if (received) received(port);
    lastCluster_ = Clock::now();
  };
  // Without the backup of every channel nothing is written: a script has
  // nobody to ask.
  p.transfers.OnBackupIncomplete = [this](const std::string& question) {
    reporter_.Error(question.substr(0, question.find(". Write without")) +
                    "; nothing was written");
    return false;
  };
  // Data that did not reach the rig or the table is a failed transfer for a
  // script.
  p.transfers.OnRefusals = [this](const std::string& notice) { reporter_.Error(notice); };
  p.transfers.OnProgress = [this](const std::string& channel, int done, int total) {
    if (console_.stderrTerminal) reporter_.Progress(channel, done, total);
  };
  host_.onStop = [this] { program_->transfers.Cancel1Click(); };

  p.FormCreate();
  if (!ownFolder) {
    // Backups are what the user keeps: they go where the window keeps
    // them, so that either finds the other's. Only the save run's terminal
    // log goes to the scratch folder, which is gone at the end.
    p.transfers.backupFolder = p.MainForm.shared.DocumentsFolder.Get() + "backups";
    scratch_ = std::make_unique<ScratchFolder>();
    if (!scratch_->Path().empty()) p.MainForm.shared.DocumentsFolder = scratch_->Path();
  }
  p.FormShow(ownFolder);
  if (o_.oRig->count()) {
    const std::optional<std::string> rig = RigSelection(o_.rig);
    if (!rig) throw UnknownRig(o_.rig);
    Guarded(host_, [&] { p.MainForm.cbxRig.UserInput(*rig); });
  }
  if (FamilyOf(p.MainForm.shared.ModelCode.Get()) == RigFamily::None)
    throw UsageError{"no rig selected: give --rig (see: rigs)"};
}

void Run::ApplyOverrides() {
  Program& p = *program_;
  TSetDLG& d = p.SetDLG;
  TMainForm& f = p.MainForm;
  if (o_.oBaud->count()) d.CBBaud.SetItemIndex(BaudPosition(o_.baud));
  if (o_.oData->count())
    d.CBData.SetItemIndex(ItemPosition(DataBitItems(), IntToStr(o_.dataBits) + " Bit"));
  if (o_.oStop->count()) d.CBStop.SetItemIndex(Position(kStopBits, o_.stopBits));
  if (o_.oParity->count()) d.CBParity.SetItemIndex(Position(kParities, o_.parity));
  if (o_.oFlow->count()) d.CBFlow.SetItemIndex(Position(kFlows, o_.flow));
  if (o_.oDtr->count()) d.chkDtr.SetChecked(o_.dtr == "on");
  if (o_.oRts->count()) d.chkRTS.SetChecked(o_.rts == "on");
  if (o_.oAddress->count()) {
    f.edAddr.SetText(UpperCase(o_.address));
    f.edAddrExit();
  }
  if (o_.oChannel->count()) {
    f.edIntval.SetText(IntToStr(o_.channelInterval));
    f.shared.ChannelInterval = o_.channelInterval;
  }
  if (o_.oCommand->count()) {
    f.edWait.SetText(IntToStr(o_.commandInterval));
    f.shared.CommandInterval = o_.commandInterval;
  }
  if (o_.oLoop->count()) {
    d.edLoopWait.SetText(IntToStr(o_.loopWait));
    f.shared.IcomLoopWait = o_.loopWait;
  }
  if (o_.oBackupDir->count()) p.transfers.backupFolder = o_.backupDir;
  if (o_.oWaitAnswers->count() || o_.verify || o_.oBackup->count()) {
    RigOptions options = d.Options();
    if (o_.oBackup->count()) options.backupBeforeWriting = o_.backup == "on";
    if (o_.oWaitAnswers->count()) options.waitForAnswers = o_.waitAnswers == "on";
    if (o_.verify) options.verifyAfterWrite = true;
    d.SetOptions(options);
  }
  if (o_.oNotation->count()) {
    TRadioButton* chosen[] = {&d.rbTwoPnts, &d.rbPoint, &d.rbComma};
    const int n = Position(kNotations, o_.notation);
    for (int i = 0; i < 3; ++i)
      chosen[i]->SetChecked(i == n);
  }
  if (o_.oPort->count()) {
    const PortChoice port = ResolvePortOption(o_.port);
    if (!port.name.empty()) {
      d.CBPort.SetItemIndex(ItemPosition(PortItems(), port.name));
    } else {
      // The device stands in for the selected port name for this run only;
      // settings.ini is never written.
      if (d.CBPort.ItemIndex() < 0) d.CBPort.SetItemIndex(0);
      d.portPaths.Set(d.CBPort.Items()[static_cast<size_t>(d.CBPort.ItemIndex())], port.path);
    }
    d.CBPortChange();
  }
}

int Run::OpenPort() {
  Program& p = *program_;
  openFailure_.clear();
  p.SetDLG.ApplyDialogToPort(p.SerialPort1);
  p.SetDLG.RefreshPortIndicator();
  if (!p.SerialPort1.Active()) {
    portReports_ = false;
    const std::string device = p.SerialPort1.DevicePath();
    reporter_.Message(
        "cannot open the port " + p.SerialPort1.CommPort() +
        (device.empty() || device == p.SerialPort1.CommPort() ? "" : " (" + device + ")") +
        (openFailure_.empty() ? "" : ": " + openFailure_));
    return kExitPort;
  }
  portReports_ = true;
  // Answers are cut into one cluster after the line has been quiet for a
  // while; with a channel interval shorter than that wait, the next request
  // would go out before the last answer was parsed and rows would mix.
  if (o_.oChannel->count() && o_.channelInterval < 500)
    p.SerialPort1.SetRTOExtraDelayTime(
        static_cast<uint16_t>(std::clamp(o_.channelInterval / 2, 10, 250)));
  return kExitOk;
}

// The waits below sleep until GUI work has run (an answer, a hand-over from
// the load worker), the worker has ended, or Ctrl-C woke the host; the
// conditions are looked at only then.
void Run::WaitUntilIdle() {
  // PollStop turns a Ctrl-C into "Stop", which ends the run.
  while (!host_.WaitFor(
      [this] {
        host_.PollStop();
        return !program_->transfers.Busy();
      },
      60000)) {
  }
  program_->transfers.WaitForLoad(60000);
}

void Run::Pause(int ms) {
  host_.WaitFor([this] { return host_.PollStop(); }, ms);
}

void Run::Settle() {
  const auto start = Clock::now();
  const auto quiet = std::chrono::milliseconds(o_.settle);
  // A rig that never falls silent (an auto-information mode, a fault)
  // must not keep the command from ending.
  const auto limit = start + std::max(std::chrono::milliseconds(10000), 10 * quiet);
  lastCluster_ = std::max(lastCluster_, start);
  for (;;) {
    const auto seen = lastCluster_;
    const auto now = Clock::now();
    if (now - seen >= quiet) return;
    if (now >= limit) {
      reporter_.Message("the line did not fall quiet; printing what has arrived");
      return;
    }
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        std::min(seen + quiet, limit) - now);
    // A received cluster's notice moves lastCluster_ and ends the wait.
    host_.WaitFor([&] { return host_.PollStop() || lastCluster_ != seen; },
                  static_cast<int>(left.count()) + 1);
    if (host_.PollStop()) return;
    // A cluster nobody took (no receive path wanted it) is still activity.
    if (lastCluster_ == seen && program_->SerialPort1.FirstClusterSize() >= 0)
      lastCluster_ = Clock::now();
  }
}

bool Run::WriteTable(bool toStdoutByDefault) {
  Program& p = *program_;
  if (o_.oOut->count()) {
    const ChannelFileResult r = SaveChannelFile(o_.out, p.MainForm, p.SetDLG.Notation());
    if (!r.ok) reporter_.Error(r.message);
    return r.ok;
  }
  if (toStdoutByDefault)
    out_ << ChannelFileText(TableOf(p.MainForm), p.SetDLG.Notation()) << std::flush;
  return true;
}

bool Run::WriteTranscript() {
  if (!o_.oTranscript->count()) return true;
  // Saved like every file: never into a device or pipe the name happens to
  // be, and the old transcript stays whole if the write fails.
  std::string text;
  for (const std::string& line : program_->RigForm.Terminal.Lines())
    text += line + '\n';
  const FileResult r = WriteFileAtomically(o_.transcript, text);
  if (!r.ok) reporter_.Error("cannot write the transcript: " + r.message);
  return r.ok;
}

void Run::CheckChannels(const std::vector<int>& channels) {
  TMainForm& f = program_->MainForm;
  if (!f.cb[0].Enabled() && NamesZeroAlone(o_.channels))
    throw UsageError{"channel 00 does not exist on the " + f.cbxRig.Text() +
                     " (only the Kenwood TS rigs have it)"};
  for (int n = 0; n < TMainForm::kChannels; ++n)
    f.cb[static_cast<size_t>(n)].SetChecked(false);
  for (int n : channels)
    if (f.cb[static_cast<size_t>(n)].Enabled()) f.cb[static_cast<size_t>(n)].SetChecked(true);
}

int Run::Command() {
  Program& p = *program_;
  Transfers& t = p.transfers;
  // The runs gather the rig's refusals themselves; a single command would
  // show each as a plain message, so its refusals are gathered here.
  const bool single = !IsRun(verb_);
  if (single) t.Notices().BeginCollecting();
  watch_->Restart();
  switch (verb_) {
    case Verb::Read:
      ReadRun();
      break;
    case Verb::Write:
      WriteRun();
      break;
    case Verb::Clear:
      if (!ClearRun()) return kExitOk;
      break;
    case Verb::Click:
      Click();
      break;
    case Verb::VfoA:
      Guarded(host_, [&] { t.VfoA1Click(); });
      break;
    case Verb::Memory:
      Guarded(host_, [&] { t.Memory1Click(); });
      break;
    case Verb::Send:
      Send();
      break;
    case Verb::Restore:
      Restore();
      break;
    case Verb::Diff:
      DiffRun();
      break;
    case Verb::Rigs:
    case Verb::Import:
    case Verb::Export:
      break;  // these need no rig
  }
  Settle();
  reporter_.EndProgress();
  if (single) {
    const std::string refused = t.Notices().EndCollecting();
    if (!refused.empty()) reporter_.Error(refused);
  }
  // A read that nothing answered leaves the table as it was; a wrong port,
  // baud rate or address must not pass for an empty rig.
  const bool reads = verb_ == Verb::Read || (verb_ == Verb::Click && !o_.toRig);
  if (reads && !watch_->HeardRig() && !host_.stopped)
    reporter_.Error("no answer from the rig on " + p.SerialPort1.DevicePath() +
                    "; check the rig, the port and the line settings");
  if (!reads && !host_.stopped) CheckReaction();
  return kExitOk;
}

void Run::ReadRun() {
  CheckChannels(o_.channelList);
  if (Guarded(host_, [&] { program_->transfers.LoadFromRig1Click(); })) WaitUntilIdle();
}

void Run::LeaveOutSkipped(const std::string& done) {
  if (tableSkipped_.empty()) return;
  TMainForm& f = program_->MainForm;
  bool unknown = false;
  std::vector<bool> named(TMainForm::kChannels, false);
  for (const SkippedLine& line : tableSkipped_) {
    if (line.channel < 0)
      unknown = true;
    else
      named[static_cast<size_t>(line.channel)] = true;
  }
  // A skipped line never becomes an empty row that clears a channel, and
  // the channel a skipped line was meant for keeps what the rig holds.
  std::string meant, empty;
  for (int n = 0; n < TMainForm::kChannels; ++n) {
    if (!f.RowChecked(n)) continue;
    const bool isEmpty = Trim(f.RowFreq(n)).empty();
    if (named[static_cast<size_t>(n)]) {
      meant += (meant.empty() ? "" : " ") + ChannelText(n);
      f.cb[static_cast<size_t>(n)].SetChecked(false);
    } else if (isEmpty && unknown) {
      empty += (empty.empty() ? "" : " ") + ChannelText(n);
      f.cb[static_cast<size_t>(n)].SetChecked(false);
    }
  }
  if (!meant.empty())
    reporter_.Error("not " + done + ": " + meant + " (their lines in " + o_.table +
                    " were skipped)");
  if (!empty.empty())
    reporter_.Error("not " + done + " as empty channels, since " + o_.table +
                    " has lines that were skipped: " + empty);
}

void Run::WriteRun() {
  Program& p = *program_;
  Transfers& t = p.transfers;
  CheckChannels(o_.channelList);
  LeaveOutSkipped("written");
  if (o_.changedOnly) {
    // The compare's rows are only the means here; what it found is told by
    // the write's own count.
    t.OnCompared = [](const std::vector<Transfers::Compared>&) {};
    if (!Guarded(host_, [&] { t.CompareCheckedWithRig(); }) || host_.stopped) return;
  }
  // On the ASCII rigs a checked row without a frequency empties the rig's
  // channel, as in the GUI; from a sparse file that is easily more than
  // was meant. The other families refuse such rows in the run's report.
  std::string empty;
  if (IsAscii(FamilyOf(p.MainForm.shared.ModelCode.Get())))
    for (int n : o_.channelList) {
      if (!p.MainForm.RowChecked(n) || !Trim(p.MainForm.RowFreq(n)).empty()) continue;
      const std::optional<HeldChannel> held = t.RigHolds(n);
      if (o_.changedOnly && held && held->empty) continue;  // empty already
      empty += (empty.empty() ? "" : " ") + ChannelText(n);
    }
  if (!empty.empty())
    reporter_.Message("no frequency in the table, written as empty channels: " + empty);
  Guarded(host_, [&] {
    if (o_.changedOnly)
      t.SaveChangedToRig();
    else
      t.SaveToRig1Click();
  });
}

void Run::DiffRun() {
  Transfers& t = program_->transfers;
  CheckChannels(o_.channelList);
  LeaveOutSkipped("compared");
  t.OnCompared = [this](const std::vector<Transfers::Compared>& rows) {
    for (const Transfers::Compared& c : rows) {
      if (c.noAnswer)
        out_ << ChannelText(c.channel) << ": no answer from the rig\n";
      else if (!c.fields.empty())
        out_ << Transfers::CompareLine(c) << '\n';
    }
    out_ << std::flush;
  };
  Guarded(host_, [&] { t.CompareCheckedWithRig(); });
}

bool Run::ClearRun() {
  CheckChannels(o_.channelList);
  host_.assumeYes = o_.yes;
  Guarded(host_, [&] { program_->transfers.ClrMemory1Click(); });
  if (!host_.declined) return true;
  reporter_.Message("nothing cleared");
  return false;
}

void Run::Click() {
  Program& p = *program_;
  const int n = o_.clickChannel;
  if (!p.MainForm.RowAvailable(n))
    throw UsageError{"channel " + ChannelText(n) + " does not exist on the " +
                     p.MainForm.RigName()};
  if (o_.toRig) {
    // Without a frequency the click would read instead, and a script that
    // meant to write would be told it had succeeded.
    if (Trim(p.MainForm.RowFreq(n)).empty())
      throw UsageError{"click --to-rig: channel " + ChannelText(n) +
                       " has no frequency in the table (give --table)"};
    for (const SkippedLine& line : tableSkipped_)
      if (line.channel == n) {
        reporter_.Error("channel " + ChannelText(n) + " not written: line " +
                        std::to_string(line.line) + " of " + o_.table + " was skipped");
        return;
      }
    p.SetDLG.cbCcr.SetChecked(true);
    p.MainForm.cbCcr.SetChecked(true);
  }
  Guarded(host_, [&] { p.transfers.LabelClick(n); });
}

void Run::Restore() {
  Transfers& t = program_->transfers;
  const std::string path = o_.file == "last" ? t.NewestBackup() : o_.file;
  if (path.empty())
    throw UsageError{"there is no backup of the " + program_->MainForm.RigName() + " in " +
                     (o_.oBackupDir->count() ? o_.backupDir : std::string("the backups folder"))};
  Guarded(host_, [&] { t.RestoreBackup(path); });
}

void Run::Send() {
  TRigForm& r = program_->RigForm;
  for (size_t i = 0; i < r.Edit.size(); ++i)
    r.Edit[i].SetText(i < o_.lines.size() ? o_.lines[i] : std::string());
  r.cbWorm.SetChecked(o_.worm);
  r.cbAddLF.SetChecked(o_.addLf);
  if (Guarded(host_, [&] { r.SendBtnClick(); })) Pause(o_.waitMs);
}

// What a command that changes the rig can tell of the rig's reaction. A CI-V
// rig acknowledges every frame: when nothing but the bus echo came back it
// is off or set to another address, and nothing was changed. The ASCII and
// five-byte rigs answer no memory write, so there a write stays unconfirmed
// unless it was paced by the rig's answers or read back.
void Run::CheckReaction() {
  Program& p = *program_;
  const bool single = verb_ == Verb::VfoA || verb_ == Verb::Memory;
  const bool write = verb_ == Verb::Write || verb_ == Verb::Click;
  std::string channels;
  for (int n : p.transfers.SentChannels())
    channels += (channels.empty() ? "" : ", ") + ChannelText(n);
  if (!single && channels.empty()) return;  // nothing went to the rig
  const std::string many = channels.find(',') == std::string::npos ? "" : "s";
  switch (FamilyOf(p.MainForm.shared.ModelCode.Get())) {
    case RigFamily::Icom:
      if (watch_->HeardRig()) return;
      silentRig_ = true;
      reporter_.Message(
          "no answer from the rig on " + p.SerialPort1.DevicePath() + " " +
          (single ? "to " + std::string(NameOf(verb_))
                  : std::string(write ? "after writing" : "after clearing") + " channel" + many +
                        " " + channels) +
          " (only the bus echo came back); check that the rig is on and its CI-V address");
      return;
    case RigFamily::Kenwood:
    case RigFamily::Ft2000:
    case RigFamily::Yaesu: {
      // The ASCII rigs' identity query, sent after each write when paced by
      // answers, confirms it too; the five-byte Yaesus have only the read-back.
      const bool ascii = IsAscii(FamilyOf(p.MainForm.shared.ModelCode.Get()));
      if (!write || p.MainForm.shared.VerifyAfterWrite ||
          (ascii && p.MainForm.shared.WaitForAnswers))
        return;
      reporter_.Message("the rig answers no memory write: that it holds channel" + many + " " +
                        channels + " is not confirmed (" +
                        (ascii ? "--wait-for-answers on or --verify does" : "--verify does") + ")");
      return;
    }
    case RigFamily::None:
      return;
  }
}

Run::~Run() {
  // The program's end still waits and so looks for a stop; the hook must
  // not reach a program that is half gone.
  host_.onStop = nullptr;
  program_.reset();
}

int Run::Execute() {
  Setup();
  ApplyOverrides();
  if (const int port = OpenPort(); port != kExitOk) return port;
  Program& p = *program_;
  if (o_.oTable->count()) {
    const ChannelFileResult r = LoadChannelFile(o_.table, p.MainForm, p.SetDLG.Notation());
    if (!r.ok) {
      reporter_.Error(r.message);
      return kExitTransferError;
    }
    for (const std::string& line : r.report)
      reporter_.Message(o_.table + ": " + line);
    tableSkipped_ = r.skipped;
  }
  reporter_.CountErrors(true);
  p.transfers.OnBackupMade = [this](const std::string& path) { reporter_.Message("backup: " + path); };
  const int status = Command();
  reporter_.CountErrors(false);
  if (status != kExitOk) return status;

  bool written = true;
  if (verb_ == Verb::Send) {
    for (const std::string& line : p.RigForm.Terminal.Lines())
      out_ << line << '\n';
    out_ << std::flush;
  } else {
    written = WriteTable(verb_ == Verb::Read || verb_ == Verb::Click);
  }
  if (!WriteTranscript()) written = false;
  p.FormClose(false);
  if (host_.stopped) {
    reporter_.Message("stopped");
    return kExitTransferError;
  }
  if (reporter_.Errors() > 0 || !written) return kExitTransferError;
  if (verb_ == Verb::Diff) {
    const auto& rows = p.transfers.LastComparison();
    if (std::any_of(rows.begin(), rows.end(), [](const auto& c) { return c.noAnswer; }))
      return kExitNoAnswer;
    if (std::any_of(rows.begin(), rows.end(), [](const auto& c) { return !c.fields.empty(); }))
      return kExitTransferError;
  }
  if (!p.transfers.VerifyDifferences().empty()) return kExitTransferError;
  if (silentRig_ || !p.transfers.Unanswered().empty()) return kExitNoAnswer;
  return kExitOk;
}

}  // namespace varnek::cli
