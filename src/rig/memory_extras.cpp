#include "rig/memory_extras.h"

#include <array>

#include "base/rig_family.h"
#include "base/text.h"
#include "rig/icom_memory.h"

namespace varnek {
namespace {

// The Kenwoods' tone numbers 01..38, in tenths of a hertz. The TS-2000 adds
// 39, the 1750 Hz burst of European repeaters, which no CTCSS column holds.
constexpr std::array<int, 38> kTones = {
    670,  719,  744,  770,  797,  825,  854,  885,  915,  948,  974,  1000, 1035,
    1072, 1109, 1148, 1188, 1230, 1273, 1318, 1365, 1413, 1462, 1514, 1567, 1622,
    1679, 1738, 1799, 1862, 1928, 2035, 2107, 2181, 2257, 2336, 2418, 2503};

// The TS-2000's DCS index 000..103: the 104 standard codes in order.
constexpr std::array<int, 104> kDcsCodes = {
    23,  25,  26,  31,  32,  36,  43,  47,  51,  53,  54,  65,  71,  72,  73,  74,  114, 115,
    116, 122, 125, 131, 132, 134, 143, 145, 152, 155, 156, 162, 165, 172, 174, 205, 212, 223,
    225, 226, 243, 244, 245, 246, 251, 252, 255, 261, 263, 265, 266, 271, 274, 306, 311, 315,
    325, 331, 332, 343, 346, 351, 356, 364, 365, 371, 411, 412, 413, 423, 431, 432, 445, 446,
    452, 454, 455, 462, 464, 465, 466, 503, 506, 516, 523, 526, 532, 546, 565, 606, 612, 624,
    627, 631, 632, 654, 662, 664, 703, 712, 723, 731, 732, 734, 743, 754};

enum class Layout { None, Ts570, Ts2000, Ft2000 };

Layout LayoutOf(std::string_view model) {
  if (FamilyOf(model) == RigFamily::Ft2000) return Layout::Ft2000;
  if (IsTs2000(model)) return Layout::Ts2000;
  if (FamilyOf(model) == RigFamily::Kenwood) return Layout::Ts570;
  return Layout::None;
}

size_t LengthOf(Layout layout) {
  switch (layout) {
    case Layout::Ts570:
      return 4;
    case Layout::Ts2000:
      return 23;
    case Layout::Ft2000:
      return 12;
    case Layout::None:
      break;
  }
  return 0;
}

// A two-digit tone number to tenths of a hertz; 0 for 00 or one outside
// the table.
int ToneOfNumber(std::string_view digits) {
  if (!IsAllDigits(digits)) return 0;
  const int n = StrToInt(std::string(digits));
  return n >= 1 && n <= static_cast<int>(kTones.size()) ? kTones[static_cast<size_t>(n - 1)] : 0;
}

// The two-digit number of a tone; empty when the table has no such tone.
std::string Digits(long long value, size_t width) {
  std::string s = std::to_string(value);
  if (s.size() < width) s.insert(0, width - s.size(), '0');
  return s;
}

std::string NumberOfTone(int deciHz) {
  for (size_t i = 0; i < kTones.size(); ++i)
    if (kTones[i] == deciHz) return Digits(static_cast<long long>(i + 1), 2);
  return {};
}

char ShiftOf(char code, std::vector<std::string>* notCarried) {
  if (code == '1') return '+';
  if (code == '2') return '-';
  if (code == '3' && notCarried) notCarried->push_back("shift = (split by band)");
  return 0;
}

char ShiftCode(char duplex) {
  return duplex == '+' ? '1' : duplex == '-' ? '2' : '0';
}

std::optional<MemoryExtras> Ts570Extras(const std::string& f, std::vector<std::string>*) {
  MemoryExtras e;
  e.skip = f[0] == '1';
  // The tone number is the record's even with the tone off; CHIRP's
  // columns carry it so.
  e.toneDeciHz = ToneOfNumber(f.substr(2, 2));
  if (f[1] == '1') e.squelch = MemoryExtras::Squelch::Tone;
  return e;
}

std::optional<MemoryExtras> Ts2000Extras(const std::string& f, std::vector<std::string>* notCarried) {
  MemoryExtras e;
  const auto note = [&](const std::string& what) {
    if (notCarried) notCarried->push_back(what);
  };
  e.skip = f[0] == '1';
  // Both tone numbers are the record's whichever the tone type, and go out
  // as CHIRP's two tone columns.
  e.toneDeciHz = ToneOfNumber(f.substr(2, 2));
  e.ctcssDeciHz = ToneOfNumber(f.substr(4, 2));
  switch (f[1]) {
    case '1':
      e.squelch = MemoryExtras::Squelch::Tone;
      if (f.substr(2, 2) == "39") note("the 1750 Hz tone");
      break;
    case '2':
      e.squelch = MemoryExtras::Squelch::Tsql;
      break;
    case '3':
      e.squelch = MemoryExtras::Squelch::Dtcs;
      e.dtcsCode = Ts2000DcsCode(f.substr(6, 3));
      break;
    default:
      break;
  }
  if (f[9] == '1') note("reverse");
  e.duplex = ShiftOf(f[10], notCarried);
  const std::string offset = f.substr(11, 9);
  if (IsAllDigits(offset)) e.offsetHz = std::stoll(offset);
  if (f.substr(20, 2) != "00") note("step " + f.substr(20, 2));
  if (f[22] != '0') note("group " + f.substr(22, 1));
  return e;
}

std::optional<MemoryExtras> Ft2000Extras(const std::string& f, std::vector<std::string>* notCarried) {
  MemoryExtras e;
  const auto note = [&](const std::string& what) {
    if (notCarried) notCarried->push_back(what);
  };
  if (f[5] == '1' || f[6] == '1' || f.substr(1, 4) != "0000") note("clarifier");
  // Its CTCSS numbers follow a table of its own, not confirmed here.
  if (f[8] != '0') note("CTCSS mode " + f.substr(8, 1) + ", tone no. " + f.substr(9, 2));
  e.duplex = ShiftOf(f[11], notCarried);
  return e;
}

}  // namespace

bool HasExtras(std::string_view modelCode) {
  return LayoutOf(modelCode) != Layout::None || ReadsMemoryContents(modelCode);
}

std::optional<MemoryExtras> ExtrasOf(const KeptFields& kept, std::vector<std::string>* notCarried) {
  if (ReadsMemoryContents(kept.model)) return Ic7300Extras(kept, notCarried);
  const Layout layout = LayoutOf(kept.model);
  if (layout == Layout::None || kept.fields.size() != LengthOf(layout)) return std::nullopt;
  switch (layout) {
    case Layout::Ts570:
      return Ts570Extras(kept.fields, notCarried);
    case Layout::Ts2000:
      return Ts2000Extras(kept.fields, notCarried);
    case Layout::Ft2000:
      return Ft2000Extras(kept.fields, notCarried);
    case Layout::None:
      break;
  }
  return std::nullopt;
}

KeptFields KeptFor(const MemoryExtras& e, std::string_view modelCode,
                   std::vector<std::string>& notHeld) {
  if (ReadsMemoryContents(modelCode)) return Ic7300KeptFor(e, modelCode, notHeld);
  const Layout layout = LayoutOf(modelCode);
  const std::string model(modelCode);
  using S = MemoryExtras::Squelch;
  switch (layout) {
    case Layout::Ts570: {
      std::string f = "0000";
      f[0] = e.skip ? '1' : '0';
      if (e.squelch == S::Tone) {
        const std::string n = NumberOfTone(e.toneDeciHz);
        if (n.empty()) {
          notHeld.push_back("tone " + DeciHzText(e.toneDeciHz) + " Hz is not one of the " + model +
                            "'s tones");
        } else {
          f[1] = '1';
          f.replace(2, 2, n);
        }
      } else if (e.squelch != S::Off) {
        notHeld.push_back("the " + model + " keeps a tone, no tone squelch or DTCS");
      }
      if (e.duplex) notHeld.push_back("the " + model + " keeps no repeater shift");
      return {model, f};
    }
    case Layout::Ts2000: {
      std::string f(23, '0');
      f[0] = e.skip ? '1' : '0';
      const auto tone = [&](int deciHz, size_t at, char type) {
        const std::string n = NumberOfTone(deciHz);
        if (n.empty()) {
          notHeld.push_back("tone " + DeciHzText(deciHz) + " Hz is not one of the " + model +
                            "'s tones");
          return;
        }
        f[1] = type;
        f.replace(at, 2, n);
      };
      if (e.squelch == S::Tone) tone(e.toneDeciHz, 2, '1');
      if (e.squelch == S::Tsql) tone(e.ctcssDeciHz, 4, '2');
      if (e.squelch == S::Dtcs) {
        size_t i = 0;
        while (i < kDcsCodes.size() && kDcsCodes[i] != e.dtcsCode)
          ++i;
        if (i == kDcsCodes.size()) {
          notHeld.push_back("DTCS code " + DtcsText(e.dtcsCode) + " is not one of the " + model +
                            "'s codes");
        } else {
          f[1] = '3';
          f.replace(6, 3, Digits(static_cast<long long>(i), 3));
        }
      }
      f[10] = ShiftCode(e.duplex);
      // Its offsets run to 59.95 MHz in steps of 50 kHz.
      if (e.offsetHz >= 0 && e.offsetHz < 60'000'000 && e.offsetHz % 50'000 == 0)
        f.replace(11, 9, Digits(e.offsetHz, 9));
      else if (e.duplex)
        notHeld.push_back("offset " + std::to_string(e.offsetHz) + " Hz is not one the " + model +
                          " keeps (0 to 59.95 MHz in 50 kHz steps)");
      return {model, f};
    }
    case Layout::Ft2000: {
      std::string f = "+000000" + std::string("00000");
      f[11] = ShiftCode(e.duplex);
      if (e.duplex && e.offsetHz != 0)
        notHeld.push_back("the " + model + " takes its repeater offset from its menu, not the memory");
      if (e.squelch != S::Off) notHeld.push_back("tones are not carried over to the " + model);
      if (e.skip) notHeld.push_back("the " + model + " keeps no skip mark in the memory");
      return {model, f};
    }
    case Layout::None:
      break;
  }
  return {};
}

long long SplitTransmitHz(const KeptFields& kept) {
  if (ReadsMemoryContents(kept.model)) return Ic7300SplitHz(kept);
  return kept.tx.size() == 12 && IsAllDigits(kept.tx) ? std::stoll(kept.tx.substr(0, 11)) : 0;
}

std::string DtcsText(int code) {
  return Digits(code, 3);
}

int KenwoodToneDeciHz(std::string_view number) {
  return ToneOfNumber(number);
}

int Ts2000DcsCode(std::string_view index) {
  const int i = IsAllDigits(index) ? StrToInt(std::string(index)) : -1;
  return i >= 0 && i < static_cast<int>(kDcsCodes.size()) ? kDcsCodes[static_cast<size_t>(i)] : 0;
}

std::string DeciHzText(int deciHz) {
  return std::to_string(deciHz / 10) + "." + std::to_string(deciHz % 10);
}

}  // namespace varnek
