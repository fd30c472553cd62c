#include "rig/kept_hint.h"

#include <array>
#include <vector>

#include "base/rig_family.h"
#include "base/text.h"

namespace varnek {
namespace {

// The TS-570's and TS-870S's tone numbers 01..38: the 38 standard tones.
std::string ToneHz(const std::string& number) {
  static constexpr std::array<const char*, 38> kTones = {
      "67.0",  "71.9",  "74.4",  "77.0",  "79.7",  "82.5",  "85.4",  "88.5",  "91.5",  "94.8",
      "97.4",  "100.0", "103.5", "107.2", "110.9", "114.8", "118.8", "123.0", "127.3", "131.8",
      "136.5", "141.3", "146.2", "151.4", "156.7", "162.2", "167.9", "173.8", "179.9", "186.2",
      "192.8", "203.5", "210.7", "218.1", "225.7", "233.6", "241.8", "250.3"};
  if (!IsAllDigits(number)) return "no. " + number;
  const int n = StrToInt(number);
  if (n < 1 || n > static_cast<int>(kTones.size())) return "no. " + number;
  return std::string(kTones[static_cast<size_t>(n - 1)]) + " Hz";
}

std::string Join(const std::vector<std::string>& parts) {
  std::string s;
  for (const std::string& p : parts)
    s += (s.empty() ? "" : " \xB7 ") + p;
  return s;
}

std::string ShiftText(char shift) {
  switch (shift) {
    case '1':
      return "shift +";
    case '2':
      return "shift -";
    case '3':
      return "shift =";
    default:
      return {};
  }
}

// A frequency offset in hertz as the hint shows it: "600 kHz", "1.6 MHz".
std::string OffsetText(const std::string& digits) {
  if (!IsAllDigits(digits)) return digits;
  const long long hz = std::stoll(digits);
  if (hz % 1000000 == 0) return std::to_string(hz / 1000000) + " MHz";
  if (hz % 1000 == 0) return std::to_string(hz / 1000) + " kHz";
  return std::to_string(hz) + " Hz";
}

std::string Ts570Hint(const std::string& f) {
  std::vector<std::string> parts;
  if (f[1] == '1') parts.push_back("tone " + ToneHz(f.substr(2, 2)));
  if (f[0] == '1') parts.push_back("locked out");
  return Join(parts);
}

std::string Ts2000Hint(const std::string& f) {
  std::vector<std::string> parts;
  switch (f[1]) {
    case '1':
      parts.push_back("tone no. " + f.substr(2, 2));
      break;
    case '2':
      parts.push_back("CTCSS no. " + f.substr(4, 2));
      break;
    case '3':
      parts.push_back("DCS " + f.substr(6, 3));
      break;
    default:
      break;
  }
  if (f[9] == '1') parts.push_back("reverse");
  const std::string shift = ShiftText(f[10]);
  if (!shift.empty()) parts.push_back(shift + " " + OffsetText(f.substr(11, 9)));
  if (f.substr(20, 2) != "00") parts.push_back("step " + f.substr(20, 2));
  if (f[22] != '0') parts.push_back("group " + f.substr(22, 1));
  if (f[0] == '1') parts.push_back("locked out");
  return Join(parts);
}

std::string Ft2000Hint(const std::string& f) {
  std::vector<std::string> parts;
  const std::string offset = f.substr(0, 5);
  if (f[5] == '1' || f[6] == '1' || offset.substr(1) != "0000")
    parts.push_back("clarifier " + offset + " Hz" + (f[5] == '1' ? " RX" : "") +
                    (f[6] == '1' ? " TX" : ""));
  if (f[8] != '0') parts.push_back("CTCSS mode " + f.substr(8, 1) + ", tone no. " + f.substr(9, 2));
  const std::string shift = ShiftText(f[11]);
  if (!shift.empty()) parts.push_back(shift);
  return Join(parts);
}

}  // namespace

std::string KeptFieldsHint(const KeptFields& kept) {
  if (kept.Empty()) return {};
  const std::string& f = kept.fields;
  if (FamilyOf(kept.model) == RigFamily::Ft2000) return f.size() == 12 ? Ft2000Hint(f) : "";
  if (IsTs2000(kept.model)) return f.size() == 23 ? Ts2000Hint(f) : "";
  if (FamilyOf(kept.model) == RigFamily::Kenwood) return f.size() == 4 ? Ts570Hint(f) : "";
  return {};
}

}  // namespace varnek
