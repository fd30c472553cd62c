#include "base/cp1252.h"

#include <array>

namespace varnek {
namespace {

// 0x80..0x9F are the only bytes that differ from Latin-1; 0 marks the five
// bytes cp1252 leaves undefined, which map to the C1 control of that value.
constexpr std::array<char32_t, 32> kHigh = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

char32_t ToUnicode(unsigned char b) {
  if (b >= 0x80 && b <= 0x9F) {
    const char32_t u = kHigh[b - 0x80];
    return u ? u : b;
  }
  return b;
}

void AppendUtf8(std::string& out, char32_t u) {
  if (u < 0x80) {
    out += static_cast<char>(u);
  } else if (u < 0x800) {
    out += static_cast<char>(0xC0 | (u >> 6));
    out += static_cast<char>(0x80 | (u & 0x3F));
  } else if (u < 0x10000) {
    out += static_cast<char>(0xE0 | (u >> 12));
    out += static_cast<char>(0x80 | ((u >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (u & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (u >> 18));
    out += static_cast<char>(0x80 | ((u >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((u >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (u & 0x3F));
  }
}

// -1 when the code point has no cp1252 byte.
int ToByte(char32_t u) {
  if (u < 0x80 || (u >= 0xA0 && u <= 0xFF)) return static_cast<int>(u);
  for (int i = 0; i < 32; ++i)
    if (kHigh[i] == u && u != 0) return 0x80 + i;
  // The undefined bytes round-trip through their C1 controls.
  if (u == 0x81 || u == 0x8D || u == 0x8F || u == 0x90 || u == 0x9D) return static_cast<int>(u);
  return -1;
}

}  // namespace

bool Cp1252CanHold(char32_t u) {
  return ToByte(u) >= 0;
}

std::string Cp1252ToUtf8(std::string_view s) {
  std::string out;
  out.reserve(s.size());
  for (char c : s)
    AppendUtf8(out, ToUnicode(static_cast<unsigned char>(c)));
  return out;
}

std::string Utf8ToCp1252(std::string_view s, bool* lossy) {
  std::string out;
  out.reserve(s.size());
  bool lost = false;
  size_t i = 0;
  while (i < s.size()) {
    const auto b0 = static_cast<unsigned char>(s[i]);
    char32_t u;
    size_t len;
    if (b0 < 0x80) {
      u = b0;
      len = 1;
    } else if ((b0 & 0xE0) == 0xC0) {
      u = b0 & 0x1F;
      len = 2;
    } else if ((b0 & 0xF0) == 0xE0) {
      u = b0 & 0x0F;
      len = 3;
    } else if ((b0 & 0xF8) == 0xF0) {
      u = b0 & 0x07;
      len = 4;
    } else {
      out += '?';
      lost = true;
      ++i;
      continue;
    }
    bool ok = i + len <= s.size();
    for (size_t k = 1; ok && k < len; ++k) {
      const auto b = static_cast<unsigned char>(s[i + k]);
      if ((b & 0xC0) != 0x80)
        ok = false;
      else
        u = (u << 6) | (b & 0x3F);
    }
    if (!ok) {
      out += '?';
      lost = true;
      ++i;
      continue;
    }
    i += len;
    const int byte = ToByte(u);
    if (byte < 0) {
      out += '?';
      lost = true;
    } else {
      out += static_cast<char>(byte);
    }
  }
  if (lossy) *lossy = lost;
  return out;
}

}  // namespace varnek
