// The band plan and every frequency conversion over arbitrary frequency
// texts, model codes of each family and raw digit strings.
#include <array>
#include <cstring>
#include <optional>
#include <string>

#include "base/errors.h"
#include "fuzz_support.h"
#include "rig/coverage.h"
#include "rig/freq.h"
#include "rig/icom.h"

using namespace varnek;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::array<std::string, 8> models = {"TS-570", "TS-2000", "FT-2000", "IC-CI-V",
                                                    "IC-735", "FT-1000", "FT-920",  ""};
  std::string_view in = fuzz::AsText(data, size);
  const std::string& model = models[fuzz::TakeChoice(in, models.size())];

  (void)BandPlanMode(in, model);
  // Whatever a text means, its display and normal forms mean the same.
  if (const std::optional<long long> hz = FreqHertz(in)) {
    fuzz::Require(FreqHertz(FreqText(*hz)) == hz);
    fuzz::Require(FreqHertz(NormalizeFreq(in)) == hz);
    (void)KenwoodFreqDigits(*hz, model);
    (void)IcomFreqBytes(*hz);
    (void)YaesuFreqBytes(*hz);
    (void)IcomFrequencyText(*hz, model);
  }
  // A row the check lets through is one the rig can store.
  const RowFreq row = CheckRowFreq("01", in, model);
  if (row.refusal.empty() && !row.empty) fuzz::Require(Covers(CoverageOf(model), row.hertz));

  (void)IcomFreqDisplay(in);
  (void)YaesuFreqDisplay(in);
  (void)IcomAnswerFreqDisplay(std::string(in), model);

  // The ASCII display takes the hertz an answer's digits give: up to eleven
  // digits, never negative.
  if (in.size() >= sizeof(long long)) {
    long long hertz = 0;
    std::memcpy(&hertz, in.data(), sizeof hertz);
    hertz = static_cast<long long>(static_cast<unsigned long long>(hertz) % 100000000000ULL);
    fuzz::Require(FreqHertz(AsciiFreqDisplay(hertz)) == std::optional(hertz));
  }
  return 0;
}
