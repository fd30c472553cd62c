#include "rig/family.h"

#include <cstdio>

#include "base/text.h"

namespace varnek {

void HexDumpLines(std::string_view bytes, std::vector<std::string>& lines) {
  while (!bytes.empty()) {
    const std::string_view chunk = bytes.substr(0, 8);
    bytes.remove_prefix(chunk.size());
    std::string line;
    for (size_t i = 0; i < 8; ++i) {
      if (i < chunk.size()) {
        char slot[4];
        std::snprintf(slot, sizeof slot, " %02X", static_cast<unsigned char>(chunk[i]));
        line += slot;
      } else {
        line += "   ";
      }
    }
    line += " : ";
    for (size_t i = 0; i < 8; ++i) {
      if (i >= chunk.size()) {
        line += ' ';
        continue;
      }
      const auto c = static_cast<unsigned char>(chunk[i]);
      line += (c < 0x20 || c == 0x7F) ? '.' : static_cast<char>(c);
    }
    lines.push_back(std::move(line));
  }
}

std::string BytesToHexText(std::string_view bytes) {
  std::string text;
  for (const char c : bytes) {
    if (!text.empty()) text += ' ';
    text += HexByte(static_cast<unsigned char>(c));
  }
  return text;
}

std::string CivAddressOrDefault(std::string_view civAddress) {
  return civAddress.empty() ? std::string("00") : std::string(civAddress);
}

uint8_t CivAddressByte(std::string_view civAddress) {
  return static_cast<uint8_t>(HexValue(CivAddressOrDefault(civAddress)) & 0xFFu);
}

}  // namespace varnek
