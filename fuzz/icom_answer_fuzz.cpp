// The CI-V answer parser over arbitrary transcripts: each '\n'-separated
// piece of the input is a received cluster shown as dump lines (or a "#"
// request line), as the terminal records them.
#include <array>
#include <string>

#include "fuzz_support.h"
#include "rig/freq.h"
#include "rig/icom.h"

using namespace varnek;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::array<std::string, 3> models = {"IC-CI-V", "IC-735", "IC-706"};
  static const std::array<std::string, 4> outstanding = {"", "05", "99", "1"};
  std::string_view in = fuzz::AsText(data, size);
  const std::string& model = models[fuzz::TakeChoice(in, models.size())];
  const std::string& pending = outstanding[fuzz::TakeChoice(in, outstanding.size())];
  const ChannelAnswer a = ParseIcomAnswer(fuzz::DumpTranscript(in), model, pending);
  (void)a;
  return 0;
}
