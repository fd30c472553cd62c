// The five-byte family's memory record parser over arbitrary transcripts:
// '#' pieces are request lines, the other pieces received clusters.
#include <array>
#include <string>

#include "fuzz_support.h"
#include "base/text.h"
#include "rig/freq.h"
#include "rig/yaesu.h"

using namespace varnek;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::array<std::string, 4> models = {"FT-1000", "FT-920", "FT-1000MP", "FT-817"};
  std::string_view in = fuzz::AsText(data, size);
  const std::string& model = models[fuzz::TakeChoice(in, models.size())];
  const ChannelAnswer a = ParseYaesuRecord(fuzz::DumpTranscript(in), model);
  fuzz::Require(a.channel.empty() || (a.channel.size() == 2 && IsAllDigits(a.channel)));
  if (in.size() >= 2) {
    (void)Ft1000RecordModeName(static_cast<unsigned char>(in[0]), static_cast<signed char>(in[1]));
  }
  return 0;
}
