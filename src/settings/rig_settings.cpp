#include "settings/rig_settings.h"

#include <algorithm>

#include "base/errors.h"
#include "base/profile.h"
#include "base/rig_family.h"
#include "base/text.h"

namespace varnek {
namespace {

std::string Field(std::string_view text, int n) {
  return Piece(text, "_", n, 1);
}

// A list position as stored; out of range means no selection.
int Position(int value, size_t listSize) {
  return value >= 0 && static_cast<size_t>(value) < listSize ? value : -1;
}

bool LineOn(const std::string& field) {
  return field != "0";
}

std::string Join(const std::vector<std::string>& lines) {
  std::string text;
  for (size_t i = 0; i < lines.size(); ++i) {
    if (i > 0) text += '\r';
    text += lines[i];
  }
  return text;
}

bool EqualNoCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && UpperCase(a) == UpperCase(b);
}

}  // namespace

const std::vector<std::string>& RigList() {
  static const std::vector<std::string> list = {
      "Kenwood TS-570",  "Kenwood TS-870S",  "Kenwood TS-2000", "Icom IC-CI-V",
      "Yaesu FT-920",    "Yaesu FT-1000",    "Yaesu FT-2000",
      "Kenwood TS-590S", "Kenwood TS-590SG", "Kenwood TS-480"};
  return list;
}

std::string ModelCodeOf(std::string_view selection) {
  return Piece(selection, " ", 2, 1);
}

const std::vector<std::string>& PortItems() {
  static const std::vector<std::string> items = [] {
    std::vector<std::string> v;
    for (int i = 1; i <= 25; ++i)
      v.push_back("COM" + IntToStr(i));
    return v;
  }();
  return items;
}

const std::vector<std::string>& BaudItems() {
  // "115000" is what the list has always said; the value it stands for is
  // set by whoever applies it to the port.
  static const std::vector<std::string> items = {"110",   "300",   "600",    "1200",   "2400",
                                                 "4800",  "9600",  "14400",  "19200",  "38400",
                                                 "56000", "57600", "115000", "128000", "256000"};
  return items;
}

const std::vector<std::string>& DataBitItems() {
  static const std::vector<std::string> items = {"4 Bit", "5 Bit", "6 Bit", "7 Bit", "8 Bit"};
  return items;
}

const std::vector<std::string>& StopBitItems() {
  static const std::vector<std::string> items = {"1 Bit (*)", "1,5 Bits", "2 Bits"};
  return items;
}

const std::vector<std::string>& ParityItems() {
  static const std::vector<std::string> items = {"None (*)", "Odd", "Even", "Mark", "Space"};
  return items;
}

const std::vector<std::string>& FlowItems() {
  static const std::vector<std::string> items = {"None (*)", "XOn-XOff", "RTS-CTS", "DSR-DTR"};
  return items;
}

int ItemPosition(const std::vector<std::string>& items, std::string_view text) {
  for (size_t i = 0; i < items.size(); ++i)
    if (items[i] == text) return static_cast<int>(i);
  return -1;
}

std::string RigSettingsString(const RigSettings& s, const RigSettingsShown& shown) {
  std::string line;
  for (int p : {s.port, s.baud, s.dataBits, s.stopBits, s.parity, s.flow})
    line += IntToStr(p) + "_";
  line += s.dtr ? "1_" : "0_";
  line += s.rts ? "1_" : "0_";
  line += (shown.address ? s.address : std::string()) + "_";
  line += s.channelInterval + "_";
  line += (shown.commandWait ? s.commandInterval : std::string()) + "_";
  line += (shown.loopWait ? s.loopWait : std::string()) + "_";
  line += IntToStr(static_cast<int>(s.notation));
  return line;
}

void ApplyRigSettingsString(std::string_view text, RigSettings& s) {
  struct ListField {
    int* target;
    size_t size;
    bool strict;
  };
  const ListField lists[] = {
      {&s.port, PortItems().size(), true},         {&s.baud, BaudItems().size(), true},
      {&s.dataBits, DataBitItems().size(), false}, {&s.stopBits, StopBitItems().size(), true},
      {&s.parity, ParityItems().size(), true},     {&s.flow, FlowItems().size(), true},
  };
  for (int i = 0; i < 6; ++i) {
    const std::string f = Field(text, i + 1);
    if (f.empty()) continue;
    int v = 0;
    if (lists[i].strict)
      v = StrToInt(f);  // throws: the fields after a bad one are not applied
    else if (!TryStrToInt(f, v))
      v = 4;
    *lists[i].target = Position(v, lists[i].size);
  }
  s.dtr = LineOn(Field(text, 7));
  s.rts = LineOn(Field(text, 8));
  s.address = Field(text, 9);
  s.channelInterval = Field(text, 10);
  s.commandInterval = Field(text, 11);
  s.loopWait = Field(text, 12);
  const std::string n = Field(text, 13);
  if (n == "1") s.notation = FreqNotation::Point;
  if (n == "2") s.notation = FreqNotation::TwoPoints;
  if (n == "3") s.notation = FreqNotation::Comma;
}

RigTiming TimingOf(const RigSettings& s) {
  RigTiming t;
  t.civAddress = s.address;
  // A negative pause can only mean no pause.
  const auto num = [](const std::string& text, int fallback) {
    int v = 0;
    return TryStrToInt(text, v) ? std::max(v, 0) : fallback;
  };
  t.channelInterval = num(s.channelInterval, 150);
  t.commandInterval = num(s.commandInterval, 150);
  t.icomLoopWait = num(s.loopWait, 75);
  return t;
}

RigDefaults DefaultsFor(std::string_view code) {
  const int b9600 = ItemPosition(BaudItems(), "9600");
  const int b4800 = ItemPosition(BaudItems(), "4800");
  const int one = ItemPosition(StopBitItems(), "1 Bit (*)");
  const int two = ItemPosition(StopBitItems(), "2 Bits");
  RigDefaults d;
  switch (FamilyOf(code)) {
    case RigFamily::Icom:
      // The command interval is 150 in the edit and in the running value
      // alike: a reset that shows one pause and runs another misleads.
      d = {b9600, one, true, 300, 150, 75};
      break;
    case RigFamily::Kenwood:
      d = {b9600, one, true, 400, std::nullopt, std::nullopt};
      break;
    case RigFamily::Ft2000:
      d = {b4800, two, false, 400, std::nullopt, std::nullopt};
      break;
    case RigFamily::Yaesu:
      d = {b4800, two, false, 200, 150, std::nullopt};
      break;
    case RigFamily::None:
      break;
  }
  return d;
}

void ApplyDefaults(const RigDefaults& d, RigSettings& s) {
  if (d.baud) s.baud = *d.baud;
  if (d.stopBits) s.stopBits = *d.stopBits;
  if (d.lines) s.dtr = s.rts = *d.lines;
  if (d.channelInterval) s.channelInterval = IntToStr(*d.channelInterval);
  if (d.commandInterval) s.commandInterval = IntToStr(*d.commandInterval);
  if (d.loopWait) s.loopWait = IntToStr(*d.loopWait);
}

std::string WindowPositionString(const WindowPosition& p) {
  return "0," + IntToStr(p.top) + "," + IntToStr(p.left);
}

WindowPosition ParseWindowPosition(std::string_view text) {
  WindowPosition p;
  p.top = StrToInt(Piece(text, ",", 2, 1));
  p.left = StrToInt(Piece(text, ",", 3, 1));
  return p;
}

std::string RigKeyProblem(std::string_view t) {
  if (t.empty()) return "an empty rig name cannot keep settings";
  if (EqualNoCase(t, kPositionKey) || EqualNoCase(t, kRigKey))
    return "the rig name \"" + std::string(t) + "\" is reserved";
  for (char c : t) {
    if (c == '\r' || c == '\n' || c == '\0') return "the rig name holds a line break";
    if (c == '=' || c == '[' || c == ']')
      return "the rig name must not hold '" + std::string(1, c) + "'";
  }
  const auto blank = [](char c) { return c == ' ' || c == '\t'; };
  if (blank(t.front()) || blank(t.back())) return "the rig name begins or ends with a blank";
  if (t.front() == ';' || t.front() == '#')
    return "the rig name must not begin with '" + std::string(1, t.front()) + "'";
  return {};
}

std::string ReadRigSettingsLine(const Profile& settings, std::string_view selection) {
  if (!RigKeyProblem(selection).empty()) return {};
  return settings.ReadString(kMainSection, selection);
}

namespace {
constexpr std::string_view kWaitWord = "wait-for-answers";
constexpr std::string_view kVerifyWord = "verify-after-write";
constexpr std::string_view kBackupWord = "backup-before-writing";
}  // namespace

std::string RigOptionsString(const RigOptions& o) {
  std::string s;
  if (o.waitForAnswers) s += kWaitWord;
  if (o.verifyAfterWrite) s += (s.empty() ? "" : ",") + std::string(kVerifyWord);
  if (o.backupBeforeWriting) s += (s.empty() ? "" : ",") + std::string(kBackupWord);
  return s;
}

RigOptions ParseRigOptions(std::string_view text) {
  RigOptions o;
  size_t pos = 0;
  while (pos <= text.size()) {
    size_t end = text.find(',', pos);
    if (end == std::string_view::npos) end = text.size();
    const std::string word = UpperCase(Trim(text.substr(pos, end - pos)));
    if (word == UpperCase(kWaitWord)) o.waitForAnswers = true;
    if (word == UpperCase(kVerifyWord)) o.verifyAfterWrite = true;
    if (word == UpperCase(kBackupWord)) o.backupBeforeWriting = true;
    pos = end + 1;
  }
  return o;
}

RigOptions ReadRigOptions(const Profile& settings, std::string_view selection) {
  if (!RigKeyProblem(selection).empty()) return {};
  return ParseRigOptions(settings.ReadString(kRigOptionsSection, selection));
}

RigSaveResult SaveRigSelection(Profile& settings, std::string_view selection, std::string_view line,
                               const RigOptions* options) {
  RigSaveResult r;
  std::vector<ProfileEntry> entries;
  const std::string problem = RigKeyProblem(selection);
  if (selection.find_first_of(std::string_view("\r\n\0", 3)) == std::string_view::npos)
    entries.push_back({kMainSection, kRigKey, std::string(selection)});
  if (problem.empty()) {
    entries.push_back({kMainSection, std::string(selection), std::string(line)});
    if (options)
      entries.push_back({kRigOptionsSection, std::string(selection), RigOptionsString(*options)});
  } else
    r.notice = "Rig settings not saved: " + problem;
  if (entries.empty()) {
    r.file.ok = true;
    return r;
  }
  r.file = settings.Write(entries);
  return r;
}

std::string AdviceText() {
  return Join({
      "- Only checked channels are loaded from and saved to rig.",
      "- \xB4Save to File\xB4 and \xB4Load from File\xB4 handle all channels.",
      "- Click a channel number to see its content and open it",
      "- \xB4"
      "Channel interval\xB4 time depends on the computer and rig.",
      "- Default values 500ms (Icom), 400ms (Kenwood), 200ms (Yaesu).",
      "- If loading or saving leaves some channels empty, increase interval",
      "- \xB4"
      "Command interval\xB4 time between the commands. Lowest value 75 ms.",
      "- If the Clear -> Checked Memory Channels is not functioning well",
      "- increase the Command Interval",
      "- Frequencies may be entered as 3699 or 3699.0 or 3.699.000",
      "- Program is built using normal serial port settings, baud rate 4800/9600.",
      "- Look at the option \xB4"
      "Clear\xB4 -> \xB4Reset Rig and SP Settings\xB4",
      "- CI-V and Yaesu 800 models need DTR+ and/or RTS+, as their CAT",
      "- cables get the current through them.",
  });
}

std::string NeuvojaText() {
  return Join({
      "- Rastita kanavat, jotka luetaan rigist\xE4 tai tallennetaan rigiin.",
      "- Klikkaa kanavanumeroa n\xE4hd\xE4ksesi sen sis\xE4ll\xF6n ja avataksesi sen.",
      "- \xB4"
      "Channel interval\xB4 aika riippuu rigist\xE4 ja tietokoneesta.",
      "- Oletusarvot 500ms (Icom), 400ms (Kenwood), 200ms (Yaesu).",
      "- Jos lataus tai tallennus j\xE4tt\xE4\xE4 tyhji\xE4 rivej\xE4 v\xE4liin, suurenna "
      "intervallia.",
      "- \xB4"
      "Command interval\xB4 on viive komentojen v\xE4lill\xE4. Arvot 75 - 150 ms.",
      "- Jos kanavien tyhjennys (Clear -> Checked Memory Channels) ei suju",
      "- pidenn\xE4 komentov\xE4li\xE4 (Command Interval)",
      "- Taajuus annetaan muodossa 3699 tai 3699.0 tai 3.699.000",
      "- Sarjaporttiasetukset normaalit, nopeus 9600 baud tai 4800 (Yeasu).",
      "- Kokeile valikkoa \xB4"
      "Clear\xB4 -> \xB4Reset Rig and SP Settings\xB4.",
      "- CI-V ja Yeasu 800-mallit vaativat DTR+ ja/tai RTS+ ,koska niiden",
      "- CAT -kaapelit saavat virtansa niiden kautta.",
  });
}

}  // namespace varnek
