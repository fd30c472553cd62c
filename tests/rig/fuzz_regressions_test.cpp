// Inputs the fuzzers found, kept as cases: answers that once put a
// frequency into a row the rig never named.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "rig/kenwood.h"

namespace varnek {
namespace {

TEST(FuzzRegressions, AsciiAnswersNameOnlyTableRows) {
  using S = ChannelAnswer::Status;
  struct Case {
    const char* why;
    std::string model, line;
    S status;
    std::string channel;
  };
  // FT-2000 record: MR, three channel digits, eight of frequency, clarifier,
  // RX/TX clarifier flags, mode, then the rest.
  const std::string ft2000Tail = "14250000+00000021000;";
  const std::vector<Case> cases = {
      {"row 05 itself", "FT-2000", "#MR005" + ft2000Tail, S::Channel, "05"},
      {"channel 105 is not row 05", "FT-2000", "#MR105" + ft2000Tail, S::Channel, ""},
      {"channel 117 is not row 17", "FT-2000", "#MR117" + ft2000Tail, S::Channel, ""},
      {"no number in the channel field", "FT-2000", "#M*R0:514" + ft2000Tail, S::Channel, ""},
      {"TS-570 channel field with a letter", "TS-570",
       "#MR0 0x00007050000"
       "30000 ;",
       S::Channel, ""},
      {"TS-570 row 05", "TS-570",
       "#MR0 0500007050000"
       "30000 ;",
       S::Channel, "05"},
  };
  for (const Case& c : cases) {
    const ChannelAnswer a = ParseKenwoodAnswer({c.line}, c.model);
    EXPECT_EQ(a.status, c.status) << c.why;
    EXPECT_EQ(a.channel, c.channel) << c.why;
  }
}

}  // namespace
}  // namespace varnek
