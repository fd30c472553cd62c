// The dump lines every binary answer is shown and parsed as, and the hex
// text helpers around them.
#include <string>
#include <vector>

#include "base/errors.h"
#include "base/text.h"
#include "fuzz_support.h"

using namespace varnek;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view in = fuzz::AsText(data, size);
  std::vector<std::string> lines;
  HexDumpLines(in, lines);
  // Eight bytes a line, every line the same width, whatever the bytes.
  fuzz::Require(lines.size() == (in.size() + 7) / 8);
  for (const std::string& line : lines)
    fuzz::Require(line.size() == 35);

  // Hex text and bytes convert both ways without loss.
  const std::string hex = BytesToHexText(in);
  fuzz::Require(HexTextToBytes(hex) == in || in.empty());

  try {
    (void)CivAddressByte(in);
  } catch (const EConvertError&) {
  }
  return 0;
}
