#pragma once
// The core keeps every text as 8-bit Windows Latin (cp1252), the code page of
// the files and of the rigs' names. Front ends speak UTF-8; this is the one
// place that converts between the two.
#include <string>
#include <string_view>

namespace varnek {

std::string Cp1252ToUtf8(std::string_view s);
// Converts UTF-8 to cp1252. Characters cp1252 cannot hold (and malformed
// UTF-8) become '?', and `lossy` (when given) is set to true.
std::string Utf8ToCp1252(std::string_view s, bool* lossy = nullptr);
// True when the Unicode code point has a cp1252 byte.
bool Cp1252CanHold(char32_t codepoint);

}  // namespace varnek
