#pragma once
// Small helpers the fuzz targets share: cutting the input into transcript
// lines and picking a model code from a byte, so one input reaches every
// dialect of a parser.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "rig/family.h"

namespace varnek::fuzz {

inline std::string_view AsText(const uint8_t* data, size_t size) {
  return {reinterpret_cast<const char*>(data), size};
}

// The pieces of `s` between '\n' bytes; an empty input gives no piece.
inline std::vector<std::string> SplitLines(std::string_view s) {
  std::vector<std::string> lines;
  if (s.empty()) return lines;
  size_t start = 0;
  while (true) {
    const size_t end = s.find('\n', start);
    lines.emplace_back(s.substr(start, end == std::string_view::npos ? s.npos : end - start));
    if (end == std::string_view::npos) break;
    start = end + 1;
  }
  return lines;
}

// A transcript as the terminal records it for the binary families: pieces
// that start with '#' are request lines kept as text, every other piece is
// one received cluster shown as dump lines.
inline std::vector<std::string> DumpTranscript(std::string_view s) {
  std::vector<std::string> lines;
  for (const std::string& piece : SplitLines(s)) {
    if (!piece.empty() && piece[0] == '#')
      lines.push_back(piece);
    else
      HexDumpLines(piece, lines);
  }
  return lines;
}

// Takes the first byte of the input as a choice among `n`; the rest stays.
inline size_t TakeChoice(std::string_view& s, size_t n) {
  if (s.empty()) return 0;
  const size_t choice = static_cast<unsigned char>(s[0]) % n;
  s.remove_prefix(1);
  return choice;
}

// A broken invariant: stop so the fuzzer keeps the input.
inline void Require(bool holds) {
  if (!holds) std::abort();
}

}  // namespace varnek::fuzz
