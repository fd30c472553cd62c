#include "rig/freq.h"

#include <array>
#include <cstdio>
#include <limits>

#include "app/text.h"

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

// Character n (1-based) of s as a text, empty beyond its end: short normal
// forms give short byte texts rather than garbage.
std::string At(std::string_view s, size_t n) {
  return n >= 1 && n <= s.size() ? std::string(1, s[n - 1]) : std::string();
}

struct Groups {
  std::string mhz, khz, hz;
};

Groups SplitNormal(const std::string& n) {
  return {Piece(n, ".", 1, 1), Piece(n, ".", 2, 1), Piece(n, ".", 3, 1)};
}

// Hertz of a normal form from 1000 MHz up, where the positional layouts no
// longer fit; -1 when a group is not a number.
long long NormalHertz(const Groups& g) {
  long long mhz, khz, hz;
  if (!IsAllDigits(g.mhz) || !IsAllDigits(g.khz) || !IsAllDigits(g.hz)) return -1;
  if (g.mhz.size() > 9 || g.khz.size() > 9 || g.hz.size() > 9) return -1;
  mhz = std::stoll(g.mhz);
  khz = std::stoll(g.khz);
  hz = std::stoll(g.hz);
  return mhz * 1000000 + khz * 1000 + hz;
}

}  // namespace

bool IsAllDigits(std::string_view s) {
  if (s.empty()) return false;
  for (char c : s)
    if (c < '0' || c > '9') return false;
  return true;
}

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
    if (StartsWith(modelCode, "TS"))
      name = "FSK";
    else if (StartsWith(modelCode, "IC") || StartsWith(modelCode, "FT"))
      name = "RTTY";
  }
  return name;
}

std::string NormalizeFreq(std::string_view freq) {
  std::string hz = "000", khz, mhz;
  const std::string f = ReplaceAll(freq, ",", ".");
  if (f.find('.') == std::string::npos) {
    if (f.size() > 3) {
      mhz = f.substr(0, f.size() - 3);
      khz = f.substr(f.size() - 3);
    } else {
      khz = f;
    }
  } else {
    mhz = Piece(f, ".", 1, 1);
    const std::string r = PiecesWithDelims(f, ".", 2, 2);
    if (r.find('.') != std::string::npos) {
      hz = (Piece(f, ".", 3, 1) + "000").substr(0, 3);
      khz = Piece(f, ".", 2, 1);
    } else if (mhz.size() <= 3) {
      khz = Piece(f, ".", 2, 1);
    } else {
      khz = mhz.substr(mhz.size() - 3);
      mhz = mhz.substr(0, mhz.size() - 3);
      hz = (Piece(f, ".", 2, 1) + "000").substr(0, 3);
    }
  }
  if (mhz.size() == 1)
    mhz = "00" + mhz;
  else if (mhz.size() == 2)
    mhz = "0" + mhz;
  return mhz + "." + khz + "." + hz;
}

std::string KenwoodFreqDigits(std::string_view freq, std::string_view modelCode) {
  const std::string n = NormalizeFreq(Trim(freq));
  std::string t = Piece(n, ".", 1, 1) + PiecesWithDelims(n, ".", 2, 2);
  t = StripLeadingZeros(t);
  const auto point = t.find('.');
  const std::string whole = point == std::string::npos ? t : t.substr(0, point);
  const std::string fraction = point == std::string::npos ? std::string() : t.substr(point + 1);
  std::string d = "0000" + whole + (fraction + "000").substr(0, 3);
  if (d.size() > 11) d = d.substr(d.size() - 11);
  if (StartsWith(modelCode, "FT-2") && d.size() > 8) d = d.substr(d.size() - 8);
  return d;
}

std::string IcomFreqBytes(std::string_view freq, std::string_view modelCode) {
  if (modelCode != "IC-CI-V") return {};
  const std::string n = NormalizeFreq(freq);
  const Groups g = SplitNormal(n);
  if (g.mhz.size() >= 4) {
    const long long hz = NormalHertz(g);
    if (hz < 0 || hz > 9999999999LL) return {};
    char digits[16];
    std::snprintf(digits, sizeof digits, "%010lld", hz);
    const std::string d = digits;
    return d.substr(8, 2) + " " + d.substr(6, 2) + " " + d.substr(4, 2) + " " + d.substr(2, 2) +
           " " + d.substr(0, 2);
  }
  return At(n, 10) + At(n, 11) + " " + At(n, 7) + At(n, 9) + " " + At(n, 5) + At(n, 6) + " " +
         At(n, 2) + At(n, 3) + " 0" + At(n, 1);
}

std::string YaesuFreqBytes(std::string_view freq, std::string_view modelCode) {
  const std::string_view variant = modelCode.substr(0, 4);
  if (variant != "FT-1" && variant != "FT-9") return {};
  const std::string n = NormalizeFreq(freq);
  if (SplitNormal(n).mhz.size() >= 4) return {};
  return At(n, 9) + At(n, 10) + " " + At(n, 6) + At(n, 7) + " " + At(n, 3) + At(n, 5) + " " +
         At(n, 1) + At(n, 2);
}

std::string AsciiFreqDisplay(long long hertz) {
  char text[48];
  std::snprintf(text, sizeof text, "%lld.%03lld", hertz / 1000,
                (hertz < 0 ? -hertz : hertz) % 1000);
  const std::string s = StripLeadingZeros(NormalizeFreq(text));
  return s.size() == 9 ? "  " + s : s;
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
  switch (s.size()) {
    case 8:
      return "     " + s;
    case 9:
      return "    " + s;
    case 10:
      return "  " + s;
    default:
      return s;
  }
}

std::string YaesuFreqDisplay(std::string_view digits) {
  const std::string d(digits);
  std::string s = Trim(d.substr(0, 3) + "." + (d.size() > 3 ? d.substr(3, 3) : "") + "." +
                       (d.size() > 6 ? d.substr(6, 3) : ""));
  if (!s.empty()) s = StripLeadingZeros(s);
  switch (s.size()) {
    case 9:
      return "   " + s;
    case 10:
      return " " + s;
    default:
      return s;
  }
}

}  // namespace varnek
