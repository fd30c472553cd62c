// The channel file reader over arbitrary file bytes, in each notation.
#include <string>

#include "files/channel_file.h"
#include "fuzz_support.h"

using namespace varnek;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view in = fuzz::AsText(data, size);
  const auto notation = static_cast<FreqNotation>(1 + fuzz::TakeChoice(in, 3));

  size_t count = 0;
  ForEachChannelLine(in, notation, [&](const ChannelLine&) { ++count; });
  // Every line reaches the callback; the last needs no line end.
  size_t newlines = 0;
  for (char c : in)
    newlines += c == '\n';
  fuzz::Require(count == newlines || count == newlines + 1);

  ChannelTable table;
  ApplyChannelFile(in, notation, table);
  // Whatever a file put into the table can be saved and loaded again.
  const std::string text = ChannelFileText(table, notation);
  ChannelTable again;
  ApplyChannelFile(text, notation, again);
  return 0;
}
