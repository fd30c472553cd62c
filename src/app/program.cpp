#include "app/program.h"

#include "app/main_form_settings.h"
#include "settings/rig_settings.h"
#include "app/startup.h"
#include "base/rig_family.h"
#include "base/text.h"

#include <tuple>
#include "files/channel_file.h"
#include "files/chirp_csv.h"
#include "files/rigmem_csv.h"
#include "rig/command_set.h"
#include "rig/family.h"
#include "rig/icom.h"
#include "rig/kenwood.h"
#include "rig/yaesu.h"

namespace varnek {

Program::Program(Host& h, FolderEnvironment env, std::unique_ptr<SerialDevice> device)
    : host(h),
      MainForm(h),
      SerialPort1(h, std::move(device)),
      RigForm(h, MainForm, SerialPort1),
      SetDLG(MainForm, SerialPort1),
      rigIo(MainForm, SerialPort1, RigForm),
      transfers(h, MainForm, SerialPort1, RigForm, rigIo),
      editor(MainForm, [this] { return SetDLG.Notation(); }),
      MemoryList(editor),
      downloader(std::make_unique<CurlDownloader>()),
      env_(std::move(env)) {
  SerialPort1.SetCommPort("COM1");
  SerialPort1.SetErrorNoise(255);
  SerialPort1.OnRxClusterEvent = [this](TSerialPort&) {
    Guarded(host, [this] { transfers.SerialPort1RxClusterEvent(); });
  };
  // An error may come with the port closed under the program (a hang-up):
  // the lamp follows the port, not the last run that blinked it.
  SerialPort1.OnProcessError = MakeSerialReportHandler([this](const std::string& text) {
    MainForm.ShowStatus(text);
    serialStatus_ = text;
    SetDLG.RefreshPortIndicator();
  });
  // A port opened again makes an earlier serial error on the strip stale.
  SerialPort1.OnOpened = [this](TSerialPort&) {
    if (!serialStatus_.empty() && MainForm.lbStatusLine.Caption() == serialStatus_)
      MainForm.ShowStatus("");
    serialStatus_.clear();
  };
  SetDLG.SaveRigLine = [this](const std::string& rig, const std::string& line) {
    if (!persistSettings) return;
    Profile settings = Settings();
    const RigOptions options = SetDLG.Options();
    const RigSaveResult r = SaveRigSelection(settings, rig, line, &options);
    if (!r.file.ok) host.ReportError(r.file.message);
    // The device behind each port name the user has set; a name the user
    // took back to its default is emptied, or the old device would return
    // at the next start.
    std::vector<ProfileEntry> ports;
    for (const std::string& name : PortItems()) {
      const auto set = SetDLG.portPaths.Entries().find(name);
      if (set != SetDLG.portPaths.Entries().end())
        ports.push_back({"Ports", name, set->second});
      else if (!settings.ReadString("Ports", name).empty())
        ports.push_back({"Ports", name, ""});
    }
    if (!ports.empty()) {
      const FileResult p = settings.Write(ports);
      if (!p.ok) host.ReportError(p.message);
    }
    if (!r.notice.empty()) MainForm.ShowStatus(r.notice);
  };
  SetDLG.OnOptionsChanged = [this] { transfers.ApplyAnswerFraming(); };
  RigForm.RefreshIndicator = [this] { SetDLG.RefreshPortIndicator(); };
  RigForm.BeforeSend = [this] {
    rigIo.ForgetOutstandingRead();
    // A raw command may change any memory.
    transfers.ForgetWhatTheRigHolds();
  };
  // From the terminal the dialog is modal; one already open from the menu
  // is only brought forward, keeping what the user has changed in it.
  RigForm.ShowSettingsModal = [this] {
    if (SetDLG.Visible()) {
      if (ShowSettings) ShowSettings();
      return true;
    }
    SetDLG.Show();
    if (ShowSettingsModal)
      ShowSettingsModal();
    else if (ShowSettings)
      ShowSettings();
    return true;
  };
  RigForm.OnRead = [this] {
    if (!SerialPort1.Active()) SerialPort1.SetActive(true);
    MainForm.shared.CivAddress = CivAddressOrDefault(MainForm.edAddr.Text());
    const std::string code = MainForm.shared.ModelCode.Get();
    const RigContext ctx = transfers.Context();
    const CommandSet& commands = CommandSetOf(code);
    if (commands.ReadsStatusRecord(code))
      RigForm.ReadFt920StatusRecord();
    else
      commands.ParseAnswer(ctx);
  };
  transfers.OnRunChanged = [this](Transfers::Run run) {
    const bool idle = run == Transfers::Run::None;
    for (TButton* b : {&SetDLG.OKbtn, &SetDLG.btOpenPort, &SetDLG.btClosePort})
      b->SetEnabled(idle);
    // The run's options hold for the whole run.
    for (TCheckBox* c : {&SetDLG.cbWaitAnswers, &SetDLG.cbVerify, &SetDLG.cbBackup, &SetDLG.cbCcr})
      c->SetEnabled(idle);
    MemoryList.SetBusy(!idle);
  };
  editor.OnHistoryChanged = [this] {
    MainForm.ShowUndo(editor.UndoCaption(), editor.CanUndo(), editor.RedoCaption(),
                      editor.CanRedo());
    MemoryList.RefreshUndo();
  };
  MainForm.cbxRig.OnChange = [this] { cbxRigChange(); };
  for (int n = 0; n < TMainForm::kChannels; ++n)
    MainForm.Label[n].OnClick = [this, n] { transfers.LabelClick(n); };
  WireMenu();
}

Program::~Program() {
  SerialPort1.SetActive(false);
  // Ended while every part still exists: waiting for the worker serves the
  // GUI thread's queue, where the serial thread's work (a hang-up's report,
  // a late answer) may be waiting to reach this program.
  transfers.Finish();
  // The parts go one by one from here, and a later wait would still serve
  // that queue: nothing of the port may reach them any more.
  SerialPort1.OnProcessError = nullptr;
  SerialPort1.OnRxClusterEvent = nullptr;
  SerialPort1.OnOpened = nullptr;
}

Profile Program::Settings() const {
  return SettingsOf(MainForm);
}

void Program::WireMenu() {
  auto on = [this](const char* item, std::function<void()> f) {
    MainForm.MenuItem(item).OnClick = std::move(f);
  };
  on("ClrMemory1", [this] { transfers.ClrMemory1Click(); });
  on("Defaults1", [this] {
    if (!transfers.RefuseWhileBusy("The reset")) Defaults1Click();
  });
  auto ask = [this](bool save, const FileDialogSetup& setup) {
    return AskFileName ? AskFileName(save, setup) : std::string();
  };
  on("LoadFromFile1", [this, ask] {
    const std::string path = ask(false, OpenDialogSetup(MainForm.shared.DocumentsFolder.Get()));
    if (!path.empty()) LoadFromFile1Click(path);
  });
  on("SaveToFile1", [this, ask] {
    const std::string path = ask(true, SaveDialogSetup(MainForm.shared.DocumentsFolder.Get()));
    if (!path.empty()) SaveToFile1Click(path);
  });
  for (const auto& [load, save, format] :
       {std::tuple{"LoadFromChirp1", "SaveToChirp1", CsvFormat::Chirp},
        std::tuple{"LoadFromRigmem1", "SaveToRigmem1", CsvFormat::Rigmem}}) {
    const CsvFormat f = format;
    on(load, [this, ask, f] {
      const std::string path = ask(false, CsvDialogSetup(MainForm.shared.DocumentsFolder.Get()));
      if (!path.empty()) ImportCsv(f, path);
    });
    on(save, [this, ask, f] {
      const std::string path = ask(true, CsvDialogSetup(MainForm.shared.DocumentsFolder.Get()));
      if (!path.empty()) ExportCsv(f, path);
    });
  }
  on("LoadFromRig1", [this] { transfers.LoadFromRig1Click(); });
  on("SaveToRig1", [this] { transfers.SaveToRig1Click(); });
  on("CompareWithRig1", [this] { transfers.CompareCheckedWithRig(); });
  on("SaveChangedToRig1", [this] { transfers.SaveChangedToRig(); });
  on("LoadBackup1", [this] {
    const std::string path = transfers.NewestBackup();
    if (path.empty())
      host.ShowMessage("There is no backup of the " + MainForm.cbxRig.Text() + " yet.");
    else
      transfers.LoadBackupIntoTable(path);
  });
  on("RestoreBackup1", [this] {
    const std::string path = transfers.NewestBackup();
    if (path.empty()) {
      host.ShowMessage("There is no backup of the " + MainForm.cbxRig.Text() + " yet.");
      return;
    }
    if (host.Confirm("Write the backup " + path + " to the rig? Its channels are written as they "
                     "were and the ones that were empty are cleared.",
                     MessageIcon::Question))
      transfers.RestoreBackup(path);
  });
  on("Undo1", [this] { editor.Undo(); });
  on("Redo1", [this] { editor.Redo(); });
  on("MemoryList1", [this] { OpenMemoryList(HasChannel00(MainForm.shared.ModelCode.Get()) ? 0 : 1); });
  on("Cancel1", [this] { transfers.Cancel1Click(); });
  on("Memory1", [this] { transfers.Memory1Click(); });
  on("VfoA1", [this] { transfers.VfoA1Click(); });
  on("Settings1", [this] {
    // Open already: brought forward, not reloaded over the user's changes.
    if (!SetDLG.Visible()) SetDLG.Show();
    if (ShowSettings) ShowSettings();
  });
  on("Commands1", [this] {
    if (ShowTerminal) ShowTerminal();
  });
  on("Advice1", [this] { Advice1Click(); });
  on("Neuvoja1", [this] { Neuvoja1Click(); });
  on("Update1", [this] { Update1Click(); });
  // The window's close ends a run first; closing the port here would cut
  // the run off mid-channel.
  on("Close1", [this] { MainForm.Close1Click(); });
}

void Program::FormCreate() {
  RestoreFoldersAndPosition(MainForm, env_);
  const Profile settings = Settings();
  for (const std::string& name : PortItems()) {
    const std::string path = settings.ReadString("Ports", name);
    if (!path.empty()) SetDLG.portPaths.Set(name, path);
  }
  // The terminal window is created with the main window.
  Guarded(host, [this] { RigForm.FormCreate(Settings()); });
}

void Program::FormShow(bool clearTerminalLog) {
  MainForm.shared.ModelCode = "";
  const Profile settings = Settings();
  const std::string rig = settings.ReadString(kMainSection, kRigKey);
  // A damaged settings line is reported; the rest of the first show still
  // runs, since every later command needs it.
  bool applied = false;
  Guarded(host, [&] {
    if (!rig.empty()) {
      MainForm.cbxRig.SetText(rig);
      MainForm.shared.ModelCode = ModelCodeOf(rig);
      SerialPort1.SetActive(false);
      SetDLG.SetOptions(ReadRigOptions(settings, rig));
      const std::string line = ReadRigSettingsLine(settings, rig);
      if (!line.empty()) {
        SetDLG.ParseRigSettings(line);  // opens the port
        applied = true;
        ApplyRigFamily(MainForm);
      } else {
        Defaults1Click();
        applied = true;
      }
    } else {
      SetDLG.LoadDialogFromPort(SerialPort1);
    }
  });
  if (!applied && !SerialPort1.Active()) Guarded(host, [&] { SetDLG.ApplyDialogToPort(SerialPort1); });
  ApplyFirstShowFamily(MainForm);
  MainForm.shared.LoadFinished = true;
  MainForm.shared.OperationState = "Once";
  MainForm.shared.StopRequested = false;
  SetDLG.RefreshPortIndicator();
  if (clearTerminalLog)
    ClearTerminalLogAndFillRigList(MainForm);
  else
    MainForm.cbxRig.SetItems(RigList());
  if (!rig.empty()) MainForm.cbxRig.SetText(rig);
  TableModelChanged();
}

void Program::TableModelChanged() {
  editor.Reset();
  MemoryList.ModelChanged();
}

void Program::OpenMemoryList(int row) {
  MemoryList.Open(row);
}

void Program::cbxRigChange() {
  const std::string rig = MainForm.cbxRig.Text();
  const std::string before = MainForm.shared.ModelCode.Get();
  MainForm.shared.ModelCode = ModelCodeOf(rig);
  // What was seen of the rig, and a compare's marks, spoke of the rig that
  // was selected.
  transfers.ForgetWhatTheRigHolds();
  for (int n = 0; n < TMainForm::kChannels; ++n)
    MainForm.SetRowCompared(n, {});
  const Profile settings = Settings();
  const std::string line = ReadRigSettingsLine(settings, rig);
  SetDLG.SetOptions(ReadRigOptions(settings, rig));
  const std::string problem = RigKeyProblem(rig);
  MainForm.ShowStatus(problem.empty() ? std::string() : problem);
  if (!line.empty()) {
    SetDLG.ParseRigSettings(line);  // opens the port
  } else {
    Defaults1Click();
  }
  ApplyRigFamily(MainForm);
  SetDLG.RefreshPortIndicator();
  // The same model again (the box retyped) keeps the history.
  if (MainForm.shared.ModelCode.Get() != before) TableModelChanged();
}

void Program::Defaults1Click() {
  SerialPort1.SetActive(false);
  SetDLG.LoadDialogFromPort(SerialPort1);
  const RigDefaults d = DefaultsFor(MainForm.shared.ModelCode.Get());
  if (d.baud) SetDLG.CBBaud.SetItemIndex(*d.baud);
  if (d.stopBits) SetDLG.CBStop.SetItemIndex(*d.stopBits);
  if (d.lines) {
    SetDLG.chkDtr.SetChecked(*d.lines);
    SetDLG.chkRTS.SetChecked(*d.lines);
  }
  if (d.loopWait) SetDLG.edLoopWait.SetText(IntToStr(*d.loopWait));
  ApplyDefaultsToMainForm(d, MainForm);
  ApplyRigFamily(MainForm);
  SetDLG.ApplyDialogToPort(SerialPort1);
  SetDLG.RefreshPortIndicator();
}

void Program::FormClose(bool minimised) {
  if (!persistSettings) {
    SerialPort1.SetActive(false);
    return;
  }
  const FileResult pos = SaveWindowPosition(MainForm, minimised);
  if (!pos.ok) host.ReportError(pos.message);
  SetDLG.SaveSettings();
  Profile settings = Settings();
  RigForm.FormClose(settings);
  SerialPort1.SetActive(false);
}

bool Program::ReadyToClose() {
  if (!transfers.Busy()) return true;
  transfers.EndForClose();
  return false;
}

void Program::Advice1Click() {
  host.ShowMessage(AdviceText());
}
void Program::Neuvoja1Click() {
  host.ShowMessage(NeuvojaText());
}

void Program::Update1Click() {
  if (!VerForm) {
    VerForm = std::make_unique<TVerForm>(host, Settings(), MainForm.shared.SettingsFolder.Get(),
                                         *downloader, [this](const std::string& url) {
                                           if (OpenUrl) OpenUrl(url);
                                         });
    VerForm->FormCreate();
    // On screen first, then the check, so "Connecting to …" is seen.
    if (ShowVerForm) ShowVerForm();
    VerForm->Check();  // the window may be gone when this returns
    return;
  }
  if (ShowVerForm) ShowVerForm();
}

std::unique_ptr<TVerForm> Program::ReleaseVerForm() {
  if (VerForm) VerForm->FormClose();
  return std::move(VerForm);
}

void Program::SaveToFile1Click(const std::string& path) {
  const ChannelFileResult r = SaveChannelFile(path, MainForm, SetDLG.Notation());
  if (r.ok)
    host.ShowMessage(r.message);
  else
    host.ReportError(r.message);
}

void Program::ImportCsv(CsvFormat format, const std::string& path) {
  const std::string code = MainForm.shared.ModelCode.Get();
  const ChannelImport r =
      format == CsvFormat::Chirp ? ImportChirpCsv(path, code) : ImportRigmemCsv(path, code);
  if (!r.ok) {
    host.ReportError(r.message);
    return;
  }
  editor.Command(format == CsvFormat::Chirp ? "Load from CHIRP CSV" : "Load from Hamlib CSV",
                 [&] { ApplyImport(r, MainForm); });
  // Everything the table could not take, and what the rig will refuse.
  host.ShowReport(r.message, r.report);
}

void Program::ExportCsv(CsvFormat format, const std::string& path) {
  const std::string code = MainForm.shared.ModelCode.Get();
  const ChannelTable table = TableOf(MainForm);
  const ChannelExport r = format == CsvFormat::Chirp ? ExportChirpCsv(path, table, code)
                                                     : ExportRigmemCsv(path, table, code);
  if (r.ok) {
    host.ShowReport(r.message, r.report);
    return;
  }
  std::string text = r.message;
  for (const std::string& line : r.report)
    text += "\r" + line;
  host.ReportError(text);
}

void Program::LoadFromFile1Click(const std::string& path) {
  ChannelFileResult r;
  editor.Command("Load from File", [&] { r = LoadChannelFile(path, MainForm, SetDLG.Notation()); });
  if (!r.ok)
    host.ReportError(r.message);
  else if (!r.report.empty())
    host.ShowReport(
        "Loaded " + std::to_string(r.lines) + " channels from " + path + "; these lines were not:",
        r.report);
}

}  // namespace varnek
