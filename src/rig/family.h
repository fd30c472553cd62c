#pragma once
// Which command set a rig speaks, decided from the model code each time an
// operation runs (a rig change takes effect with the next operation), and
// the conventions the three command sets share.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace varnek {

enum class RigFamily {
  None,     // nothing is sent, nothing received is taken
  Kenwood,  // ASCII, Kenwood dialect ("TS…")
  Ft2000,   // ASCII, FT-2000 dialect ("FT-2…")
  Icom,     // CI-V ("IC…")
  Yaesu,    // five-byte CAT (other "FT…")
};

// Tested in order: "TS", "FT-2", "IC", "FT"; case matters ("ic-706" is no rig).
RigFamily FamilyOf(std::string_view modelCode);
inline bool IsAscii(RigFamily f) {
  return f == RigFamily::Kenwood || f == RigFamily::Ft2000;
}

// The VFO-A and memory-mode commands choose their form by their own rule:
// "IC" gives CI-V, "FT-1"/"FT-8"/"FT-9" five-byte, everything else ASCII.
enum class CommandForm { Ascii, Icom, Yaesu };
CommandForm SingleCommandFormOf(std::string_view modelCode);

// Record and frequency layouts inside the five-byte family.
enum class YaesuVariant { None, Ft1000, Ft920 };
YaesuVariant YaesuVariantOf(std::string_view modelCode);

// Appends the dump lines of `bytes`, 8 bytes a line, 35 characters each:
// eight " HH" slots, " : ", and the bytes as characters (controls and 7F as ".").
void HexDumpLines(std::string_view bytes, std::vector<std::string>& lines);
// Bytes as upper-case hex text separated by single blanks ("FE FE 5C E0 03 FD").
std::string BytesToHexText(std::string_view bytes);
// The address byte of a CI-V frame: the low 8 bits of the address text's hex
// value, "00" when empty. Throws EConvertError for a non-hex character.
// An empty CI-V address stands for 00, the broadcast address.
std::string CivAddressOrDefault(std::string_view civAddress);
uint8_t CivAddressByte(std::string_view civAddress);

}  // namespace varnek
