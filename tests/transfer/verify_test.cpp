#include "transfer/verify.h"

#include <gtest/gtest.h>

namespace varnek {
namespace {

ChannelAnswer Held(const char* freq, const char* mode) {
  ChannelAnswer a;
  a.status = ChannelAnswer::Status::Channel;
  a.freq = freq;
  a.mode = mode;
  return a;
}

ChannelAnswer Status(ChannelAnswer::Status s) {
  ChannelAnswer a;
  a.status = s;
  return a;
}

TEST(Verify, HeldModeIsWhatTheRigReportsBack) {
  const struct {
    const char* mode;
    const char* code;
    const char* held;
  } cases[] = {
      {"SSB", "TS-570", "USB"},  {"USB", "TS-570", "USB"}, {"CW-R", "TS-570", "CW-R"},
      {"SSB", "IC-CI-V", "USB"}, {"FM", "IC-CI-V", "FM"},  {"RTTY", "FT-1000", "DIGI"},
      {"PKT", "FT-920", "DIGI"}, {"CW", "FT-920", "CW"},   {"AM", "FT-1000", "AM"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(HeldMode(c.mode, c.code), c.held) << c.mode << " on " << c.code;
}

TEST(Verify, DifferencesAreFoundAsFarAsTheRigCanHoldThem) {
  using S = ChannelAnswer::Status;
  const struct {
    const char* what;
    const char* freq;
    const char* mode;
    ChannelAnswer rig;
    const char* code;
    bool same;
  } cases[] = {
      {"the same", "14.074.000", "USB", Held(" 14.074.000", "USB"), "TS-570", true},
      {"SSB comes back as USB", "145.500.000", "SSB", Held("145.500.000", "USB"), "TS-2000", true},
      {"one hertz off", "14.074.000", "USB", Held("14.074.001", "USB"), "TS-570", false},
      {"another mode", "14.074.000", "USB", Held("14.074.000", "LSB"), "IC-CI-V", false},
      {"five-byte rigs store 10 Hz steps", "14.074.005", "USB", Held("14.074.000", "USB"), "FT-920",
       true},
      {"but not 20 Hz off", "14.074.020", "USB", Held("14.074.000", "USB"), "FT-1000", false},
      {"written, read back empty", "14.074.000", "USB", Status(S::Empty), "TS-2000", false},
      {"written, refused on reading", "14.074.000", "USB", Status(S::Nothing), "FT-2000", false},
      {"an empty row reads back empty", "", "", Status(S::Empty), "TS-570", true},
      {"an empty row as zero hertz", "", "", Held("0.000.000", ""), "TS-570", true},
      {"an empty row still holds a channel", "", "", Held("7.040.000", "LSB"), "TS-570", false},
      {"a row without a mode", "7.040.000", "", Held("7.040.000", "LSB"), "TS-570", true},
  };
  for (const auto& c : cases) {
    const std::string d = VerifyDifference("05", c.freq, c.mode, c.rig, c.code);
    if (c.same) {
      EXPECT_EQ(d, "") << c.what;
    } else {
      EXPECT_EQ(d.rfind("05: the table has ", 0), 0u) << c.what << ": " << d;
    }
  }
}

TEST(Verify, TheLineSaysWhatTheTableHasAndWhatTheRigHolds) {
  EXPECT_EQ(VerifyDifference("12", "14.074.000", "USB", Held(" 14.075.000", "USB"), "TS-570"),
            "12: the table has 14.074.000 USB, the rig holds 14.075.000 USB");
  EXPECT_EQ(
      VerifyDifference("12", "14.074.000", "USB", Status(ChannelAnswer::Status::Empty), "TS-570"),
      "12: the table has 14.074.000 USB, the rig holds it empty");
  EXPECT_EQ(VerifyDifference("12", "", "", Held("7.040.000", "LSB"), "TS-570"),
            "12: the table has an empty channel, the rig holds 7.040.000 LSB");
}

}  // namespace
}  // namespace varnek
