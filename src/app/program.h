#pragma once
// The running program: the main window with its serial port, the terminal
// window, the settings dialog, the transfers and, while it is open, the
// update window. Wires them to each other and holds the start-up, rig
// change, reset and shutdown flows. Front ends create one and drive it.
#include <functional>
#include <memory>
#include <string>

#include "base/folders.h"
#include "base/host.h"
#include "app/main_form.h"
#include "edit/channel_editor.h"
#include "edit/memory_list.h"
#include "files/channel_file.h"
#include "serial/serial_port.h"
#include "serial/set_dlg.h"
#include "terminal/rig_form.h"
#include "transfer/main_rig_io.h"
#include "transfer/transfers.h"
#include "update/download.h"
#include "update/ver_form.h"

namespace varnek {

class Program {
 public:
  explicit Program(Host& host, FolderEnvironment env = SystemFolderEnvironment(),
                   std::unique_ptr<SerialDevice> device = nullptr);
  ~Program();
  Program(const Program&) = delete;
  Program& operator=(const Program&) = delete;

  Host& host;
  // Declared in the order they are built; destroyed in reverse, the port
  // after everything that uses it.
  TMainForm MainForm;
  TSerialPort SerialPort1;
  TRigForm RigForm;
  TSetDLG SetDLG;
  MainRigIo rigIo;
  Transfers transfers;
  // The table's undo history and edit commands, and the memory list over it.
  ChannelEditor editor;
  TMemoryList MemoryList;
  std::unique_ptr<Downloader> downloader;
  std::unique_ptr<TVerForm> VerForm;

  // Window creation: folders, the saved window position, the terminal
  // window's creation.
  void FormCreate();
  // First show: the saved rig and its settings, the port opened, the rig
  // list filled, the previous run's terminal log deleted (unless
  // `clearTerminalLog` is false: the command line leaves it alone).
  void FormShow(bool clearTerminalLog = true);
  // False: settings.ini is read but never written (the command line).
  bool persistSettings = true;
  // Every change of the rig box's text.
  void cbxRigChange();
  void Defaults1Click();
  // Program end: position, rig selection and its settings line saved; the
  // port closed. `minimised`: the window is not in its normal state.
  void FormClose(bool minimised);
  // Asked before the window closes: false while a run is still going (it
  // is told to end at once; ask again shortly).
  bool ReadyToClose();
  void Advice1Click();
  void Neuvoja1Click();
  void Update1Click();
  // The update window was closed: its server choice is saved and the model
  // handed to the caller (who keeps it until its view is gone).
  std::unique_ptr<TVerForm> ReleaseVerForm();
  void VerFormClose() { ReleaseVerForm(); }
  void SaveToFile1Click(const std::string& path);
  void LoadFromFile1Click(const std::string& path);
  // Channel lists of other programs.
  enum class CsvFormat { Chirp, Rigmem };
  void ImportCsv(CsvFormat format, const std::string& path);
  void ExportCsv(CsvFormat format, const std::string& path);

  // Hooks the view sets: show the terminal, the settings dialog and the
  // update window; ask for a file name (empty: cancelled); open a web link.
  // ShowSettingsModal returns when the dialog is closed.
  std::function<void()> ShowTerminal, ShowSettings, ShowSettingsModal, ShowVerForm;
  // Opens the memory list at channel `row` (View > Memory List, a row's label).
  void OpenMemoryList(int row);
  std::function<std::string(bool save, const FileDialogSetup& setup)> AskFileName;
  std::function<void(const std::string&)> OpenUrl;

 private:
  void WireMenu();
  void ApplyRigSelection(bool reset);
  // A new model gives the table another meaning: the steps before are dropped.
  void TableModelChanged();
  Profile Settings() const;

  FolderEnvironment env_;
  std::string serialStatus_;  // the serial error the status strip shows
};

}  // namespace varnek
