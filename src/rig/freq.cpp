#include "rig/freq.h"

#include <array>
#include <cstdio>
#include <limits>
#include <vector>

#include "base/rig_family.h"
#include "base/text.h"

namespace varnek {
namespace {

// Decimal integer with leading blanks and an optional sign, in 32 bits as
// the original's conversion; no hex forms.
bool ParseDecimal(std::string_view s, long long& value) {
  size_t i = 0;
  while (i < s.size() && s[i] == ' ')
    ++i;
  bool negative = false;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) negative = s[i++] == '-';
  if (i >= s.size()) return false;
  long long v = 0;
  for (; i < s.size(); ++i) {
    if (s[i] < '0' || s[i] > '9') return false;
    v = v * 10 + (s[i] - '0');
    if (v > static_cast<long long>(std::numeric_limits<int>::max()) + 1) return false;
  }
  v = negative ? -v : v;
  if (v > std::numeric_limits<int>::max() || v < std::numeric_limits<int>::min()) return false;
  value = v;
  return true;
}

struct BandRow {
  long long from;  // inclusive
  long long upTo;  // inclusive
  const char* name;
};

constexpr long long kMin = std::numeric_limits<long long>::min();

// "below X" is an upper bound of X-1; rows are tried in order, so a number in
// a gap falls to the next row that takes it.
constexpr std::array<BandRow, 45> kBandPlan = {{
    {kMin, 1837, "CW"},     {kMin, 1842, "DIGI"},   {kMin, 2000, "LSB"},
    {kMin, 3579, "CW"},     {kMin, 3620, "DIGI"},   {kMin, 3800, "LSB"},
    {kMin, 7034, "CW"},     {kMin, 7045, "DIGI"},   {kMin, 7200, "LSB"},
    {kMin, 10139, "CW"},    {kMin, 10150, "DIGI"},  {kMin, 14069, "CW"},
    {kMin, 14112, "DIGI"},  {kMin, 14350, "USB"},   {kMin, 18099, "CW"},
    {kMin, 18111, "DIGI"},  {kMin, 18168, "USB"},   {kMin, 21069, "CW"},
    {kMin, 21120, "DIGI"},  {kMin, 21450, "USB"},   {kMin, 24919, "CW"},
    {kMin, 24931, "DIGI"},  {kMin, 24990, "USB"},   {kMin, 28069, "CW"},
    {kMin, 28150, "DIGI"},  {kMin, 29199, "USB"},   {kMin, 29509, "AM"},
    {kMin, 29700, "FM"},    {kMin, 50109, "CW"},    {kMin, 50166, "USB"},
    {kMin, 50199, "CW"},    {kMin, 50509, "USB"},   {kMin, 50750, "DIGI"},
    {kMin, 51999, "FM"},    {kMin, 144149, "CW"},   {kMin, 144400, "SSB"},
    {kMin, 144990, "DIGI"}, {145194, 145593, "FM"}, {kMin, 432150, "CW"},
    {kMin, 432400, "SSB"},  {433394, 433580, "FM"}, {1240000, 1241000, "DIGI"},
    {kMin, 1296149, "CW"},  {kMin, 1296800, "SSB"}, {kMin, 1297980, "FM"},
}};

std::string PlanName(long long khz) {
  for (const auto& row : kBandPlan)
    if (khz >= row.from && khz <= row.upTo) return row.name;
  // The plan ends at the top of 23 cm; nothing above it is proposed.
  return "?";
}

std::string StripLeadingZeros(std::string s) {
  const auto p = s.find_first_not_of('0');
  return p == std::string::npos ? std::string() : s.substr(p);
}

// A group of digits as a number; false for an empty group, any other
// character, or more than twelve significant digits.
bool GroupValue(std::string_view g, long long& value) {
  if (g.empty()) return false;
  long long v = 0;
  for (char c : g) {
    if (c < '0' || c > '9') return false;
    v = v * 10 + (c - '0');
    if (v > kMaxFreqHertz) return false;
  }
  value = v;
  return true;
}

// The digits after a point as a count of 10^-places of the unit before it:
// "25" with six places is 250000. Digits beyond `places` may only be zeros
// (finer than 1 Hz is no frequency a rig holds).
bool FractionValue(std::string_view f, int places, long long& value) {
  if (f.empty()) return false;
  long long v = 0;
  for (size_t i = 0; i < f.size(); ++i) {
    const char c = f[i];
    if (c < '0' || c > '9') return false;
    if (static_cast<int>(i) < places)
      v = v * 10 + (c - '0');
    else if (c != '0')
      return false;
  }
  for (size_t i = f.size(); static_cast<int>(i) < places; ++i)
    v *= 10;
  value = v;
  return true;
}

FreqReading Malformed() {
  FreqReading r;
  r.kind = FreqReading::Kind::Malformed;
  return r;
}

FreqReading Hertz(long long hertz, long long asMhz = 0) {
  if (hertz > kMaxFreqHertz) return Malformed();
  FreqReading r;
  r.kind = FreqReading::Kind::Hertz;
  r.hertz = hertz;
  r.asMhz = asMhz <= kMaxFreqHertz ? asMhz : 0;
  return r;
}

// Blanks for the family's display width; the parsers have always padded
// by the length of the stripped text.
std::string Padded(const std::string& s, size_t at8, size_t at9, size_t at10) {
  const size_t blanks = s.size() == 8 ? at8 : s.size() == 9 ? at9 : s.size() == 10 ? at10 : 0;
  return std::string(blanks, ' ') + s;
}

// A stripped display text that lost its MHz digit below 1 MHz (".999.000")
// would read back as something else: it keeps one zero.
std::string KeepMhzDigit(std::string s) {
  return s.size() > 1 && s[0] == '.' && s[1] >= '0' && s[1] <= '9' ? "0" + s : s;
}

}  // namespace

std::string BandPlanMode(std::string_view freq, std::string_view modelCode) {
  if (freq.empty()) return {};
  const std::string f = ReplaceAll(freq, ",", ".");
  std::string k;
  const std::string r = PiecesWithDelims(f, ".", 2, 2);
  if (r.find('.') != std::string::npos)
    k = Piece(f, ".", 1, 1) + Piece(f, ".", 2, 1);
  else if (f.find('.') == std::string::npos)
    k = f;
  else
    k = Piece(f, ".", 1, 1);
  long long khz;
  if (!ParseDecimal(k, khz)) return "Error";
  std::string name = PlanName(khz);
  if (name == "DIGI") {
    const RigFamily family = FamilyOf(modelCode);
    if (family == RigFamily::Kenwood)
      name = "FSK";
    else if (family != RigFamily::None)
      name = "RTTY";
  }
  return name;
}

FreqReading ReadFreq(std::string_view text) {
  const std::string t = ReplaceAll(Trim(text), ",", ".");
  if (t.empty()) return {};
  const std::vector<std::string> groups = [&] {
    std::vector<std::string> g(1);
    for (char c : t) {
      if (c == '.')
        g.emplace_back();
      else
        g.back() += c;
    }
    return g;
  }();
  long long head = 0, kilo = 0, fraction = 0;
  switch (groups.size()) {
    case 1:  // kHz
      if (!GroupValue(groups[0], kilo) || kilo > kMaxFreqHertz / 1000) return Malformed();
      return Hertz(kilo * 1000);
    case 2:
      if (!GroupValue(groups[0], head)) return Malformed();
      if (groups[0].size() <= 3) {  // MHz with a fraction
        if (!FractionValue(groups[1], 6, fraction)) return Malformed();
        return Hertz(head * 1'000'000 + fraction);
      }
      // kHz with a fraction; read as MHz it would be another frequency.
      if (!FractionValue(groups[1], 3, fraction) || head > kMaxFreqHertz / 1000) return Malformed();
      {
        long long asMhz = 0, micro = 0;
        if (head <= kMaxFreqHertz / 1'000'000 && FractionValue(groups[1], 6, micro))
          asMhz = head * 1'000'000 + micro;
        return Hertz(head * 1000 + fraction, asMhz);
      }
    case 3:  // MHz.kHz.Hz
      if (!GroupValue(groups[0], head) || groups[1].size() != 3 || !GroupValue(groups[1], kilo) ||
          !FractionValue(groups[2], 3, fraction) || head > kMaxFreqHertz / 1'000'000)
        return Malformed();
      return Hertz(head * 1'000'000 + kilo * 1000 + fraction);
    default:
      return Malformed();
  }
}

std::optional<long long> FreqHertz(std::string_view text) {
  const FreqReading r = ReadFreq(text);
  if (r.kind != FreqReading::Kind::Hertz) return std::nullopt;
  return r.hertz;
}

namespace {

// MHz.kHz.Hz with at least `mhzDigits` MHz digits.
std::string ThreeGroups(long long hertz, int mhzDigits) {
  if (hertz < 0) return {};
  char text[40];
  std::snprintf(text, sizeof text, "%0*lld.%03lld.%03lld", mhzDigits, hertz / 1'000'000,
                hertz / 1000 % 1000, hertz % 1000);
  return text;
}

}  // namespace

std::string NormalizeFreq(std::string_view freq) {
  const std::optional<long long> hz = FreqHertz(freq);
  return hz ? ThreeGroups(*hz, 3) : std::string();
}

std::string FreqText(long long hertz) {
  return ThreeGroups(hertz, 1);
}

std::string KenwoodFreqDigits(long long hertz, std::string_view modelCode) {
  const int width = FamilyOf(modelCode) == RigFamily::Ft2000 ? 8 : 11;
  char digits[24];
  std::snprintf(digits, sizeof digits, "%0*lld", width, hertz);
  if (hertz < 0 || static_cast<int>(std::string_view(digits).size()) != width) return {};
  return digits;
}

namespace {

// Packed BCD, least significant byte first, as blank-separated hex text.
std::string BcdBytes(long long value, int bytes) {
  if (value < 0) return {};
  std::string text;
  for (int i = 0; i < bytes; ++i) {
    char pair[4];
    std::snprintf(pair, sizeof pair, "%lld%lld", value / 10 % 10, value % 10);
    text += (i ? " " : "") + std::string(pair);
    value /= 100;
  }
  return value == 0 ? text : std::string();
}

}  // namespace

std::string IcomFreqBytes(long long hertz, int bytes) {
  return BcdBytes(bytes == 4 ? hertz / 10 * 10 : hertz, bytes);
}

std::string YaesuFreqBytes(long long hertz) {
  return BcdBytes(hertz / 10, 4);
}

std::string AsciiFreqDisplay(long long hertz) {
  return Padded(FreqText(hertz), 0, 2, 0);
}

std::string IcomFreqDisplay(std::string_view digits) {
  // Bytes arrive least significant first: reverse the pairs.
  std::string d;
  for (size_t i = digits.size(); i >= 2; i -= 2)
    d.append(digits.substr(i - 2, 2));
  if (digits.size() % 2) d.append(digits.substr(0, 1));
  const std::string s =
      StripLeadingZeros(Trim(d.substr(0, 4) + "." + (d.size() > 4 ? d.substr(4, 3) : "") + "." +
                             (d.size() > 7 ? d.substr(7, 3) : "")));
  return Padded(KeepMhzDigit(s), 5, 4, 2);
}

std::string YaesuFreqDisplay(std::string_view digits) {
  const std::string d(digits);
  std::string s = Trim(d.substr(0, 3) + "." + (d.size() > 3 ? d.substr(3, 3) : "") + "." +
                       (d.size() > 6 ? d.substr(6, 3) : ""));
  if (!s.empty()) s = KeepMhzDigit(StripLeadingZeros(s));
  return Padded(s, 0, 3, 1);
}

}  // namespace varnek
