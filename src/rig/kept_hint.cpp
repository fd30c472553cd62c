#include "rig/kept_hint.h"

#include <vector>

#include "base/rig_family.h"
#include "base/text.h"
#include "rig/freq.h"
#include "rig/icom_memory.h"
#include "rig/memory_extras.h"
#include "rig/modes.h"

namespace varnek {
namespace {

// A Kenwood tone number as the hint shows it: "88.5 Hz", or the number
// when it names no standard tone.
std::string ToneHz(const std::string& number) {
  const int deciHz = KenwoodToneDeciHz(number);
  return deciHz ? DeciHzText(deciHz) + " Hz" : "no. " + number;
}

std::string Join(const std::vector<std::string>& parts) {
  std::string s;
  for (const std::string& p : parts)
    if (!p.empty()) s += (s.empty() ? "" : " \xB7 ") + p;
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
      parts.push_back("tone " + ToneHz(f.substr(2, 2)));
      break;
    case '2':
      parts.push_back("CTCSS " + ToneHz(f.substr(4, 2)));
      break;
    case '3': {
      const int code = Ts2000DcsCode(f.substr(6, 3));
      parts.push_back(code ? "DCS " + DtcsText(code) : "DCS no. " + f.substr(6, 3));
      break;
    }
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


// A split's transmit side: "transmit 14.300.000 USB".
std::string TxHint(const std::string& tx) {
  if (tx.size() != 12 || !IsAllDigits(tx)) return {};
  return "transmit " + Trim(AsciiFreqDisplay(std::stoll(tx.substr(0, 11)))) + " " +
         KenwoodModeName(tx[11]);
}

std::string FieldsHint(const KeptFields& kept) {
  const std::string& f = kept.fields;
  if (FamilyOf(kept.model) == RigFamily::Ft2000) return f.size() == 12 ? Ft2000Hint(f) : "";
  if (IsTs2000(kept.model)) return f.size() == 23 ? Ts2000Hint(f) : "";
  if (FamilyOf(kept.model) == RigFamily::Kenwood) return f.size() == 4 ? Ts570Hint(f) : "";
  return {};
}

}  // namespace

std::string KeptFieldsHint(const KeptFields& kept) {
  if (kept.Empty()) return {};
  if (ReadsMemoryContents(kept.model)) return Ic7300KeptHint(kept);
  const std::string fields = FieldsHint(kept), tx = TxHint(kept.tx);
  return Join({tx, fields});
}

}  // namespace varnek
