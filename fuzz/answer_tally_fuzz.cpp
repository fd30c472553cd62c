// Answer framing over arbitrary received bytes cut at arbitrary places: the
// serial component hands over what the framer calls complete, the tally
// counts answers in whatever pieces arrive. Two properties must hold for
// every input: the complete length never exceeds what arrived, and the
// count does not depend on where the stream was cut.
#include <array>
#include <string>

#include "fuzz_support.h"
#include "rig/answer_framing.h"

using namespace varnek;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::array<std::string, 5> models = {"TS-570", "FT-2000", "IC-CI-V", "FT-1000",
                                                    "FT-920"};
  std::string_view in = fuzz::AsText(data, size);
  const AnswerFraming framing = FramingFor(models[fuzz::TakeChoice(in, models.size())]);
  const size_t cut = in.empty() ? 0 : static_cast<unsigned char>(in[0]) % (in.size() + 1);

  fuzz::Require(CompleteAnswersLength(framing, in) <= in.size());

  AnswerTally whole, pieces;
  whole.Restart(framing);
  pieces.Restart(framing);
  whole.Feed(in);
  pieces.Feed(in.substr(0, cut));
  pieces.Feed(in.substr(cut));
  // (The tally keeps at most 4 KiB of an unfinished answer; beyond that a
  // cut may shorten one, which is what the bound is for.)
  if (in.size() <= 4096) {
    fuzz::Require(whole.Answers() == pieces.Answers());
    fuzz::Require(whole.IdAnswers() == pieces.IdAnswers());
  }
  fuzz::Require(whole.IdAnswers() <= whole.Answers());
  return 0;
}
