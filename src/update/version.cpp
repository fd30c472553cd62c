#include "update/version.h"

#include <algorithm>
#include <limits>

namespace varnek {

std::vector<unsigned long long> VersionNumber(std::string_view text) {
  std::vector<unsigned long long> parts;
  bool any = false;
  unsigned long long part = 0;
  for (const char c : text) {
    if (c == '.') {
      parts.push_back(part);
      part = 0;
      any = true;
    } else if (c >= '0' && c <= '9') {
      const unsigned long long max = std::numeric_limits<unsigned long long>::max();
      const auto digit = static_cast<unsigned long long>(c - '0');
      part = part > (max - digit) / 10 ? max : part * 10 + digit;
      any = true;
    }
  }
  if (any) parts.push_back(part);
  return parts;
}

bool IsNewerVersion(std::string_view candidate, std::string_view running) {
  const auto a = VersionNumber(candidate), b = VersionNumber(running);
  // major.minor.patch: a fourth part is a build number, no release.
  for (size_t i = 0; i < 3; ++i) {
    const unsigned long long x = i < a.size() ? a[i] : 0, y = i < b.size() ? b[i] : 0;
    if (x != y) return x > y;
  }
  return false;
}

bool IsVersionText(std::string_view text) {
  size_t parts = 0;
  while (true) {
    size_t digits = 0;
    while (digits < text.size() && text[digits] >= '0' && text[digits] <= '9')
      ++digits;
    if (digits == 0 || digits > 9 || ++parts > 4) return false;
    text.remove_prefix(digits);
    if (text.empty()) return true;
    if (text.front() != '.') return false;
    text.remove_prefix(1);
  }
}

std::string ProgramVersion() {
  return std::to_string(VARNEK_VERSION_MAJOR) + "." + std::to_string(VARNEK_VERSION_MINOR) + "." +
         std::to_string(VARNEK_VERSION_PATCH) + "." + std::to_string(VARNEK_VERSION_TWEAK);
}

}  // namespace varnek
