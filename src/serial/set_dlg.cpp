#include "serial/set_dlg.h"

#include "base/errors.h"
#include "base/rig_family.h"
#include "window/channel_window.h"
#include "base/text.h"

namespace varnek {
namespace {


// The flow list by position.
constexpr int32_t kFlowByPosition[] = {FlowNone, FlowXonXoff, FlowRtsCts, FlowDsrDtr};

int FlowPosition(int32_t flow) {
  for (int i = 0; i < 4; ++i)
    if (kFlowByPosition[i] == flow) return i;
  return 0;
}

std::vector<std::string> BaudListItems() {
  std::vector<std::string> items = BaudItems();
  // No driver offers 115000; the position keeps its meaning in saved lines.
  for (auto& item : items)
    if (item == "115000") item = "115200";
  return items;
}

const std::string* Selected(const TComboBox& box) {
  const int i = box.ItemIndex();
  if (i < 0 || i >= static_cast<int>(box.Items().size())) return nullptr;
  return &box.Items()[static_cast<size_t>(i)];
}

}  // namespace

uint32_t BaudOfItem(const std::string& item) {
  if (item == "115000") return 115200;
  int v = 0;
  if (!TryStrToInt(item, v) || v <= 0) return 9600;
  return static_cast<uint32_t>(v);
}

TSetDLG::TSetDLG(ChannelWindow& main, TSerialPort& port) : main_(main), port_(port) {
  Build();
  main_.Led.OnClick = [this] { LedClick(); };
  main_.NoLed.OnClick = [this] { NoLedClick(); };
  port_.SetPortResolver([this](const std::string& name) { return portPaths.Resolve(name); });
}

TSetDLG::~TSetDLG() {
  port_.SetPortResolver(nullptr);
  main_.Led.OnClick = nullptr;
  main_.NoLed.OnClick = nullptr;
}

void TSetDLG::Build() {
  Place(GroupBox1, "GroupBox1", {8, 6, 337, 206});
  GroupBox1.SetCaption(" Serial Port ");

  struct ListControls {
    TLabel& label;
    const char* labelName;
    const char* caption;
    TComboBox& box;
    const char* boxName;
    std::vector<std::string> items;
    int x, y;
  };
  ListControls lists[] = {
      {Label1, "Label1", "&Port", CBPort, "CBPort", PortItems(), 12, 22},
      {Label2, "Label2", "&Baudrate", CBBaud, "CBBaud", BaudListItems(), 12, 50},
      {Label3, "Label3", "&Databits", CBData, "CBData", DataBitItems(), 12, 78},
      {Label4, "Label4", "&Stop bits", CBStop, "CBStop", StopBitItems(), 12, 106},
      {Label5, "Label5", "Pari&ty", CBParity, "CBParity", ParityItems(), 174, 22},
      {Label6, "Label6", "&Flowcontrol", CBFlow, "CBFlow", FlowItems(), 174, 50},
  };
  int tab = 0;
  for (auto& l : lists) {
    Place(l.label, l.labelName, {l.x, l.y + 3, 66, 15}, &GroupBox1);
    l.label.SetCaption(l.caption);
    l.label.SetBackColor(colors::BtnFace);
    Place(l.box, l.boxName, {l.x + 68, l.y, 80, 21}, &GroupBox1);
    l.box.SetItems(std::move(l.items));
    l.box.editable = false;
    l.box.dropDownCount = 15;
    l.box.tabOrder = tab++;
  }
  CBPort.OnChange = [this] { CBPortChange(); };

  Place(chkDtr, "chkDtr", {242, 80, 60, 17}, &GroupBox1);
  chkDtr.SetCaption("DTR");
  chkDtr.OnClick = [this] { chkDtrClick(); };
  Place(chkRTS, "chkRTS", {242, 104, 60, 17}, &GroupBox1);
  chkRTS.SetCaption("RTS");
  chkRTS.OnClick = [this] { chkRTSClick(); };
  for (TCheckBox* c : {&chkDtr, &chkRTS}) {
    c->SetBackColor(colors::BtnFace);
    c->tabOrder = tab++;
  }

  Place(lbDevice, "lbDevice", {12, 137, 66, 15}, &GroupBox1);
  lbDevice.SetCaption("De&vice");
  lbDevice.SetBackColor(colors::BtnFace);
  Place(CBDevice, "CBDevice", {80, 134, 244, 21}, &GroupBox1);
  CBDevice.SetHint("The device this port name stands for");
  CBDevice.tabOrder = tab++;
  CBDevice.OnChange = [this] { CBDeviceChange(); };

  Place(lbCreditName, "lbCreditName", {12, 164, 310, 15}, &GroupBox1);
  lbCreditName.SetCaption("Varnek serial line");
  lbCreditName.bold = true;
  lbCreditName.SetFontColor(colors::Maroon);
  Place(lbCreditText, "lbCreditText", {12, 180, 310, 15}, &GroupBox1);
  lbCreditText.SetCaption("the serial component of this program; source and news at");
  Place(lbCreditLink, "lbCreditLink", {12, 194, 310, 15}, &GroupBox1);
  lbCreditLink.SetCaption(kProjectPage);
  lbCreditLink.SetFontColor(Color{0, 0, 255});
  lbCreditLink.handCursor = true;
  lbCreditLink.OnClick = [this] {
    if (OpenUrl) OpenUrl(kProjectPage);
  };
  for (TLabel* l : {&lbCreditName, &lbCreditText, &lbCreditLink})
    l->SetBackColor(colors::BtnFace);

  Place(GroupBox2, "GroupBox2", {8, 218, 200, 78});
  GroupBox2.SetCaption(" Frequency in 'Save to File' ");
  struct Radio {
    TRadioButton& rb;
    const char* name;
    const char* caption;
    int y;
  } radios[] = {
      {rbTwoPnts, "rbTwoPnts", "14.267.000  points", 18},
      {rbPoint, "rbPoint", "14267.00   point", 38},
      {rbComma, "rbComma", "14267,00   comma", 58},
  };
  for (auto& r : radios) {
    Place(r.rb, r.name, {12, r.y, 180, 17}, &GroupBox2);
    r.rb.SetCaption(r.caption);
    r.rb.SetBackColor(colors::BtnFace);
    r.rb.tabOrder = tab++;
  }
  rbTwoPnts.SetChecked(true);
  for (auto& r : radios)
    r.rb.OnClick = [this, &rb = r.rb] { SelectNotation(rb); };

  Place(btOpenPort, "btOpenPort", {222, 224, 123, 25});
  btOpenPort.SetCaption("&Open Port");
  btOpenPort.OnClick = [this] { btOpenPortClick(); };
  Place(btClosePort, "btClosePort", {222, 256, 123, 25});
  btClosePort.SetCaption("&Close Port");
  btClosePort.OnClick = [this] { btClosePortClick(); };

  Place(cbCcr, "cbCcr", {8, 302, 150, 17});
  cbCcr.SetCaption("Click Channel to Rig");
  cbCcr.SetBackColor(colors::BtnFace);
  cbCcr.OnClick = [this] { cbCcrClick(); };

  Place(cbWaitAnswers, "cbWaitAnswers", {8, 346, 150, 17});
  cbWaitAnswers.SetCaption("Wait for answers");
  cbWaitAnswers.SetHint(
      "Go on as soon as the rig has answered each request instead of fixed pauses; "
      "the channel interval becomes the longest wait for one answer");
  cbWaitAnswers.OnClick = [this] { cbWaitAnswersClick(); };
  Place(cbVerify, "cbVerify", {170, 346, 150, 17});
  cbVerify.SetCaption("Verify after write");
  cbVerify.SetHint("After saving to the rig, read every written channel back and compare");
  cbVerify.OnClick = [this] { cbVerifyClick(); };
  Place(cbBackup, "cbBackup", {8, 366, 190, 17});
  cbBackup.SetCaption("Back up before writing");
  cbBackup.SetHint(
      "Before a save or clear changes the rig, read the channels it changes and keep them in "
      "the backups folder (Save > Last Backup to Rig puts them back)");
  cbBackup.OnClick = [this] { cbBackupClick(); };
  for (TCheckBox* c : {&cbWaitAnswers, &cbVerify, &cbBackup})
    c->SetBackColor(colors::BtnFace);

  Place(pnIcom, "pnIcom", {8, 320, 180, 23});
  pnIcom.SetBackColor(colors::BtnFace);
  pnIcom.SetVisible(false);
  Place(Label101, "Label101", {0, 4, 80, 15}, &pnIcom);
  Label101.SetCaption("Icom Loop Wait");
  Label101.SetBackColor(colors::BtnFace);
  Place(edLoopWait, "edLoopWait", {84, 0, 40, 21}, &pnIcom);
  edLoopWait.SetText("75");
  Place(UpDown2, "UpDown2", {124, 0, 16, 21}, &pnIcom);
  UpDown2.min = 0;
  UpDown2.max = 1000;
  UpDown2.increment = 25;
  UpDown2.SetPosition(75);
  UpDown2.associate = &edLoopWait;
  Place(Label102, "Label102", {144, 4, 20, 15}, &pnIcom);
  Label102.SetCaption("ms");
  Label102.SetBackColor(colors::BtnFace);

  Place(CancelBtn, "CancelBtn", {190, 312, 75, 25});
  CancelBtn.SetCaption("&Cancel");
  CancelBtn.OnClick = [this] { CancelBtnClick(); };
  Place(OKbtn, "OKbtn", {270, 312, 75, 25});
  OKbtn.SetCaption("&OK");
  OKbtn.OnClick = [this] { OKBtnClick(); };
  for (TControl* c :
       std::initializer_list<TControl*>{&btOpenPort, &btClosePort, &cbCcr, &edLoopWait, &CancelBtn,
                                        &OKbtn, &cbWaitAnswers, &cbVerify, &cbBackup})
    c->tabOrder = tab++;
}

std::vector<TControl*> TSetDLG::Controls() {
  return {&GroupBox1,    &Label1,       &CBPort,    &Label2,    &CBBaud,        &Label3,
          &CBData,       &Label4,       &CBStop,    &Label5,    &CBParity,      &Label6,
          &CBFlow,       &chkDtr,       &chkRTS,    &lbDevice,  &CBDevice,      &lbCreditName,
          &lbCreditText, &lbCreditLink, &GroupBox2, &rbTwoPnts, &rbPoint,       &rbComma,
          &btOpenPort,   &btClosePort,  &cbCcr,     &pnIcom,    &Label101,      &edLoopWait,
          &UpDown2,      &Label102,     &CancelBtn, &OKbtn,     &cbWaitAnswers, &cbVerify,
          &cbBackup};
}

void TSetDLG::Show() {
  visible_ = true;
  FormShow();
}

void TSetDLG::CloseDialog() {
  visible_ = false;
  if (OnCloseDialog) OnCloseDialog();
}

void TSetDLG::SelectNotation(TRadioButton& chosen) {
  if (!chosen.Checked()) return;
  for (TRadioButton* rb : {&rbTwoPnts, &rbPoint, &rbComma})
    if (rb != &chosen) rb->SetChecked(false);
}

FreqNotation TSetDLG::Notation() const {
  if (rbPoint.Checked()) return FreqNotation::Point;
  if (rbTwoPnts.Checked()) return FreqNotation::TwoPoints;
  if (rbComma.Checked()) return FreqNotation::Comma;
  return FreqNotation::TwoPoints;
}

void TSetDLG::LoadDialogFromPort(TSerialPort& port) {
  const int portPos = ItemPosition(CBPort.Items(), port.CommPort());
  CBPort.SetItemIndex(portPos >= 0 ? portPos : 1);
  const int baudPos = ItemPosition(CBBaud.Items(), IntToStr(port.BaudRate()));
  CBBaud.SetItemIndex(baudPos >= 0 ? baudPos : 6);
  const int dataPos = ItemPosition(CBData.Items(), IntToStr(port.DataBits()) + " Bit");
  CBData.SetItemIndex(dataPos >= 0 ? dataPos : 4);
  CBStop.SetItemIndex(port.StopBits());
  CBParity.SetItemIndex(port.ParityType());
  CBFlow.SetItemIndex(FlowPosition(port.FlowControl()));
  chkDtr.SetChecked(port.DTRState());
  chkRTS.SetChecked(port.RTSState());
  CBPortChange();
}

void TSetDLG::ApplyDialogToPort(TSerialPort& port) {
  // A list without a selection (a settings line with a position outside
  // the list) keeps the port's present value for that field.
  port.SetActive(false);
  if (const std::string* p = Selected(CBPort)) port.SetCommPort(*p);
  if (const std::string* b = Selected(CBBaud)) port.SetBaudRate(BaudOfItem(*b));
  if (const std::string* d = Selected(CBData))
    port.SetDataBits(
        !d->empty() && (*d)[0] >= '0' && (*d)[0] <= '9' ? static_cast<uint8_t>((*d)[0] - '0') : 8);
  if (CBStop.ItemIndex() >= 0) port.SetStopBits(static_cast<uint8_t>(CBStop.ItemIndex()));
  if (CBParity.ItemIndex() >= 0) port.SetParityType(static_cast<uint8_t>(CBParity.ItemIndex()));
  if (CBFlow.ItemIndex() >= 0 && CBFlow.ItemIndex() < 4)
    port.SetFlowControl(kFlowByPosition[CBFlow.ItemIndex()]);
  port.SetActive(true);
  port.SetDTRState(chkDtr.Checked());
  port.SetRTSState(chkRTS.Checked());
}

RigSettings TSetDLG::FromControls() const {
  RigSettings s;
  s.port = CBPort.ItemIndex();
  s.baud = CBBaud.ItemIndex();
  s.dataBits = CBData.ItemIndex();
  s.stopBits = CBStop.ItemIndex();
  s.parity = CBParity.ItemIndex();
  s.flow = CBFlow.ItemIndex();
  s.dtr = chkDtr.Checked();
  s.rts = chkRTS.Checked();
  s.loopWait = edLoopWait.Text();
  s.notation = Notation();
  main_.ReadSettingsInto(s);
  return s;
}

void TSetDLG::ListsFrom(const RigSettings& s) {
  CBPort.SetItemIndex(s.port);
  CBBaud.SetItemIndex(s.baud);
  CBData.SetItemIndex(s.dataBits);
  CBStop.SetItemIndex(s.stopBits);
  CBParity.SetItemIndex(s.parity);
  CBFlow.SetItemIndex(s.flow);
  CBPortChange();
}

std::string TSetDLG::BuildRigSettings() const {
  return RigSettingsString(FromControls(), main_.ShownSettings(pnIcom.Visible()));
}

void TSetDLG::SaveSettings() {
  // Building the line needs nothing from the port, so the port is left as
  // it is (closing and reopening it here would open a port the user had
  // closed).
  const std::string line = BuildRigSettings();
  if (SaveRigLine) SaveRigLine(main_.RigName(), line);
}

void TSetDLG::ParseRigSettings(const std::string& text) {
  RigSettings s = FromControls();
  try {
    ApplyRigSettingsString(text, s);
  } catch (const EConvertError&) {
    ListsFrom(s);  // the fields before the bad one
    throw;
  }
  ListsFrom(s);
  chkDtr.SetChecked(s.dtr);
  chkRTS.SetChecked(s.rts);
  edLoopWait.SetText(s.loopWait);
  switch (s.notation) {
    case FreqNotation::Point:
      rbPoint.SetChecked(true);
      break;
    case FreqNotation::TwoPoints:
      rbTwoPnts.SetChecked(true);
      break;
    case FreqNotation::Comma:
      rbComma.SetChecked(true);
      break;
  }
  // One open, on this line's device with its settings: opening first under
  // the device the port had (the previous rig's) would raise DTR and RTS
  // there, which can key that rig or power its interface.
  ApplyDialogToPort(port_);
  main_.ApplySettings(s);
}

void TSetDLG::RefreshPortIndicator() {
  const bool open = port_.Active();
  main_.Led.SetVisible(open);
  main_.NoLed.SetVisible(!open);
}

void TSetDLG::FormShow() {
  if (FamilyOf(main_.shared.ModelCode.Get()) == RigFamily::Icom) pnIcom.SetVisible(true);
  CBDevice.SetItems(ListSerialDevices());
  LoadDialogFromPort(port_);
}

void TSetDLG::chkDtrClick() {
  port_.SetDTRState(chkDtr.Checked());
}

void TSetDLG::chkRTSClick() {
  port_.SetRTSState(chkRTS.Checked());
}

// The indicator shows what happened, not what was asked for: a port that
// would not open stays shown as closed.
void TSetDLG::btOpenPortClick() {
  port_.SetActive(true);
  port_.SetDTRState(chkDtr.Checked());
  port_.SetRTSState(chkRTS.Checked());
  RefreshPortIndicator();
}

void TSetDLG::btClosePortClick() {
  port_.SetActive(false);
  RefreshPortIndicator();
}

void TSetDLG::cbCcrClick() {
  main_.cbCcr.SetChecked(cbCcr.Checked());
  main_.cbCcr.SetVisible(cbCcr.Checked());
}

RigOptions TSetDLG::Options() const {
  return {cbWaitAnswers.Checked(), cbVerify.Checked(), cbBackup.Checked()};
}

void TSetDLG::SetOptions(const RigOptions& o) {
  cbWaitAnswers.SetChecked(o.waitForAnswers);
  cbVerify.SetChecked(o.verifyAfterWrite);
  cbBackup.SetChecked(o.backupBeforeWriting);
  main_.shared.WaitForAnswers = o.waitForAnswers;
  main_.shared.VerifyAfterWrite = o.verifyAfterWrite;
  main_.shared.BackupBeforeWriting = o.backupBeforeWriting;
  if (OnOptionsChanged) OnOptionsChanged();
}

void TSetDLG::cbWaitAnswersClick() {
  main_.shared.WaitForAnswers = cbWaitAnswers.Checked();
  if (OnOptionsChanged) OnOptionsChanged();
}

void TSetDLG::cbVerifyClick() {
  main_.shared.VerifyAfterWrite = cbVerify.Checked();
  if (OnOptionsChanged) OnOptionsChanged();
}

void TSetDLG::cbBackupClick() {
  main_.shared.BackupBeforeWriting = cbBackup.Checked();
  if (OnOptionsChanged) OnOptionsChanged();
}

void TSetDLG::LedClick() {
  port_.SetActive(false);
  RefreshPortIndicator();
}

// ApplyDialogToPort closes and reopens with the dialog's settings, so there
// is no need to open with the old ones first.
void TSetDLG::NoLedClick() {
  ApplyDialogToPort(port_);
  RefreshPortIndicator();
}

void TSetDLG::OKBtnClick() {
  SaveSettings();
  ApplyDialogToPort(port_);
  RefreshPortIndicator();
  CloseDialog();
}

void TSetDLG::CancelBtnClick() {
  CloseDialog();
}

void TSetDLG::CBPortChange() {
  const std::string* p = Selected(CBPort);
  CBDevice.SetText(p ? portPaths.Resolve(*p) : std::string());
}

void TSetDLG::CBDeviceChange() {
  if (const std::string* p = Selected(CBPort)) portPaths.Set(*p, CBDevice.Text());
}

}  // namespace varnek
