#pragma once
// Mode names of the table and the mode codes of each rig family, both ways.
// Where a table differs by rig, the model code (the second word of the rig
// selection, "TS-570", "FT-920", "IC-CI-V") decides by its first characters.
#include <string>
#include <string_view>

namespace varnek {

// One code character of a Kenwood or FT-2000 answer to a name; empty if unknown.
std::string KenwoodModeName(char code);
// Name to the code character of the rig's dialect ("TS…" Kenwood, "FT…"
// FT-2000); empty when the dialect has no code for it.
std::string KenwoodModeCode(std::string_view name, std::string_view modelCode);
// CI-V mode value 0..11 to a name; empty for 6, 9, 10 and anything else.
std::string IcomModeName(int value);
// Name to two hex digits, only for model codes beginning "IC".
std::string IcomModeCode(std::string_view name, std::string_view modelCode);
// Mode byte of an FT-1000 set-mode code (two hex digits); unknown gives "DIGI".
std::string Ft1000ModeName(std::string_view hex);
// Mode byte of an FT-920 record (two hex digits); unknown gives "?".
std::string Ft920ModeName(std::string_view hex);
// Name to the set-mode code of the Yaesu five-byte variant ("FT-1", "FT-9").
// On the FT-920, CW and the data modes depend on the side of 10 MHz. Empty
// or "?" when there is no code, as the variant's table says.
std::string YaesuModeCode(std::string_view name, bool below10MHz, std::string_view modelCode);

}  // namespace varnek
