// The channel file reader over arbitrary file bytes, in each notation.
#include <optional>
#include <string>

#include "base/text.h"
#include "files/channel_file.h"
#include "fuzz_support.h"
#include "rig/freq.h"

using namespace varnek;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view in = fuzz::AsText(data, size);
  const auto notation = static_cast<FreqNotation>(1 + fuzz::TakeChoice(in, 3));

  size_t count = 0;
  ForEachChannelLine(in, notation, [&](const ChannelLine&) { ++count; });
  // Every line reaches the callback; the last needs no line end. CR LF,
  // LF and a lone CR each end one.
  size_t newlines = 0;
  for (size_t i = 0; i < in.size(); ++i)
    newlines += in[i] == '\n' || (in[i] == '\r' && (i + 1 == in.size() || in[i + 1] != '\n'));
  fuzz::Require(count == newlines || count == newlines + 1);

  ChannelTable table;
  ApplyChannelFile(in, notation, table);
  // Whatever a file put into the table can be saved and loaded again. From
  // then on a save and a load keep every row: its mode, its name and the
  // frequency it names (the point and comma notations keep 10 Hz).
  ChannelTable again, third;
  ApplyChannelFile(ChannelFileText(table, notation), notation, again);
  ApplyChannelFile(ChannelFileText(again, notation), notation, third);
  const long long step = notation == FreqNotation::TwoPoints ? 1 : 10;
  for (size_t n = 0; n < again.size(); ++n) {
    if (Trim(again[n].freq).empty()) continue;
    fuzz::Require(third[n].mode == again[n].mode && third[n].name == again[n].name);
    if (const std::optional<long long> hz = FreqHertz(again[n].freq)) {
      const std::optional<long long> back = FreqHertz(third[n].freq);
      fuzz::Require(back && *back / step == *hz / step);
    }
  }
  return 0;
}
