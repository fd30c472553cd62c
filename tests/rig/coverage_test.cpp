#include "rig/coverage.h"

#include <gtest/gtest.h>

namespace varnek {
namespace {

// What each model may be sent: the hertz at its step, or a refusal naming
// the channel and the reason; a blank row is for the family to decide.
TEST(RowFreq, CheckedAgainstTheModel) {
  enum Want { Sent, Blank, Malformed, Ambiguous, Outside };
  const struct {
    const char* model;
    const char* text;
    Want want;
    long long hz;
  } cases[] = {
      {"TS-570", "14.25", Sent, 14250000},
      {"TS-570", "0.500.000", Sent, 500000},
      {"TS-570", "499.999", Outside, 0},  // 499.999 MHz
      {"TS-570", "0499.999", Outside, 0},
      {"TS-570", "145.000.000", Outside, 0},
      {"TS-570", "  ", Blank, 0},
      {"TS-570", "14.250.0x0", Malformed, 0},
      {"TS-870S", "0.100.000", Sent, 100000},
      {"TS-870S", "50.110.000", Outside, 0},
      {"TS-2000", "0999", Sent, 999000},
      {"TS-2000", "145.5", Sent, 145500000},
      {"TS-2000", "1296.2", Ambiguous, 0},
      {"TS-2000", "1296.200", Ambiguous, 0},
      {"TS-2000", "1.296.200", Sent, 1296200},
      {"TS-2000", "1296.200.000", Sent, 1296200000},
      {"TS-2000", "200.000.000", Outside, 0},
      {"FT-2000", "60.000.000", Sent, 60000000},
      {"FT-2000", "145.500.000", Outside, 0},
      {"FT-1000", "14.256.789", Sent, 14256780},  // 10 Hz steps
      {"FT-1000", "145.500.000", Outside, 0},
      {"FT-920", "50.110.000", Sent, 50110000},
      {"FT-920", "40.000.000", Outside, 0},
      {"IC-735", "0.999.999", Sent, 999990},
      {"IC-CI-V", "5760.100.000", Sent, 5760100000},
      {"IC-CI-V", "10368.100.000", Outside, 0},  // more than five BCD bytes
      {"IC-CI-V", "300.000.000", Outside, 0},
      // The table's own point notation comes back to the rig it came from.
      {"IC-CI-V", "3699.00", Sent, 3699000},
      {"IC-CI-V", "1296.20", Ambiguous, 0},  // the 23 cm band is CI-V too
      {"IC-CI-V", "14250.5", Sent, 14250500},
      // Codes without a row: only the family's wire form limits them.
      {"TS-50", "145.000.000", Sent, 145000000},
      {"FT-2x", "100.000.000", Outside, 0},
      {"FT-1000MP", "999.999.990", Sent, 999999990},
  };
  for (const auto& c : cases) {
    const RowFreq r = CheckRowFreq("07", c.text, c.model);
    const std::string what = std::string(c.model) + " '" + c.text + "': " + r.refusal;
    EXPECT_EQ(r.empty, c.want == Blank) << what;
    EXPECT_EQ(r.refusal.empty(), c.want == Sent || c.want == Blank) << what;
    if (c.want == Sent) {
      EXPECT_EQ(r.hertz, c.hz) << what;
    } else if (c.want != Blank) {
      EXPECT_EQ(r.refusal.rfind("Channel 07: ", 0), 0u) << what;
    }
    if (c.want == Malformed) {
      EXPECT_NE(r.refusal.find("is not a frequency"), std::string::npos) << what;
    }
    if (c.want == Outside) {
      EXPECT_NE(r.refusal.find("outside"), std::string::npos) << what;
    }
  }
  // The ambiguity names both unambiguous forms; the range the model's ranges.
  EXPECT_NE(CheckRowFreq("07", "1296.2", "TS-2000").refusal.find("1.296.200 or 1296.200.000"),
            std::string::npos);
  EXPECT_NE(CheckRowFreq("07", "145", "TS-570").refusal.find("(0.500.000-60.000.000)"),
            std::string::npos);
}

}  // namespace
}  // namespace varnek
