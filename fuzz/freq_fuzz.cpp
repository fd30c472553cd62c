// The band plan and every frequency conversion over arbitrary frequency
// texts, model codes of each family and raw digit strings.
#include <array>
#include <cstring>
#include <string>

#include "app/errors.h"
#include "fuzz_support.h"
#include "rig/freq.h"
#include "rig/icom.h"

using namespace varnek;

namespace {

// The MHz.kHz.Hz form with three digits a group.
bool IsNormalForm(const std::string& s) {
  if (s.size() != 11 || s[3] != '.' || s[7] != '.') return false;
  return IsAllDigits(s.substr(0, 3)) && IsAllDigits(s.substr(4, 3)) && IsAllDigits(s.substr(8));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::array<std::string, 8> models = {"TS-570", "TS-2000", "FT-2000", "IC-CI-V",
                                                    "IC-735", "FT-1000", "FT-920",  ""};
  std::string_view in = fuzz::AsText(data, size);
  const std::string& model = models[fuzz::TakeChoice(in, models.size())];

  (void)BandPlanMode(in, model);
  const std::string normal = NormalizeFreq(in);
  if (IsNormalForm(normal)) fuzz::Require(NormalizeFreq(normal) == normal);
  (void)KenwoodFreqDigits(in, model);
  (void)IcomFreqBytes(in, model);
  (void)YaesuFreqBytes(in, model);
  (void)IcomFrequencyText(std::string(in), model);

  (void)IcomFreqDisplay(in);
  (void)YaesuFreqDisplay(in);
  (void)IcomAnswerFreqDisplay(std::string(in), model);

  // The ASCII display takes the hertz an answer's digits give: up to eleven
  // digits, never negative.
  if (in.size() >= sizeof(long long)) {
    long long hertz = 0;
    std::memcpy(&hertz, in.data(), sizeof hertz);
    hertz = static_cast<long long>(static_cast<unsigned long long>(hertz) % 100000000000ULL);
    (void)AsciiFreqDisplay(hertz);
  }
  return 0;
}
