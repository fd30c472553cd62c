// The ASCII answer parser (Kenwood and FT-2000 dialects) over arbitrary
// transcripts: every '\n' starts another transcript line.
#include <array>
#include <string>

#include "fuzz_support.h"
#include "base/text.h"
#include "rig/freq.h"
#include "rig/kenwood.h"

using namespace varnek;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::array<std::string, 5> models = {"TS-570", "TS-870S", "TS-2000", "FT-2000",
                                                    "TS-50"};
  std::string_view in = fuzz::AsText(data, size);
  const std::string& model = models[fuzz::TakeChoice(in, models.size())];
  const ChannelAnswer a = ParseKenwoodAnswer(fuzz::SplitLines(in), model);
  // A stored channel is always one of the table's rows.
  fuzz::Require(a.channel.empty() || (a.channel.size() == 2 && IsAllDigits(a.channel)));
  return 0;
}
