#pragma once
// The main window: the one-hundred-channel table, the bottom bar and the
// menu, as a presentation model. Control names are those of the original
// window so that every flow can address them as it did.
#include <array>
#include <functional>
#include <string>
#include <vector>

#include "base/controls.h"
#include "base/host.h"
#include "base/shared_values.h"
#include "window/channel_window.h"

namespace varnek {

class TMainForm : public ChannelWindow {
 public:
  static constexpr int kRows = 25;

  explicit TMainForm(Host& host);

  std::string caption = "Varnek";
  Rect bounds{196, 104, 898, 641};
  // The client area the controls are laid out in.
  int clientWidth = 898, clientHeight = 622;

  // The table: frequency, mode, name, check mark and number of each channel.
  std::array<TEdit, kChannels> A, M, T;
  std::array<TCheckBox, kChannels> cb;
  std::array<TLabel, kChannels> Label;
  // Entry i is the check box of channel i.
  std::vector<TCheckBox*> CheckBoxList;

  // Column captions and the column check buttons.
  std::array<TLabel, 4> Freq, Mode, NameCaption;  // Freq1..4, Mode1..4, Label103..106
  std::array<TButton, 4> bt;                      // bt1..bt4

  // The bottom bar.
  TLabel Label107;
  TLabel Label110;
  TComboBox cbxRig;
  TLabel lbAddr;
  TEdit edAddr;
  TLabel Label109;
  TEdit edIntval;
  TUpDown UpDown1;
  TLabel Label108;
  TPanel pnCmnd;
  TLabel Label101;
  TEdit edWait;
  TUpDown UpDown2;
  TLabel Label102;

  // The status strip under the bottom bar: what went wrong on the line or in
  // the settings, and how far a transfer run has got.
  TLabel lbStatusLine;

  TMenuItem menu{"MainMenu1", ""};

  // Every control in creation order (the view builds its widgets from it).
  std::vector<TControl*> Controls();
  TMenuItem& MenuItem(const std::string& name);

  // What the subsystems reach.
  std::string RowFreq(int n) const override { return A[static_cast<size_t>(n)].Text(); }
  std::string RowMode(int n) const override { return M[static_cast<size_t>(n)].Text(); }
  std::string RowName(int n) const override { return T[static_cast<size_t>(n)].Text(); }
  bool RowChecked(int n) const override { return cb[static_cast<size_t>(n)].Checked(); }
  bool RowAvailable(int n) const override { return cb[static_cast<size_t>(n)].Enabled(); }
  void SetRowChecked(int n, bool checked) override {
    cb[static_cast<size_t>(n)].SetChecked(checked && RowAvailable(n));
  }
  void SetChannel(const std::string& number, const std::string& freq, const std::string& mode,
                  const std::string& name) override;
  void SetChannelFreqMode(const std::string& number, const std::string& freq,
                          const std::string& mode) override;
  KeptFields RowKept(int n) const override { return kept_[static_cast<size_t>(n)]; }
  void SetRowKept(const std::string& number, const KeptFields& kept) override;
  void SetRowCompared(int n, const std::string& rigHint) override;
  std::string RigName() const override { return cbxRig.Text(); }
  std::string IntervalText() const override { return edIntval.Text(); }
  void ReadSettingsInto(RigSettings& s) const override;
  void ApplySettings(const RigSettings& s) override;
  RigSettingsShown ShownSettings(bool icomPanelVisible) const override;
  // -1 when the text is not one of "00".."99".
  static int ChannelIndex(const std::string& number);

  // Clear and Check menus and the column buttons (column 1..4).
  void ClearFM1Click();
  void UncheckAll1Click();
  void ClrChkColClick(int column);
  void CheckAll1Click();
  void CheckDuplex1Click();
  void btClick(int column);
  void Cancel1Click();
  void Close1Click();

  // Control reactions.
  void AChange(int channel);
  static void UpKeyPress(char& key);
  void edAddrExit();
  void edIntvalChange();
  void cbCcrClick();
  // Row 00 exists only on Kenwood TS rigs. On a rig change an unavailable
  // row 00 also loses its check mark.
  void ApplyRow00Rule(bool rigChange);

  // Runs `change` as one undo step named `name`.
  void AsStep(const std::string& name, const std::function<void()>& change);
  // "&All Freqs, Modes, Names" as a step names it.
  static std::string StripAccelerator(const std::string& caption);
  // The Edit menu says what Undo and Redo would do; both wait while a run goes.
  void ShowUndo(const std::string& undoCaption, bool canUndo, const std::string& redoCaption,
                bool canRedo);

  // Set by the view: closes the window (and so ends the program).
  std::function<void()> OnCloseWindow;
  // Called when the user picks a menu item whose function has not been built.
  void NotAvailableYet();
  void ShowStatus(const std::string& text) override;
  void SetTransferBusy(bool busy) override;
  bool TransferBusy() const { return transferBusy_; }

 private:
  bool transferBusy_ = false;
  bool canUndo_ = false, canRedo_ = false;
  std::array<KeptFields, kChannels> kept_;
  std::array<std::string, kChannels> compared_;  // a compare's word on the row
  // A row whose kept fields say something (a tone, a shift, a lockout)
  // shows a tinted frequency box and lists them in the hint of its boxes.
  void ShowKept(int n);
  void BuildTable();
  void BuildBottomBar();
  void BuildMenu();
};

}  // namespace varnek
