#pragma once
// The settings dialog as a presentation model: serial port and line
// settings, DTR and RTS, opening and closing the port, the frequency
// notation for channel files, the click-to-rig switch and the Icom loop
// wait. It also owns the main window's port indicator (Led / NoLed): their
// clicks and the refresh other flows call after touching the port.
#include <functional>
#include <string>
#include <vector>

#include "base/controls.h"
#include "settings/rig_settings.h"
#include "serial/port_paths.h"
#include "serial/serial_port.h"

namespace varnek {

class ChannelWindow;

class TSetDLG {
 public:
  // Connects the main window's Led and NoLed clicks, and gives the port this
  // dialog's port paths as its resolver.
  TSetDLG(ChannelWindow& main, TSerialPort& port);
  // Gives the port back its default resolver: the port must outlive the
  // dialog.
  ~TSetDLG();
  TSetDLG(const TSetDLG&) = delete;
  TSetDLG& operator=(const TSetDLG&) = delete;

  std::string caption = "Settings";
  int clientWidth = 353, clientHeight = 389;

  TGroupBox GroupBox1;
  TLabel Label1, Label2, Label3, Label4, Label5, Label6;  // list captions
  TComboBox CBPort, CBBaud, CBParity, CBFlow, CBData, CBStop;
  // The device the selected port name stands for; editable, offers the
  // devices present.
  TLabel lbDevice;
  TComboBox CBDevice;
  TCheckBox chkDtr, chkRTS;
  TLabel lbCreditName, lbCreditText, lbCreditLink;
  TGroupBox GroupBox2;
  TRadioButton rbTwoPnts, rbPoint, rbComma;
  TButton btOpenPort, btClosePort, CancelBtn, OKbtn;
  TCheckBox cbCcr;
  // The rig's options beyond its settings line: requests wait for the
  // rig's answers instead of fixed pauses; a save reads its channels back.
  TCheckBox cbWaitAnswers, cbVerify, cbBackup;
  TPanel pnIcom;
  TLabel Label101;
  TEdit edLoopWait;
  TUpDown UpDown2;
  TLabel Label102;

  // Port names to device paths; the settings file fills and keeps it.
  PortPathMap portPaths;

  // Every control in creation order (the view builds its widgets from it).
  std::vector<TControl*> Controls();

  bool Visible() const { return visible_; }
  // Shows the dialog (not modal) and runs FormShow.
  void Show();
  // Set by the view: the dialog was closed by OK or Cancel.
  std::function<void()> OnCloseDialog;
  // Writes the rig selection and its settings line (settings.ini). Unset:
  // nothing is written.
  std::function<void(const std::string& rigSelection, const std::string& line)> SaveRigLine;
  // Opens a web address (the credit line's link); set by the view.
  std::function<void(const std::string& url)> OpenUrl;

  // --- operations for the other flows ---
  void LoadDialogFromPort(TSerialPort& port);
  void ApplyDialogToPort(TSerialPort& port);
  // The settings line of the present controls.
  std::string BuildRigSettings() const;
  void SaveSettings();
  // Fills the dialog and the main window's edits from a settings line and
  // updates the shared timing values. Throws EConvertError for a strict
  // field that is not a number; the fields before it are applied.
  void ParseRigSettings(const std::string& text);
  // Led when the port is open, NoLed when it is closed.
  void RefreshPortIndicator();
  // The notation chosen for channel files.
  FreqNotation Notation() const;
  // The option boxes, and setting them (the main window's shared values
  // follow).
  RigOptions Options() const;
  void SetOptions(const RigOptions& o);
  // Runs after an option box changed the shared values.
  std::function<void()> OnOptionsChanged;

  // --- handlers ---
  void FormShow();
  void chkDtrClick();
  void chkRTSClick();
  void btOpenPortClick();
  void btClosePortClick();
  void cbCcrClick();
  void cbWaitAnswersClick();
  void cbVerifyClick();
  void cbBackupClick();
  void LedClick();
  void NoLedClick();
  void OKBtnClick();
  void CancelBtnClick();
  void CBPortChange();
  void CBDeviceChange();

  static constexpr const char* kProjectPage = "https://kolvir.github.io/varnek/";

 private:
  void Build();
  void CloseDialog();
  void SelectNotation(TRadioButton& chosen);
  RigSettings FromControls() const;
  void ListsFrom(const RigSettings& s);

  ChannelWindow& main_;
  TSerialPort& port_;
  bool visible_ = false;
};

// The baud rate a list item stands for: "115000" was always a slip for
// 115200, which is what is set. 9600 for a text that is not a number.
uint32_t BaudOfItem(const std::string& item);

}  // namespace varnek
