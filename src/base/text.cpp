#include "base/text.h"

#include <cctype>
#include <cstdio>
#include <limits>

#include "base/errors.h"

namespace varnek {
namespace {

// Deletes the text up to and including the first D; empties it when D does
// not occur. An empty D never occurs.
void RemovePiece(std::string& s, std::string_view d) {
  const auto p = d.empty() ? std::string::npos : s.find(d);
  if (p == std::string::npos)
    s.clear();
  else
    s.erase(0, p + d.size());
}

std::string FirstPiece(const std::string& s, std::string_view d) {
  const auto p = d.empty() ? std::string::npos : s.find(d);
  return p == std::string::npos ? s : s.substr(0, p);
}

bool Contains(const std::string& s, std::string_view d) {
  return !d.empty() && s.find(d) != std::string::npos;
}

}  // namespace

std::string Piece(std::string_view text, std::string_view d, int n, int k) {
  if (n <= 0 || k <= 0) return {};
  std::string s(text);
  for (int i = 1; i < n; ++i)
    RemovePiece(s, d);
  if (k == 1) return FirstPiece(s, d);
  std::string result;
  for (int i = 0; i < k; ++i) {
    result += FirstPiece(s, d);
    RemovePiece(s, d);
  }
  return result;
}

std::string PieceRange(std::string_view text, std::string_view d, int f, int l) {
  std::string s(text);
  for (int i = 0; i < f; ++i)
    RemovePiece(s, d);
  if (l <= f) return FirstPiece(s, d);
  std::string result;
  for (int i = 0; i < l - f + 1; ++i) {
    // p counts from 1, as the position of D's first character: taking p
    // characters takes the piece and the first character of D.
    const auto found = d.empty() ? std::string::npos : s.find(d);
    const size_t p = found == std::string::npos ? s.size() : found + 1;
    result.append(s, 0, std::min(p, s.size()));
    s.erase(0, std::min(p + d.size() - (p > 0 || !d.empty() ? 1 : 0), s.size()));
  }
  if (d.size() == 1 && !result.empty() && result.back() == d[0]) result.pop_back();
  return result;
}

std::string PiecesWithDelims(std::string_view text, std::string_view d, int n, int k) {
  std::string s(text);
  std::string result;
  while (n > 1 && Contains(s, d)) {
    RemovePiece(s, d);
    --n;
  }
  if (n != 1) return {};
  while (k > 0 && Contains(s, d)) {
    const auto p = s.find(d);
    result.append(s, 0, p + d.size());
    s.erase(0, p + d.size());
    --k;
  }
  if (k > 0) result += s;
  return result;
}

uint32_t HexValue(std::string_view h) {
  uint32_t v = 0;
  for (char c : h) {
    uint32_t digit;
    if (c >= '0' && c <= '9')
      digit = static_cast<uint32_t>(c - '0');
    else if (c >= 'A' && c <= 'F')
      digit = static_cast<uint32_t>(c - 'A' + 10);
    else if (c >= 'a' && c <= 'f')
      digit = static_cast<uint32_t>(c - 'a' + 10);
    else
      throw EConvertError("\xB4" + std::string(h) + "\xB4 illegal character in hex string");
    v = v * 16u + digit;
  }
  return v;
}

std::string HexTextToBytes(std::string_view x) {
  std::string out;
  std::string token;
  for (char c : x) {
    if (c == ' ' || c == '\0') {
      out += static_cast<char>(HexValue(token) & 0xFFu);
      token.clear();
    } else {
      token += c;
    }
  }
  out += static_cast<char>(HexValue(token) & 0xFFu);
  return out;
}

std::string TypedHexBytes(std::string_view line) {
  size_t b = 0, e = line.size();
  while (b < e && line[b] == ' ')
    ++b;
  while (e > b && line[e - 1] == ' ')
    --e;
  if (b == e) throw EConvertError("The hex line holds no byte");
  std::string out;
  const std::string_view text = line.substr(b, e - b);
  size_t pos = 0;
  for (;;) {
    const size_t blank = text.find(' ', pos);
    const std::string_view token = text.substr(pos, blank - pos);
    bool hex = true;
    for (char c : token)
      hex = hex && std::isxdigit(static_cast<unsigned char>(c));
    if (token.empty())
      throw EConvertError("Two blanks in a row after byte " + std::to_string(out.size()) +
                          " of the hex line: put one blank between bytes");
    // The token as the message shows it: a NUL would end the message.
    std::string shown(token.substr(0, 40));
    for (char& c : shown)
      if (static_cast<unsigned char>(c) < 0x20) c = '?';
    if (!hex) throw EConvertError("'" + shown + "' is not a hex byte (0-9, A-F)");
    if (token.size() != 2)
      throw EConvertError(
          "'" + shown + "' is not one byte: type each byte as two hex digits" +
          (token.size() > 2 && token.size() % 2 == 0 ? ", with a blank between bytes" : ""));
    out += static_cast<char>(HexValue(token));
    if (blank == std::string_view::npos) return out;
    pos = blank + 1;
  }
}

bool TryStrToInt(std::string_view s, int& value) {
  size_t i = 0;
  while (i < s.size() && s[i] == ' ')
    ++i;
  bool negative = false;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) negative = s[i++] == '-';
  int base = 10;
  if (i < s.size() && s[i] == '$') {
    base = 16;
    ++i;
  } else if (i + 1 < s.size() && s[i] == '0' && (s[i + 1] == 'x' || s[i + 1] == 'X')) {
    base = 16;
    i += 2;
  }
  if (i >= s.size()) return false;
  long long v = 0;
  for (; i < s.size(); ++i) {
    const char c = s[i];
    int digit;
    if (c >= '0' && c <= '9')
      digit = c - '0';
    else if (base == 16 && c >= 'A' && c <= 'F')
      digit = c - 'A' + 10;
    else if (base == 16 && c >= 'a' && c <= 'f')
      digit = c - 'a' + 10;
    else
      return false;
    v = v * base + digit;
    if (v > static_cast<long long>(std::numeric_limits<int>::max()) + 1) return false;
  }
  if (negative) v = -v;
  if (v > std::numeric_limits<int>::max() || v < std::numeric_limits<int>::min()) return false;
  value = static_cast<int>(v);
  return true;
}

int StrToInt(std::string_view s) {
  int v = 0;
  if (!TryStrToInt(s, v))
    throw EConvertError("'" + std::string(s) + "' is not a valid integer value");
  return v;
}

std::string IntToStr(long long v) {
  return std::to_string(v);
}

std::string HexByte(unsigned value) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  return {kDigits[(value >> 4) & 0xF], kDigits[value & 0xF]};
}

bool IsAllDigits(std::string_view s) {
  if (s.empty()) return false;
  for (char c : s)
    if (c < '0' || c > '9') return false;
  return true;
}

int ChannelIndexOf(const std::string& number) {
  if (number.size() != 2 || !IsAllDigits(number)) return -1;
  return (number[0] - '0') * 10 + (number[1] - '0');
}

std::string ChannelText(int channel) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%02d", channel);
  return buf;
}

std::string Trim(std::string_view s) {
  size_t b = 0, e = s.size();
  while (b < e && static_cast<unsigned char>(s[b]) <= ' ')
    ++b;
  while (e > b && static_cast<unsigned char>(s[e - 1]) <= ' ')
    --e;
  return std::string(s.substr(b, e - b));
}

std::string UpperCase(std::string_view s) {
  std::string r(s);
  for (char& c : r)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return r;
}

bool StartsWith(std::string_view s, std::string_view prefix) {
  return s.substr(0, prefix.size()) == prefix;
}

bool EndsWith(std::string_view s, std::string_view suffix) {
  return s.size() >= suffix.size() && s.substr(s.size() - suffix.size()) == suffix;
}

std::string ZeroPadded(long long value, std::size_t width) {
  std::string s = std::to_string(value);
  if (s.size() < width) s.insert(0, width - s.size(), '0');
  return s;
}

std::vector<std::string> Words(std::string_view s) {
  std::vector<std::string> words;
  size_t i = 0;
  while (i < s.size()) {
    while (i < s.size() && s[i] == ' ') ++i;
    const size_t start = i;
    while (i < s.size() && s[i] != ' ') ++i;
    if (i > start) words.emplace_back(s.substr(start, i - start));
  }
  return words;
}

std::string ReplaceAll(std::string_view s, std::string_view from, std::string_view to) {
  std::string r;
  if (from.empty()) return std::string(s);
  size_t pos = 0;
  for (;;) {
    const auto hit = s.find(from, pos);
    if (hit == std::string_view::npos) break;
    r.append(s.substr(pos, hit - pos));
    r.append(to);
    pos = hit + from.size();
  }
  r.append(s.substr(pos));
  return r;
}

std::string CommaSeparated(const std::vector<std::string>& items) {
  std::string s;
  for (const std::string& item : items)
    s += (s.empty() ? "" : ", ") + item;
  return s;
}

void ForEachLine(std::string_view bytes,
                 const std::function<void(int number, std::string_view text)>& line) {
  int number = 0;
  size_t pos = 0;
  while (pos < bytes.size()) {
    const size_t end = bytes.find_first_of("\r\n", pos);
    line(++number, bytes.substr(pos, end - pos));
    if (end == std::string_view::npos) break;
    pos = end + (bytes[end] == '\r' && end + 1 < bytes.size() && bytes[end + 1] == '\n' ? 2 : 1);
  }
}

}  // namespace varnek
