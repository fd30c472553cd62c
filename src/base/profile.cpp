#include "base/profile.h"

// Bytes in, bytes out: the files are cp1252, which no converter must touch.
#define SI_NO_CONVERSION
// The library is header-only here: its template bodies are compiled into
// this one file.
#define SI_IMPLEMENTATION
#include <SimpleIni.h>

#include <cstdint>

#include "base/text.h"

namespace varnek {
namespace {

// Case-insensitive section and key names, bytes kept as they are.
using Ini = CSimpleIniA;  // (the "Case" variant would compare case-sensitively)

void Configure(Ini& ini) {
  ini.SetUnicode(false);
  ini.SetMultiKey(false);
  ini.SetMultiLine(false);
  ini.SetQuotes(false);
  ini.SetSpaces(false);  // key=value, no blanks around '='
}

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

// A name the reader would give back differently (trimmed, taken for a
// comment or cut at a bracket or '=') must not be written.
bool NameReadsBack(std::string_view name, bool isSection) {
  if (name.empty() || IsBlank(name.front()) || IsBlank(name.back())) return false;
  for (char c : name)
    if (c == '\r' || c == '\n' || c == '\0') return false;
  if (isSection) return name.find(']') == std::string_view::npos;
  if (name.front() == ';' || name.front() == '#' || name.front() == '[') return false;
  return name.find('=') == std::string_view::npos;
}

bool ValueFits(std::string_view value) {
  for (char c : value)
    if (c == '\r' || c == '\n' || c == '\0') return false;
  return true;
}

// Loads the file into `ini`; false when it exists but cannot be read.
bool Load(const std::string& path, Ini& ini, std::string* error) {
  Configure(ini);
  std::string bytes;
  switch (ReadWholeFile(path, bytes, error)) {
    case ReadStatus::Missing:
      return true;
    case ReadStatus::Failed:
      return false;
    case ReadStatus::Ok:
      break;
  }
  if (bytes.empty()) return true;
  if (ini.LoadData(bytes.data(), bytes.size()) < 0) {
    if (error) *error = path + ": cannot be parsed";
    return false;
  }
  return true;
}

}  // namespace

std::string Profile::ReadString(std::string_view section, std::string_view key,
                                std::string_view def) const {
  Ini ini;
  if (!Load(path_, ini, nullptr)) return std::string(def);
  const std::string s(section), k(key);
  const char* value = ini.GetValue(s.c_str(), k.c_str(), nullptr);
  if (value == nullptr || *value == '\0') return std::string(def);
  return value;
}

int ProfileInteger(std::string_view text) {
  size_t i = 0;
  while (i < text.size() && IsBlank(text[i]))
    ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  uint32_t base = 10;
  if (i + 1 < text.size() && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
    base = 16;
    i += 2;
  }
  uint32_t v = 0;
  for (; i < text.size(); ++i) {
    const char c = text[i];
    uint32_t digit;
    if (c >= '0' && c <= '9')
      digit = static_cast<uint32_t>(c - '0');
    else if (base == 16 && c >= 'a' && c <= 'f')
      digit = static_cast<uint32_t>(c - 'a' + 10);
    else if (base == 16 && c >= 'A' && c <= 'F')
      digit = static_cast<uint32_t>(c - 'A' + 10);
    else
      break;
    v = v * base + digit;
  }
  if (negative) v = 0u - v;
  return static_cast<int>(v);
}

int Profile::ReadInteger(std::string_view section, std::string_view key, int def) const {
  const std::string text = ReadString(section, key);
  if (text.empty()) return def;
  return ProfileInteger(text);
}

FileResult Profile::Write(const std::vector<ProfileEntry>& entries) {
  for (const auto& e : entries) {
    if (!NameReadsBack(e.section, true))
      return {false, path_ + ": the section name \"" + e.section + "\" cannot be stored"};
    if (!NameReadsBack(e.key, false))
      return {false, path_ + ": the key \"" + e.key + "\" cannot be stored"};
    if (!ValueFits(e.value))
      return {false, path_ + ": the value of \"" + e.key + "\" holds a line break"};
  }
  Ini ini;
  std::string error;
  if (!Load(path_, ini, &error)) return {false, error};
  for (const auto& e : entries)
    if (ini.SetValue(e.section.c_str(), e.key.c_str(), e.value.c_str()) < 0)
      return {false, path_ + ": out of memory"};
  std::string out;
  if (ini.Save(out, false) < 0) return {false, path_ + ": cannot be composed"};
  // The library puts two blank lines between sections; one is enough to
  // read. No value can hold a line break, so this touches only the gaps.
  for (std::string tidy; (tidy = ReplaceAll(out, "\n\n\n", "\n\n")) != out;)
    out = tidy;
  return WriteFileAtomically(path_, out);
}

FileResult Profile::WriteString(std::string_view section, std::string_view key,
                                std::string_view value) {
  return Write({{std::string(section), std::string(key), std::string(value)}});
}

FileResult Profile::WriteInteger(std::string_view section, std::string_view key, int value) {
  return WriteString(section, key, IntToStr(value));
}

}  // namespace varnek
