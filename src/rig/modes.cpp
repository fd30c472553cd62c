#include "rig/modes.h"

#include <array>

#include "base/rig_family.h"
#include "base/text.h"

namespace varnek {

std::string KenwoodModeName(char code) {
  switch (code) {
    case '1':
      return "LSB";
    case '2':
      return "USB";
    case '3':
      return "CW";
    case '4':
      return "FM";
    case '5':
      return "AM";
    case '6':
      return "FSK";
    case '7':
      return "CW-R";
    case '8':
      return "PKT-L";
    case '9':
      return "FSK-R";
    case 'A':
      return "PKT-FM";
    case 'B':
      return "FM-N";
    case 'C':
      return "PKT-U";
    default:
      return {};
  }
}

namespace {

struct AsciiModeRow {
  const char* name;
  const char* kenwood;
  const char* ft2000;
};

constexpr std::array<AsciiModeRow, 15> kAsciiModes = {{
    {"LSB", "1", "1"},
    {"USB", "2", "2"},
    {"CW", "3", "3"},
    {"FM", "4", "4"},
    {"AM", "5", "5"},
    {"FSK", "6", "6"},
    {"DIGI", "6", "6"},
    {"RTTY", "6", "6"},
    {"PKT", "6", ""},
    {"CW-R", "7", "7"},
    {"PKT-L", "", "8"},
    {"FSK-R", "9", "9"},
    {"PKT-FM", "", "A"},
    {"FM-N", "", "B"},
    {"PKT-U", "", "C"},
}};

}  // namespace

std::string KenwoodModeCode(std::string_view name, std::string_view modelCode) {
  // Every "FT" code takes the FT-2000 column, as the five-byte rigs never
  // ask for an ASCII mode.
  const RigFamily family = FamilyOf(modelCode);
  const bool kenwood = family == RigFamily::Kenwood;
  if (family == RigFamily::None || family == RigFamily::Icom) return {};
  for (const auto& row : kAsciiModes)
    if (name == row.name) return kenwood ? row.kenwood : row.ft2000;
  return {};
}

std::string IcomModeName(int value) {
  static constexpr std::array<const char*, 12> kNames = {
      "LSB", "USB", "AM", "CW", "RTTY", "FM", "", "CW-R", "RTTY-R", "", "", "AM"};
  if (value < 0 || value >= static_cast<int>(kNames.size())) return {};
  return kNames[static_cast<size_t>(value)];
}

std::string IcomModeCode(std::string_view name, std::string_view modelCode) {
  if (FamilyOf(modelCode) != RigFamily::Icom) return {};
  struct Row {
    const char* name;
    const char* code;
  };
  static constexpr std::array<Row, 11> kCodes = {{{"LSB", "00"},
                                                  {"USB", "01"},
                                                  {"AM", "02"},
                                                  {"CW", "03"},
                                                  {"FSK", "04"},
                                                  {"DIGI", "04"},
                                                  {"RTTY", "04"},
                                                  {"PKT", "04"},
                                                  {"FM", "05"},
                                                  {"CW-R", "07"},
                                                  {"RTTY-R", "08"}}};
  for (const auto& row : kCodes)
    if (name == row.name) return row.code;
  return {};
}

std::string Ft1000ModeName(std::string_view hex) {
  if (hex == "00") return "LSB";
  if (hex == "01") return "USB";
  if (hex == "02") return "CW";
  if (hex == "03") return "CW-R";
  if (hex == "04" || hex == "05") return "AM";
  if (hex == "06" || hex == "07") return "FM";
  return "DIGI";
}

std::string Ft920ModeName(std::string_view hex) {
  if (hex == "00") return "LSB";
  if (hex == "40") return "USB";
  if (hex == "01" || hex == "41" || hex == "81" || hex == "C1") return "CW";
  if (hex == "02") return "AM";
  if (hex == "03") return "FM";
  if (hex == "04" || hex == "05" || hex == "06") return "DIGI";
  return "?";
}

std::string YaesuModeCode(std::string_view name, bool below10MHz, std::string_view modelCode) {
  const YaesuVariant variant = YaesuVariantOf(modelCode);
  const bool ft1000 = variant == YaesuVariant::Ft1000;
  if (variant == YaesuVariant::None) return {};
  if (name == "LSB") return "00";
  if (name == "USB") return "01";
  if (name == "CW") return ft1000 ? "02" : (below10MHz ? "03" : "02");
  if (name == "AM") return "04";
  if (name == "FM") return "06";
  if (name == "FSK" || name == "DIGI" || name == "RTTY")
    return ft1000 ? "08" : (below10MHz ? "08" : "0A");
  if (name == "PKT") return ft1000 ? "0A" : (below10MHz ? "08" : "0A");
  return ft1000 ? "" : "?";
}

}  // namespace varnek
