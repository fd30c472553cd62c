#include "app/main_form.h"

#include "app/main_form_settings.h"
#include "rig/family.h"

#include <algorithm>

#include "base/text.h"
#include "rig/freq.h"
#include "rig/kept_hint.h"

namespace varnek {
namespace {

constexpr int kColumnOffset = 225;
constexpr std::array<int, 4> kCheckBoxLeft = {199, 423, 648, 873};


}  // namespace

TMainForm::TMainForm(Host& h) : ChannelWindow(h) {
  BuildTable();
  BuildBottomBar();
  BuildMenu();
  // With no rig chosen yet row 00 is unavailable.
  ApplyRow00Rule(false);
}

void TMainForm::BuildTable() {
  for (int n = 0; n < kChannels; ++n) {
    const int k = n / kRows, r = n % kRows, x = kColumnOffset * k;
    const std::string id = std::to_string(n);
    Place(Label[n], "Label" + id, {x, 19 + 22 * r, 15, 13});
    Label[n].SetCaption(ChannelText(n));
    Label[n].bold = true;
    Label[n].handCursor = true;
    Label[n].SetBackColor(colors::BtnFace);
    if (n >= 90) Label[n].SetFontColor(colors::Maroon);
    if (n <= 1) Label[n].SetHint("Click channel data from rig");

    Place(A[n], "A" + id, {17 + x, 16 + 22 * r, 70, 21});
    Place(M[n], "M" + id, {90 + x, 16 + 22 * r, 39, 21});
    Place(T[n], "T" + id, {132 + x, 16 + 22 * r, 63, 21});
    A[n].tabOrder = 3 * n;
    M[n].tabOrder = 3 * n + 1;
    T[n].tabOrder = 3 * n + 2;
    A[n].OnChange = [this, n] {
      AChange(n);
      RowChanged(n);
    };
    // A compare's mark says how the row differed from the rig: once the
    // row is changed it says nothing any more.
    M[n].OnChange = [this, n] {
      SetRowCompared(n, {});
      RowChanged(n);
    };
    T[n].OnChange = [this, n] {
      SetRowCompared(n, {});
      RowChanged(n);
    };
    // A box edit is one undo step when it is finished, not one per key.
    for (TEdit* e : {&A[n], &M[n], &T[n]})
      e->OnExit = [this, n] { TableStep("Edit Channel " + ChannelText(n)); };
    M[n].OnKeyPress = UpKeyPress;
    T[n].OnKeyPress = UpKeyPress;

    Place(cb[n], "cb" + id, {kCheckBoxLeft[static_cast<size_t>(k)], 18 + 22 * r, 16, 17});
    cb[n].SetCaption("cb0");
    cb[n].SetBackColor(colors::BtnFace);
    cb[n].tabOrder = 300 + n;
    cb[n].OnClick = [this, n] { RowChanged(n); };
    cb[n].OnUserClick = [this, n] {
      TableStep((cb[n].Checked() ? "Check Channel " : "Uncheck Channel ") + ChannelText(n));
    };
    CheckBoxList.push_back(&cb[n]);
  }
  for (int k = 0; k < 4; ++k) {
    const int x = kColumnOffset * k;
    const std::string id = std::to_string(k + 1);
    Place(Freq[k], "Freq" + id, {17 + x, 0, 70, 13});
    Freq[k].SetCaption("Freq");
    Place(Mode[k], "Mode" + id, {90 + x, 0, 39, 13});
    Mode[k].SetCaption("Mode");
    Place(NameCaption[k], "Label" + std::to_string(103 + k), {132 + x, 0, 63, 13});
    NameCaption[k].SetCaption("Name");
    for (TLabel* l : {&Freq[k], &Mode[k], &NameCaption[k]}) {
      l->bold = true;
      l->SetBackColor(colors::BtnFace);
    }
    Place(bt[k], "bt" + id, {kCheckBoxLeft[static_cast<size_t>(k)] + 2, 1, 12, 12});
    bt[k].SetCaption("c");
    bt[k].bold = true;
    bt[k].handCursor = true;
    bt[k].SetHint("Check this column");
    bt[k].SetBackColor(colors::BtnFace);
    bt[k].OnClick = [this, k] { AsStep("Check Column " + std::to_string(k + 1), [this, k] { btClick(k + 1); }); };
  }
}

void TMainForm::BuildBottomBar() {
  auto label = [](TLabel& l, std::string name, Rect r, std::string caption) {
    Place(l, std::move(name), r);
    l.SetCaption(std::move(caption));
    l.SetBackColor(colors::BtnFace);
  };
  label(Label107, "Label107", {0, 578, 53, 13}, "Serial Port");

  Place(Led, "Led", {58, 576, 14, 15});
  Led.picture = MakeLampBitmap(colors::Red);
  Led.SetVisible(false);
  Place(NoLed, "NoLed", {58, 576, 14, 15});
  NoLed.picture = MakeLampBitmap(colors::Lime);
  Led.handCursor = NoLed.handCursor = true;

  label(lbChan, "lbChan", {80, 575, 60, 16}, "lbChan");
  lbChan.bold = true;
  lbChan.fontHeight = 16;
  lbChan.SetVisible(false);

  Place(cbAddLf, "cbAddLf", {240, 576, 60, 17});
  cbAddLf.SetCaption("Add LF");
  cbAddLf.SetChecked(true);
  cbAddLf.SetVisible(false);
  Place(cbCcr, "cbCcr", {145, 576, 90, 17});
  cbCcr.SetCaption("Click to Rig");
  cbCcr.SetVisible(false);
  cbCcr.OnClick = [this] { cbCcrClick(); };
  for (TCheckBox* c : {&cbAddLf, &cbCcr})
    c->SetBackColor(colors::BtnFace);

  Place(edStatus, "edStatus", {240, 574, 60, 21});
  edStatus.SetVisible(false);

  label(Label110, "Label110", {305, 578, 28, 13}, "Radio");
  Place(cbxRig, "cbxRig", {336, 574, 145, 21});
  cbxRig.SetText("Select radio");
  cbxRig.dropDownCount = 13;
  cbxRig.tabOrder = 400;

  label(lbAddr, "lbAddr", {484, 578, 24, 13}, "Addr");
  Place(edAddr, "edAddr", {510, 574, 35, 21});
  edAddr.SetHint("Usually not necessary");
  edAddr.tabOrder = 401;
  edAddr.OnKeyPress = UpKeyPress;
  edAddr.OnExit = [this] { edAddrExit(); };

  label(Label109, "Label109", {550, 578, 80, 13}, "Channel Interval");
  Place(edIntval, "edIntval", {632, 574, 33, 21});
  edIntval.SetText("400");
  edIntval.tabOrder = 402;
  edIntval.OnChange = [this] { edIntvalChange(); };
  Place(UpDown1, "UpDown1", {665, 574, 16, 21});
  UpDown1.min = 0;
  UpDown1.max = 975;
  UpDown1.increment = 25;
  UpDown1.SetPosition(400);
  UpDown1.associate = &edIntval;
  label(Label108, "Label108", {683, 578, 17, 13}, "ms");

  Place(pnCmnd, "pnCmnd", {702, 570, 170, 29});
  pnCmnd.SetBackColor(colors::BtnFace);
  label(Label101, "Label101", {2, 8, 92, 13}, "Command Interval");
  Place(edWait, "edWait", {96, 4, 33, 21});
  edWait.SetText("175");
  edWait.tabOrder = 403;
  Place(UpDown2, "UpDown2", {129, 4, 16, 21});
  UpDown2.min = 0;
  UpDown2.max = 1000;
  UpDown2.increment = 25;
  UpDown2.SetPosition(175);
  UpDown2.associate = &edWait;
  label(Label102, "Label102", {147, 8, 17, 13}, "ms");
  for (TControl* c : std::initializer_list<TControl*>{&Label101, &edWait, &UpDown2, &Label102})
    c->parent = &pnCmnd;

  label(lbStatusLine, "lbStatusLine", {2, 603, 700, 16}, "");
  lbStatusLine.SetFontColor(colors::Maroon);
  lbStatusLine.SetVisible(false);
  Place(pbTransfer, "pbTransfer", {712, 603, 180, 16});
  pbTransfer.SetVisible(false);
}

void TMainForm::BuildMenu() {
  auto todo = [this] { NotAvailableYet(); };
  auto& close = menu.Add("Close1", "&Close");
  close.OnClick = [this] { Close1Click(); };

  auto& edit = menu.Add("Edit1", "&Edit");
  auto& undo = edit.Add("Undo1", "&Undo");
  undo.shortcuts = {"Ctrl+Z"};
  undo.OnClick = todo;
  auto& redo = edit.Add("Redo1", "&Redo");
  redo.shortcuts = {"Ctrl+Shift+Z", "Ctrl+Y"};
  redo.OnClick = todo;
  ShowUndo("Undo", false, "Redo", false);
  auto& view = menu.Add("View1", "Vie&w");
  auto& list = view.Add("MemoryList1", "Memory &List");
  list.shortcuts = {"Ctrl+L"};
  list.OnClick = todo;

  // Each command of these two menus is one undo step, named as the menu
  // names it ("Clear All Freqs, Modes, Names").
  auto step = [this](TMenuItem& item, const std::string& verb, std::function<void()> f) {
    item.OnClick = [this, name = verb + " " + StripAccelerator(item.caption), f] { AsStep(name, f); };
  };
  auto& clear = menu.Add("Clear1", "C&lear");
  step(clear.Add("ClearFM1", "&All Freqs, Modes, Names"), "Clear", [this] { ClearFM1Click(); });
  step(clear.Add("UncheckAll1", "All &Checkings"), "Clear", [this] { UncheckAll1Click(); });
  for (int k = 1; k <= 4; ++k)
    step(clear.Add("ClrChkCol" + std::to_string(k), "Column &" + std::to_string(k) + " checkings"),
         "Clear", [this, k] { ClrChkColClick(k); });
  clear.Add("ClrMemory1", "Checked &Memory Channels").OnClick = todo;
  clear.Add("Defaults1", "&Reset Rig and SP Settings").OnClick = todo;

  auto& check = menu.Add("Checking1", "&Check");
  step(check.Add("CheckAll1", "&All"), "Check", [this] { CheckAll1Click(); });
  step(check.Add("CheckDuplex1", "&Duplex"), "Check", [this] { CheckDuplex1Click(); });
  for (int k = 1; k <= 4; ++k)
    step(check.Add("Column" + std::to_string(k), "Column &" + std::to_string(k)), "Check",
         [this, k] { btClick(k); });

  auto& load = menu.Add("Load1", "&Load");
  load.Add("LoadFromFile1", "All from &File").OnClick = todo;
  load.Add("LoadFromRig1", "All checked from &Rig").OnClick = todo;
  load.Add("CompareWithRig1", "C&ompare Checked with Rig").OnClick = todo;
  load.Add("LoadFromChirp1", "From C&HIRP CSV\x85").OnClick = todo;
  load.Add("LoadFromRigmem1", "From Ha&mlib CSV\x85").OnClick = todo;
  load.Add("LoadBackup1", "Last &Backup of this Rig").OnClick = todo;
  auto& save = menu.Add("Saving1", "&Save");
  save.Add("SaveToFile1", "All to &File").OnClick = todo;
  save.Add("SaveToRig1", "All checked to &Rig").OnClick = todo;
  save.Add("SaveChangedToRig1", "&Changed Channels to Rig").OnClick = todo;
  save.Add("SaveToChirp1", "To C&HIRP CSV\x85").OnClick = todo;
  save.Add("SaveToRigmem1", "To Ha&mlib CSV\x85").OnClick = todo;
  save.Add("RestoreBackup1", "Last &Backup to Rig").OnClick = todo;

  menu.Add("Cancel1", "Stop").OnClick = [this] { Cancel1Click(); };
  menu.Add("Memory1", "&Memory").OnClick = todo;
  menu.Add("VfoA1", "&VFO A").OnClick = todo;
  menu.Add("Settings1", "&Settings").OnClick = todo;
  menu.Add("Commands1", "&Terminal").OnClick = todo;
  auto& help = menu.Add("Help1", "&Help");
  help.Add("Advice1", "&Advice").OnClick = todo;
  help.Add("Neuvoja1", "&Neuvoja").OnClick = todo;
  help.Add("Update1", "&Update").OnClick = todo;
}

std::vector<TControl*> TMainForm::Controls() {
  std::vector<TControl*> all;
  for (int k = 0; k < 4; ++k) {
    all.push_back(&Freq[k]);
    all.push_back(&Mode[k]);
    all.push_back(&NameCaption[k]);
    all.push_back(&bt[k]);
  }
  for (int n = 0; n < kChannels; ++n) {
    all.push_back(&Label[n]);
    all.push_back(&A[n]);
    all.push_back(&M[n]);
    all.push_back(&T[n]);
    all.push_back(&cb[n]);
  }
  for (TControl* c : std::initializer_list<TControl*>{
           &Label107, &Led,    &NoLed,   &lbChan,   &cbAddLf,      &cbCcr,     &edStatus, &Label110,
           &cbxRig,   &lbAddr, &edAddr,  &Label109, &edIntval,     &UpDown1,   &Label108, &pnCmnd,
           &Label101, &edWait, &UpDown2, &Label102, &lbStatusLine, &pbTransfer})
    all.push_back(c);
  return all;
}

TMenuItem& TMainForm::MenuItem(const std::string& name) {
  TMenuItem* item = menu.Find(name);
  if (!item) throw std::logic_error("no menu item " + name);
  return *item;
}

int TMainForm::ChannelIndex(const std::string& number) {
  return ChannelIndexOf(number);
}

void TMainForm::SetChannel(const std::string& number, const std::string& freq,
                           const std::string& mode, const std::string& name) {
  const int n = ChannelIndex(number);
  if (n < 0) return;
  // Frequency first: its change proposes a band-plan mode, which the mode
  // written after it replaces.
  A[n].SetText(freq);
  M[n].SetText(mode);
  T[n].SetText(name);
}

void TMainForm::SetChannelFreqMode(const std::string& number, const std::string& freq,
                                   const std::string& mode) {
  const int n = ChannelIndex(number);
  if (n < 0) return;
  A[n].SetText(freq);
  M[n].SetText(mode);
}

void TMainForm::SetRowKept(const std::string& number, const KeptFields& kept) {
  const int n = ChannelIndex(number);
  if (n < 0) return;
  kept_[static_cast<size_t>(n)] = kept;
  ShowKept(n);
  RowChanged(n);
}

void TMainForm::AsStep(const std::string& name, const std::function<void()>& change) {
  TableStep({});
  change();
  TableStep(name);
}

std::string TMainForm::StripAccelerator(const std::string& caption) {
  std::string out;
  for (size_t i = 0; i < caption.size(); ++i) {
    if (caption[i] == '&' && i + 1 < caption.size()) ++i;
    out += caption[i];
  }
  return out;
}

void TMainForm::ShowUndo(const std::string& undoCaption, bool canUndo,
                         const std::string& redoCaption, bool canRedo) {
  canUndo_ = canUndo;
  canRedo_ = canRedo;
  MenuItem("Undo1").SetCaption("&" + undoCaption);
  MenuItem("Redo1").SetCaption("&" + redoCaption);
  MenuItem("Undo1").SetEnabled(canUndo && !transferBusy_);
  MenuItem("Redo1").SetEnabled(canRedo && !transferBusy_);
}

void TMainForm::SetRowCompared(int n, const std::string& rigHint) {
  if (n < 0 || n >= kChannels || compared_[static_cast<size_t>(n)] == rigHint) return;
  compared_[static_cast<size_t>(n)] = rigHint;
  ShowKept(n);
}

void TMainForm::ShowKept(int n) {
  const auto i = static_cast<size_t>(n);
  // Fields at their defaults (no tone, no shift, not locked out) are kept
  // and written back all the same, but there is nothing to point out.
  const std::string hint = KeptFieldsHint(kept_[i]);
  std::string text =
      hint.empty() ? std::string() : "Also written back to the " + kept_[i].model + ": " + hint;
  const std::string& compared = compared_[i];
  if (!compared.empty()) text = compared + (text.empty() ? "" : "\n" + text);
  for (TEdit* e : {&A[i], &M[i], &T[i]})
    e->SetHint(text);
  if (!A[i].Enabled()) return;
  // A row that differs from the rig is tinted whole, apart from the pale
  // frequency box of kept fields.
  for (TEdit* e : {&M[i], &T[i]})
    e->SetBackColor(compared.empty() ? colors::Window : colors::Differs);
  A[i].SetBackColor(!compared.empty() ? colors::Differs : hint.empty() ? colors::Window : colors::Info);
}

void TMainForm::AChange(int channel) {
  SetRowCompared(channel, {});
  M[channel].SetText(BandPlanMode(A[channel].Text(), shared.ModelCode.Get()));
  // An emptied row is an empty channel: nothing of the old record is kept.
  if (Trim(A[channel].Text()).empty() && !kept_[static_cast<size_t>(channel)].Empty()) {
    kept_[static_cast<size_t>(channel)] = {};
    ShowKept(channel);
  }
}

void TMainForm::ClearFM1Click() {
  for (int n = 0; n < kChannels; ++n) {
    A[n].SetText("");
    M[n].SetText("");
    T[n].SetText("");
  }
  lbChan.SetVisible(false);
}

void TMainForm::UncheckAll1Click() {
  for (auto* c : CheckBoxList)
    c->SetChecked(false);
}

void TMainForm::ClrChkColClick(int column) {
  for (int n = (column - 1) * kRows; n < column * kRows; ++n)
    CheckBoxList[n]->SetChecked(false);
}

void TMainForm::btClick(int column) {
  int first = (column - 1) * kRows;
  // Channel 00 exists only on the Kenwood rigs.
  if (column == 1 && !HasChannel00(shared.ModelCode.Get())) first = 1;
  for (int n = first; n < column * kRows; ++n)
    CheckBoxList[n]->SetChecked(true);
}

void TMainForm::CheckAll1Click() {
  for (int k = 1; k <= 4; ++k)
    btClick(k);
  lbChan.SetVisible(false);
}

void TMainForm::CheckDuplex1Click() {
  for (int n = 90; n < kChannels; ++n)
    CheckBoxList[n]->SetChecked(true);
  lbChan.SetVisible(false);
}

void TMainForm::Cancel1Click() {
  shared.StopRequested = true;
}

void TMainForm::Close1Click() {
  if (OnCloseWindow) OnCloseWindow();
}

void TMainForm::UpKeyPress(char& key) {
  if (key >= 'a' && key <= 'z') key = static_cast<char>(key - 'a' + 'A');
}

void TMainForm::edAddrExit() {
  shared.CivAddress = CivAddressOrDefault(edAddr.Text());
}

void TMainForm::edIntvalChange() {
  if (edIntval.Text().empty()) return;
  // A negative interval would be a pause of weeks in the original; no pause
  // is what it can sensibly mean.
  shared.ChannelInterval = std::max(0, StrToInt(edIntval.Text()));
}

void TMainForm::cbCcrClick() {
  cbCcr.SetCaption(cbCcr.Checked() ? "Click to Rig" : "Click from Rig");
}

void TMainForm::ApplyRow00Rule(bool rigChange) {
  const bool available = HasChannel00(shared.ModelCode.Get());
  for (TControl* c : std::initializer_list<TControl*>{&Label[0], &A[0], &M[0], &T[0], &cb[0]})
    c->SetEnabled(available);
  for (TEdit* e : {&A[0], &M[0], &T[0]})
    e->SetBackColor(available ? colors::Window : colors::BtnFace);
  if (!available && rigChange) cb[0].SetChecked(false);
  if (available) ShowKept(0);
  RowChanged(0);
}

void TMainForm::NotAvailableYet() {
  host.ShowMessage("Not available yet");
}

void TMainForm::ReadSettingsInto(RigSettings& s) const {
  ReadMainFormInto(*this, s);
}

void TMainForm::ApplySettings(const RigSettings& s) {
  ApplyRigSettingsToMainForm(s, *this);
}

RigSettingsShown TMainForm::ShownSettings(bool icomPanelVisible) const {
  return ShownOn(*this, icomPanelVisible);
}

void TMainForm::ShowStatus(const std::string& text) {
  lbStatusLine.SetCaption(text);
  lbStatusLine.SetVisible(!text.empty());
}

void TMainForm::SetTransferBusy(bool busy) {
  if (busy == transferBusy_) return;
  transferBusy_ = busy;
  // A run works on the rows it started with; what would change the table
  // or start another run waits until it has ended.
  for (const char* item :
       {"LoadFromRig1", "CompareWithRig1", "SaveToRig1", "SaveChangedToRig1", "RestoreBackup1",
        "Memory1", "VfoA1", "LoadFromFile1", "LoadFromChirp1", "LoadFromRigmem1", "LoadBackup1"})
    MenuItem(item).SetEnabled(!busy);
  // An undo under a run would change the rows it works on.
  MenuItem("Undo1").SetEnabled(canUndo_ && !busy);
  MenuItem("Redo1").SetEnabled(canRedo_ && !busy);
  for (const char* submenu : {"Clear1", "Checking1"})
    for (const auto& item : MenuItem(submenu).items)
      item->SetEnabled(!busy);
  for (auto& b : bt)
    b.SetEnabled(!busy);
  cbxRig.SetEnabled(!busy);
  Led.SetEnabled(!busy);
  NoLed.SetEnabled(!busy);
  if (busy) {
    for (auto& l : Label)
      l.SetEnabled(false);
  } else {
    for (auto& l : Label)
      l.SetEnabled(true);
    // Row 00 keeps the rig's rule.
    Label[0].SetEnabled(A[0].Enabled());
  }
}

}  // namespace varnek
