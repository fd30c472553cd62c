#include "transfer/transfers.h"

#include <chrono>

#include "app/main_form.h"
#include "app/profile.h"
#include "app/text.h"
#include "rig/family.h"
#include "rig/icom.h"
#include "rig/kenwood.h"
#include "rig/single_commands.h"
#include "rig/yaesu.h"
#include "serial/serial_port.h"
#include "terminal/rig_form.h"

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

}  // namespace

Transfers::Transfers(Host& host, TMainForm& form, TSerialPort& port, TRigForm& rig, RigIo& io)
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
  // The channels a run refused, in one message at its end.
  const std::string refused = notices_.EndCollecting();
  SetRun(Run::None);
  if (!refused.empty()) host_.ShowMessage(refused);
}

bool Transfers::RefuseWhileBusy(const std::string& what) {
  if (!Busy()) return false;
  host_.ShowMessage(what + " has to wait: a transfer is running (Stop ends it).");
  return true;
}

void Transfers::Progress(const std::string& channel, int done, int total) {
  form_.pbTransfer.SetRange(total > 0 ? total : 1, done);
  if (OnProgress) OnProgress(channel, done, total);
}

int Transfers::CheckedCount(int first) {
  int n = 0;
  for (int i = first; i < TMainForm::kChannels; ++i)
    if (form_.cb[i].Checked() && form_.cb[i].Enabled()) ++n;
  return n;
}

// --- the receive path ---------------------------------------------------

void Transfers::SerialPort1RxClusterEvent() {
  if (port_.FirstClusterSize() < 0) return;
  const RigContext ctx = Context();
  const RigFamily family = FamilyOf(form_.shared.ModelCode.Get());
  bool parsed = true;
  if (IsAscii(family)) {
    io_.AddTranscriptLine("#" + port_.TakeFirstCluster());
    KenwoodParseAnswer(ctx);
  } else if (family == RigFamily::Icom || family == RigFamily::Yaesu) {
    if (family == RigFamily::Icom) host_.Sleep(form_.shared.ChannelInterval);
    std::vector<std::string> lines;
    HexDumpLines(port_.TakeFirstCluster(), lines);
    for (auto& line : lines)
      io_.AddTranscriptLine(line);
    host_.Sleep(form_.shared.CommandInterval);
    if (family == RigFamily::Icom)
      IcomParseAnswer(ctx);
    else
      YaesuParseAnswer(ctx);
  } else {
    parsed = false;  // no rig: the cluster stays queued
  }
  if (parsed && rig_.cbClear.Checked()) io_.ClearTranscript();
  if (rig_.cbSave.Checked())
    LogTranscript();
  else if (form_.shared.OperationState.Get() == "Reset")
    host_.Sleep(5 * form_.shared.ChannelInterval);
}

void Transfers::LogTranscript() {
  Profile log(form_.shared.DocumentsFolder.Get() + "terminal.ini");
  int n = log.ReadInteger("MainForm", "Rig", 0);
  if (n < 0) n = 0;
  std::vector<ProfileEntry> entries;
  for (const std::string& line : rig_.Terminal.Lines()) {
    // One INI value per line: a line break or NUL inside it would end the
    // value early, so those bytes are logged as blanks.
    std::string value = line;
    for (char& c : value)
      if (c == '\r' || c == '\n' || c == '\0') c = ' ';
    entries.push_back({"MainForm", std::to_string(++n), value});
  }
  entries.push_back({"MainForm", "Rig", std::to_string(n)});
  const FileResult r = log.Write(entries);
  if (!r.ok) form_.ShowStatus(r.message);
}

// --- one channel ----------------------------------------------------------

void Transfers::LabelClick(int channel) {
  if (RefuseWhileBusy("A channel click")) return;
  DoClick(channel);
}

void Transfers::DoClick(int n) {
  bool toRig = false;
  std::string freq, mode, name;
  host_.RunOnGuiThread([&] {
    freq = form_.A[n].Text();
    mode = form_.M[n].Text();
    name = form_.T[n].Text();
    toRig = form_.cbCcr.Checked() && !freq.empty();
  });
  if (toRig)
    WriteChannelToRig(ChannelText(n), freq, mode, name);
  else
    ReadChannelFromRig(ChannelText(n));
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
    if (!port_.Active()) port_.SetActive(true);
    form_.shared.ChannelSent = true;
    io_.RefreshPortIndicator();
  });
  switch (FamilyOf(form_.shared.ModelCode.Get())) {
    case RigFamily::Kenwood:
    case RigFamily::Ft2000:
      KenwoodReadChannel(ctx, channel);
      break;
    case RigFamily::Icom:
      IcomReadChannel(ctx, channel);
      break;
    case RigFamily::Yaesu:
      YaesuReadChannel(ctx, channel);
      break;
    case RigFamily::None:
      break;
  }
}

void Transfers::WriteChannelToRig(const std::string& channel, const std::string& freq,
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
  switch (FamilyOf(form_.shared.ModelCode.Get())) {
    case RigFamily::Kenwood:
    case RigFamily::Ft2000:
      KenwoodWriteChannel(ctx, channel, f, m, name);
      break;
    case RigFamily::Icom:
      IcomWriteChannel(ctx, channel, f, m, name);
      break;
    case RigFamily::Yaesu:
      YaesuWriteChannel(ctx, channel, f, m, name);
      break;
    case RigFamily::None:
      break;
  }
  host_.RunOnGuiThread([&] { io_.RefreshPortIndicator(); });
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
  if (RefuseWhileBusy("Loading")) return;
  if (worker_.joinable()) worker_.join();  // the last run's worker has ended
  host_.Sleep(form_.shared.ChannelInterval);
  io_.ClearTranscript();
  form_.shared.OperationState = "Load";
  form_.lbChan.SetVisible(false);
  form_.shared.LoadFinished = false;
  form_.shared.StopRequested = false;
  form_.cbCcr.SetChecked(false);
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
    for (int n = 0; n < TMainForm::kChannels && !stopped; ++n) {
      bool checked = false;
      host_.RunOnGuiThread([&] { checked = form_.cb[n].Checked(); });
      if (checked) {
        DoClick(n);
        ++done;
        host_.RunOnGuiThread([&] { Progress(ChannelText(n), done, total); });
        if (!port_.Active()) {
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
    if (!stopped) {
      host_.RunOnGuiThread([&] {
        form_.lbChan.SetCaption("Ready");
        form_.shared.OperationState = "Once";
      });
    }
  } catch (const std::exception& e) {
    error = e.what();
  }
  host_.RunOnGuiThread([&] {
    // However the run ended: clicked Kenwood reads select the channel again,
    // the interval is what the edit shows, and an error is not swallowed.
    form_.shared.LoadFinished = true;
    RestoreChannelInterval();
    if (!error.empty()) host_.ReportError(error);
    EndRun();
  });
  workerDone_ = true;
}

void Transfers::RestoreChannelInterval() {
  int v = 0;
  if (TryStrToInt(form_.edIntval.Text(), v)) form_.shared.ChannelInterval = std::max(0, v);
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
  if (RefuseWhileBusy("Saving")) return;
  if (StartsWith(form_.shared.ModelCode.Get(), "FT-1")) {
    // The FT-1000 paces its answers by this command; it is not echoed.
    io_.Send(HexTextToBytes(kYaesuPacing));
    host_.Sleep(form_.shared.CommandInterval);
  }
  io_.ClearTranscript();
  rig_.cbSave.SetChecked(true);
  form_.shared.OperationState = "Save";
  form_.shared.ChannelSent = false;
  form_.shared.StopRequested = false;
  form_.lbChan.SetCaption("0");
  form_.lbChan.SetVisible(true);
  SetRun(Run::Save);
  notices_.BeginCollecting();
  Finally end{[this] {
    // However the run ends, the terminal log stops with it.
    rig_.cbSave.SetChecked(false);
    form_.shared.OperationState = "Once";
    EndRun();
  }};
  SaveChannels();
}

void Transfers::SaveChannels() {
  const int total = CheckedCount(0);
  int done = 0;
  for (int n = 0; n < TMainForm::kChannels; ++n) {
    const bool take = form_.cb[n].Checked() && (n > 0 || form_.cb[0].Enabled());
    if (take) {
      WriteChannelToRig(ChannelText(n), form_.A[n].Text(), form_.M[n].Text(), form_.T[n].Text());
      Progress(ChannelText(n), ++done, total);
      if (!port_.Active()) {
        host_.ReportError(LostLine(ChannelText(n)));
        return;
      }
    }
    if ((n == 9 || (n > 9 && n % 2 == 1 && n <= 97)) && form_.shared.StopRequested) return;
  }
  form_.lbChan.SetCaption("Ready");
  form_.lbChan.SetVisible(true);
  if (!form_.shared.ChannelSent) host_.ShowMessage("No saves, no channels checked!");
}

// --- clear ------------------------------------------------------------------

void Transfers::ClrMemory1Click() {
  if (RefuseWhileBusy("Clearing")) return;
  if (!host_.Confirm("Reset Memory Channels?", MessageIcon::Question)) return;
  io_.ClearTranscript();
  form_.shared.OperationState = "Reset";
  form_.shared.StopRequested = false;
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
  const std::string code = form_.shared.ModelCode.Get();
  const RigFamily family = FamilyOf(code);
  if (family == RigFamily::None) return;
  if (family == RigFamily::Yaesu && !YaesuClearStart(ctx)) {
    form_.lbChan.SetCaption("Ready");
    return;
  }
  const int first = family == RigFamily::Icom ? 1 : 0;  // CI-V never clears 00
  const int total = CheckedCount(first);
  int done = 0;
  for (int n = first; n < TMainForm::kChannels; ++n) {
    if (!form_.CheckBoxList[static_cast<size_t>(n)]->Checked()) continue;
    std::string caption = ChannelText(n);
    switch (family) {
      case RigFamily::Kenwood:
        KenwoodClearChannel(ctx, n);
        break;
      case RigFamily::Ft2000:
        KenwoodClearChannel(ctx, n);
        caption = "0" + caption;
        break;
      case RigFamily::Icom:
        IcomClearChannel(ctx, n);
        break;
      case RigFamily::Yaesu:
        // The FT-1000 family has no channel 00: nothing was sent for it.
        if (!YaesuClearChannel(ctx, n)) continue;
        caption = std::to_string(n);
        break;
      case RigFamily::None:
        break;
    }
    Progress(caption, ++done, total);
    if (!port_.Active()) {
      host_.ReportError(LostLine(ChannelText(n)));
      return;
    }
    if (form_.shared.StopRequested) break;
    form_.lbChan.SetCaption(caption);
    form_.lbChan.SetVisible(true);
    host_.ProcessMessages();
    host_.Sleep((family == RigFamily::Icom ? 4 : 1) * form_.shared.ChannelInterval);
    form_.lbChan.SetCaption("Empty");
    host_.ProcessMessages();
    if (family == RigFamily::Yaesu) host_.Sleep(form_.shared.ChannelInterval);
  }
  form_.lbChan.SetCaption("Ready");
}

}  // namespace varnek
