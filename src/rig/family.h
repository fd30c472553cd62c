#pragma once
// The conventions the three command sets share; which family a model code
// stands for is decided by the rules in base/rig_family.h.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "base/rig_family.h"

namespace varnek {

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
