#include "terminal/rig_form.h"

#include <cctype>

#include "window/channel_window.h"
#include "settings/rig_settings.h"
#include "base/text.h"
#include "rig/family.h"
#include "rig/freq.h"
#include "serial/serial_port.h"

namespace varnek {
namespace {


}  // namespace

TRigForm::TRigForm(Host& host, ChannelWindow& main, TSerialPort& port)
    : host_(host), main_(main), port_(port) {
  Place(Label1, "Label1", {8, 6, 80, 13});
  Label1.SetCaption("Sendstring");
  for (int i = 0; i < 4; ++i) {
    Place(Edit[i], "Edit" + std::to_string(i + 1), {8, 22 + 24 * i, 330, 21});
    Edit[i].tabOrder = i;
  }
  Place(DelEd4, "DelEd4", {342, 94, 21, 21});
  DelEd4.SetCaption("X");
  DelEd4.SetHint("Empty the command lines");
  DelEd4.OnClick = [this] { DelEd4Click(); };
  Place(SendBtn, "SendBtn", {374, 22, 80, 25});
  SendBtn.SetCaption("&Send");
  SendBtn.tabOrder = 4;
  SendBtn.OnClick = [this] { SendBtnClick(); };
  Place(cbAddLF, "cbAddLF", {374, 54, 90, 17});
  cbAddLF.SetCaption("Add LF");
  Place(cbWorm, "cbWorm", {374, 76, 56, 17});
  cbWorm.SetCaption("Send");
  Place(Label2, "Label2", {432, 78, 60, 13});
  Label2.SetCaption("as Worm");

  Place(Terminal, "Terminal", {8, 124, 446, 250});
  Place(Button1, "Button1", {8, 384, 80, 25});
  Button1.SetCaption("&Clear");
  Button1.OnClick = [this] { Button1Click(); };
  Place(btRead, "btRead", {94, 384, 80, 25});
  btRead.SetCaption("&Read");
  btRead.OnClick = [this] {
    if (OnRead) OnRead();
  };
  Place(BasicSettingsBtn, "BasicSettingsBtn", {180, 384, 80, 25});
  BasicSettingsBtn.SetCaption("&Settings");
  BasicSettingsBtn.OnClick = [this] { BasicSettingsBtnClick(); };
  Place(cbClear, "cbClear", {270, 388, 70, 17});
  cbClear.SetCaption("Clear T");
  Place(cbSave, "cbSave", {346, 388, 100, 17});
  cbSave.SetCaption("Save to file");
  // Switched by the save run only: the terminal log follows the run.
  cbSave.SetEnabled(false);

  Place(lbChan, "lbChan", {462, 124, 90, 13});
  lbChan.SetCaption("Channel");
  Place(edChannel, "edChannel", {462, 140, 96, 21});
  Place(edFreq, "edFreq", {462, 166, 96, 21});
  edFreq.SetHint("Frequency");
  Place(edMode, "edMode", {462, 192, 96, 21});
  edMode.SetHint("Mode or Pacing");
  edMode.OnKeyPress = UpKeyPress;

  Place(pnYaesu, "pnYaesu", {462, 222, 100, 186});
  struct SampleLabel {
    TLabel* label;
    const char* name;
    const char* caption;
    Sample sample;
  };
  const SampleLabel samples[] = {
      {&lbStatus, "lbStatus", "Status", Sample::Status},
      {&lbFreq, "lbFreq", "14.267.00 or Frq", Sample::Freq},
      {&lbChannel, "lbChannel", "Channel Data", Sample::Channel},
      {&lbMode, "lbMode", "USB or mode", Sample::Mode},
      {&lbMemory, "lbMemory", "Recall memory", Sample::Memory},
      {&lbMemSave, "lbMemSave", "Memory Save", Sample::MemSave},
      {&lbMemClear, "lbMemClear", "Memory Clear", Sample::MemClear},
      {&lbChanRecall, "lbChanRecall", "Channel Recall", Sample::ChanRecall},
      {&lbPacing, "lbPacing", "Pacing", Sample::Pacing},
  };
  int row = 0;
  for (const auto& s : samples) {
    Place(*s.label, s.name, {4, 4 + 20 * row++, 92, 15});
    s.label->SetCaption(s.caption);
    s.label->parent = &pnYaesu;
    s.label->underline = true;
    s.label->handCursor = true;
    s.label->SetFontColor(Color{0, 0, 160});
    const Sample sample = s.sample;
    s.label->OnClick = [this, sample] { SampleClick(sample); };
  }
  lbFreq.SetHint("Reads frequency also from Frequency field");
  for (TControl* c : Controls())
    if (c->Kind() != ControlKind::Edit && c->Kind() != ControlKind::Memo)
      c->SetBackColor(colors::BtnFace);
}

std::vector<TControl*> TRigForm::Controls() {
  return {&Label1,  &Edit[0],          &Edit[1],   &Edit[2],    &Edit[3],      &DelEd4,
          &SendBtn, &cbAddLF,          &cbWorm,    &Label2,     &Terminal,     &Button1,
          &btRead,  &BasicSettingsBtn, &cbClear,   &cbSave,     &lbChan,       &edChannel,
          &edFreq,  &edMode,           &pnYaesu,   &lbStatus,   &lbFreq,       &lbChannel,
          &lbMode,  &lbMemory,         &lbMemSave, &lbMemClear, &lbChanRecall, &lbPacing};
}

void TRigForm::FormCreate(const Profile& settings) {
  const std::string pos = settings.ReadString("RigForm", "fRig");
  if (!pos.empty()) {
    // A bad value ends creation here, as a conversion error does.
    const WindowPosition p = ParseWindowPosition(pos);
    bounds.top = p.top;
    bounds.left = p.left;
  }
  if (RefreshIndicator) RefreshIndicator();
  Terminal.Clear();
}

void TRigForm::FormClose(Profile& settings) {
  if (!normalState) return;
  const FileResult r =
      settings.WriteString("RigForm", "fRig", WindowPositionString({bounds.top, bounds.left}));
  if (!r.ok) host_.ReportError(r.message);
}

std::string TRigForm::LineBytes(const std::string& text) const {
  const std::string code = main_.shared.ModelCode.Get();
  std::string bytes = IsAscii(FamilyOf(code)) ? text : TypedHexBytes(text);
  if (cbAddLF.Checked()) bytes += "\r\n";
  return bytes;
}

void TRigForm::SendBytes(const std::string& bytes) {
  if (BeforeSend) BeforeSend();
  port_.SendText(bytes);
}

void TRigForm::SendLine(const std::string& text) {
  SendBytes(LineBytes(text));
}

void TRigForm::SendBtnClick() {
  if (!cbWorm.Checked()) {
    // Every line is converted before the first goes out: a typing error in
    // the third line must not leave the rig with half a command sequence.
    std::vector<std::string> lines;
    for (const TEdit& line : Edit)
      if (!line.Text().empty()) lines.push_back(LineBytes(line.Text()));
    for (const std::string& bytes : lines) {
      SendBytes(bytes);
      host_.Sleep(main_.shared.CommandInterval);
    }
    return;
  }
  // Hex lines are joined without their end blanks, each a whole number of
  // bytes; ASCII lines are joined as typed.
  const bool ascii = IsAscii(FamilyOf(main_.shared.ModelCode.Get()));
  const auto part = [ascii](const std::string& t) { return ascii ? t : Trim(t); };
  std::string worm = part(Edit[0].Text());
  for (int i = 1; i < 4; ++i)
    if (!part(Edit[i].Text()).empty())
      worm += (worm.empty() && !ascii ? "" : " ") + part(Edit[i].Text());
  SendLine(worm);
}

void TRigForm::Button1Click() {
  Terminal.Clear();
  edFreq.SetText("");
  edMode.SetText("");
}

void TRigForm::DelEd4Click() {
  for (TEdit& line : Edit)
    line.SetText("");
}

void TRigForm::BasicSettingsBtnClick() {
  if (ShowSettingsModal) ShowSettingsModal();
}

void TRigForm::UpKeyPress(char& key) {
  if (key >= 'a' && key <= 'z') key = static_cast<char>(key - 'a' + 'A');
}

bool TRigForm::PutIntoFirstEmpty(const std::string& text, int first, int last) {
  for (int i = first; i <= last; ++i) {
    if (Edit[i].Text().empty()) {
      Edit[i].SetText(text);
      return true;
    }
  }
  return false;
}

void TRigForm::SampleClick(Sample sample) {
  const auto texts = SampleCommand(sample, main_.shared.ModelCode.Get(),
                                   {edChannel.Text(), edFreq.Text(), edMode.Text()});
  if (texts.size() == 2) {
    // The CI-V status pair: the second query always lands below the first.
    PutIntoFirstEmpty(texts[0], 0, 2);
    PutIntoFirstEmpty(texts[1], 1, 3);
  } else if (texts.size() == 1) {
    PutIntoFirstEmpty(texts[0], 0, 3);
  }
}

void TRigForm::ReadFt920StatusRecord() {
  const auto& memo = Terminal.Lines();
  // A table read writes its "#NN" line first: the record is the next line.
  const size_t at = !memo.empty() && StartsWith(memo.front(), "#") ? 1 : 0;
  if (at >= memo.size()) return;
  const std::string line = Trim(memo[at]);
  auto word = [&](int n) { return Piece(line, " ", n, 1); };
  // Only a dump line holding a whole record's first eight bytes is read;
  // anything else leaves the fields as they are.
  for (int n = 1; n <= 8; ++n) {
    const std::string w = word(n);
    if (w.size() != 2 || !std::isxdigit(static_cast<unsigned char>(w[0])) ||
        !std::isxdigit(static_cast<unsigned char>(w[1])))
      return;
  }
  // The rig's marks of an empty record.
  if (word(1) == "8B" || word(1) == "90") return;
  const uint32_t hz = HexValue(word(2) + word(3) + word(4) + word(5));
  // MHz.kHz.Hz with one zero kept below 1 MHz, so 999 kHz reads back as
  // itself; nine digits are all the FT-920's hertz ever need.
  const std::string freq = FreqText(hz % 1'000'000'000);
  const std::string m = word(8);
  std::string mode = "?";
  if (m == "00")
    mode = "LSB";
  else if (m == "40")
    mode = "USB";
  else if (m == "81" || m == "C1")
    mode = "CW";
  else if (m == "02")
    mode = "AM";
  else if (m == "03")
    mode = "FM";
  else if (m == "04" || m == "05" || m == "06")
    mode = "DIGI";
  edFreq.SetText(freq);
  edMode.SetText(mode);
}

void TRigForm::EchoCommands(const std::vector<std::string>& commands) {
  for (size_t i = 0; i < commands.size() && i < 4; ++i)
    EchoCommand(static_cast<int>(i), commands[i]);
}

void TRigForm::EchoCommand(int index, const std::string& command) {
  if (!visible || index < 0 || index > 3) return;
  Edit[static_cast<size_t>(index)].SetText(command);
}

}  // namespace varnek
