// The simulator's own memory image: a text file a person can write by hand.
//
//   # channel  hertz     mode  "name"   [extra=..] [tx=HZ/MODE] [masked=1]
//   5          14074000  2     "FT8"
#include <cctype>
#include <stdexcept>

#include "sim/simulator.h"

namespace varnek::sim {
namespace {

[[noreturn]] void Fail(int line, const std::string& why) {
  throw std::runtime_error("memory image line " + std::to_string(line) + ": " + why);
}

long long ParseNumber(const std::string& s, int line, const char* what) {
  if (s.empty() || s.size() > 12) Fail(line, std::string("bad ") + what + " '" + s + "'");
  long long v = 0;
  for (char c : s) {
    if (c < '0' || c > '9') Fail(line, std::string("bad ") + what + " '" + s + "'");
    v = v * 10 + (c - '0');
  }
  return v;
}

// Splits one line into fields; a quoted field may hold blanks and escapes.
std::vector<std::string> Fields(std::string_view text, int line) {
  std::vector<std::string> out;
  size_t i = 0;
  while (i < text.size()) {
    if (std::isspace(static_cast<unsigned char>(text[i]))) {
      ++i;
      continue;
    }
    std::string field;
    if (text[i] == '"') {
      ++i;
      bool closed = false;
      while (i < text.size()) {
        char c = text[i++];
        if (c == '\\' && i < text.size()) {
          field += text[i++];
        } else if (c == '"') {
          closed = true;
          break;
        } else {
          field += c;
        }
      }
      if (!closed) Fail(line, "unterminated name");
      out.push_back("\"" + field);  // the quote marks it as the name
      continue;
    }
    while (i < text.size() && !std::isspace(static_cast<unsigned char>(text[i])))
      field += text[i++];
    out.push_back(field);
  }
  return out;
}

}  // namespace

Memory ParseMemoryImage(std::string_view text) {
  Memory memory;
  int line_no = 0;
  size_t pos = 0;
  while (pos <= text.size()) {
    size_t end = text.find('\n', pos);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(pos, end - pos);
    pos = end + 1;
    ++line_no;
    size_t first = line.find_first_not_of(" \t\r");
    if (first == std::string_view::npos || line[first] == '#') continue;
    std::vector<std::string> f = Fields(line, line_no);
    if (f.size() < 3) Fail(line_no, "need channel, hertz and mode");
    long long channel = ParseNumber(f[0], line_no, "channel");
    if (channel > 99999) Fail(line_no, "bad channel '" + f[0] + "'");
    int number = static_cast<int>(channel);
    Channel ch;
    ch.hz = ParseNumber(f[1], line_no, "frequency");
    ch.mode = f[2];
    if (ch.mode.empty() || ch.mode[0] == '"') Fail(line_no, "missing mode");
    size_t i = 3;
    if (i < f.size() && f[i][0] == '"') ch.name = f[i++].substr(1);
    for (; i < f.size(); ++i) {
      size_t eq = f[i].find('=');
      if (eq == std::string::npos) Fail(line_no, "expected key=value, got '" + f[i] + "'");
      std::string key = f[i].substr(0, eq), value = f[i].substr(eq + 1);
      if (key == "extra") {
        ch.extra = value;
      } else if (key == "tx") {
        size_t slash = value.find('/');
        if (slash == std::string::npos) Fail(line_no, "tx needs HZ/MODE");
        ch.tx_hz = ParseNumber(value.substr(0, slash), line_no, "tx frequency");
        // 0 Hz means simplex, which keeps no transmit mode: the image
        // written back would drop it.
        if (ch.tx_hz == 0) Fail(line_no, "tx frequency 0 is no split (leave tx= out)");
        ch.tx_mode = value.substr(slash + 1);
      } else if (key == "masked") {
        ch.masked = value == "1";
      } else {
        Fail(line_no, "unknown field '" + key + "'");
      }
    }
    if (memory.count(number)) Fail(line_no, "channel " + f[0] + " given twice");
    memory[number] = ch;
  }
  return memory;
}

std::string FormatMemoryImage(const Memory& memory) {
  std::string out = "# channel hertz mode \"name\" [extra=..] [tx=HZ/MODE] [masked=1]\n";
  for (const auto& [number, ch] : memory) {
    out += std::to_string(number) + " " + std::to_string(ch.hz) + " " + ch.mode + " \"";
    for (char c : ch.name) {
      if (c == '"' || c == '\\') out += '\\';
      out += c;
    }
    out += "\"";
    if (!ch.extra.empty()) out += " extra=" + ch.extra;
    if (ch.tx_hz) out += " tx=" + std::to_string(ch.tx_hz) + "/" + ch.tx_mode;
    if (ch.masked) out += " masked=1";
    out += "\n";
  }
  return out;
}

}  // namespace varnek::sim
