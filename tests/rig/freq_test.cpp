#include "rig/freq.h"

#include <gtest/gtest.h>

namespace varnek {
namespace {

TEST(BandPlan, Boundaries) {
  struct Case {
    std::string freq, model, want;
  };
  const std::vector<Case> cases = {
      {"1837", "", "CW"},
      {"1838", "", "DIGI"},
      {"1842", "", "DIGI"},
      {"1843", "", "LSB"},
      {"2000", "", "LSB"},
      {"2001", "", "CW"},
      {"3579", "", "CW"},
      {"3580", "", "DIGI"},
      {"3620", "", "DIGI"},
      {"3621", "", "LSB"},
      {"3800", "", "LSB"},
      {"3801", "", "CW"},
      {"7034", "", "CW"},
      {"7035", "", "DIGI"},
      {"7046", "", "LSB"},
      {"7200", "", "LSB"},
      {"7201", "", "CW"},
      {"10140", "", "DIGI"},
      {"10151", "", "CW"},
      {"14069", "", "CW"},
      {"14070", "", "DIGI"},
      {"14070", "TS-570", "FSK"},
      {"14070", "IC-CI-V", "RTTY"},
      {"14070", "FT-2000", "RTTY"},
      {"14070", "XX", "DIGI"},
      {"14113", "", "USB"},
      {"14350", "", "USB"},
      {"14351", "", "CW"},
      {"18111", "", "DIGI"},
      {"18112", "", "USB"},
      {"21450", "", "USB"},
      {"24931", "", "DIGI"},
      {"24990", "", "USB"},
      {"28150", "", "DIGI"},
      {"28151", "", "USB"},
      {"29199", "", "USB"},
      {"29200", "", "AM"},
      {"29509", "", "AM"},
      {"29510", "", "FM"},
      {"29700", "", "FM"},
      {"29701", "", "CW"},
      {"50110", "", "USB"},
      {"50167", "", "CW"},
      {"50510", "", "DIGI"},
      {"50751", "", "FM"},
      {"52000", "", "CW"},
      {"144150", "", "SSB"},
      {"144400", "", "SSB"},
      {"144401", "", "DIGI"},
      {"144991", "", "CW"},
      {"145193", "", "CW"},
      {"145194", "", "FM"},
      {"145593", "", "FM"},
      {"145594", "", "CW"},
      {"432150", "", "CW"},
      {"432151", "", "SSB"},
      {"432401", "", "CW"},
      {"433394", "", "FM"},
      {"433581", "", "CW"},
      {"1240000", "", "DIGI"},
      {"1241001", "", "CW"},
      {"1296150", "", "SSB"},
      {"1296801", "", "FM"},
      {"1297980", "", "FM"},
      {"1297981", "", "?"},
      {"10368100", "", "?"},
      // Notations: three groups, two groups (read as kHz: 145.300 is 145 kHz),
      // kHz with fraction, commas, the display forms' leading blanks.
      {"14.250.000", "", "USB"},
      {"145.300.000", "", "FM"},
      {"145.300", "", "CW"},
      {"145.000.000", "", "CW"},
      {"29.600.000", "", "FM"},
      {"3699.5", "", "LSB"},
      {"14,250,000", "", "USB"},
      {"  7.050.000", "", "LSB"},
      {"   14.250.000", "", "USB"},
      {"abc", "", "Error"},
      {"14.2x0.000", "", "Error"},
      {"", "", ""},
      {"99999999999", "", "Error"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(BandPlanMode(c.freq, c.model), c.want) << "'" << c.freq << "' on '" << c.model << "'";
}

TEST(NormalForm, Notations) {
  struct Case {
    std::string in, want;
  };
  const std::vector<Case> cases = {
      {"3699", "003.699.000"},      {"3699.0", "003.699.000"},
      {"3.699.000", "003.699.000"}, {"14250,5", "014.250.500"},
      {"144.800", "144.800.000"},   {"10368.100.000", "10368.100.000"},
      {"1296.200", "001.296.200"},  {"7.05", "007.05.000"},
      {"14.250.5", "014.250.500"},  {"14.250.0001", "014.250.000"},
      {"500", ".500.000"},          {"", "..000"},
      {"1296200", "1296.200.000"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(NormalizeFreq(c.in), c.want) << c.in;
}

TEST(RigForms, KenwoodDigits) {
  struct Case {
    std::string in, model, want;
  };
  const std::vector<Case> cases = {
      {"14.250.000", "TS-570", "00014250000"},   {"14.250.000", "FT-2000", "14250000"},
      {"3699", "TS-570", "00003699000"},         {"7.050.000", "TS-2000", "00007050000"},
      {"7.050.000", "FT-2000", "07050000"},      {"  7.050.000", "TS-570", "00007050000"},
      {"145.500.000", "TS-2000", "00145500000"}, {"1296.200.000", "TS-2000", "01296200000"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(KenwoodFreqDigits(c.in, c.model), c.want) << c.in;
}

TEST(RigForms, IcomBytes) {
  struct Case {
    std::string in, model, want;
  };
  const std::vector<Case> cases = {
      {"14.250.000", "IC-CI-V", "00 00 25 14 00"},
      {"145.500.000", "IC-CI-V", "00 00 50 45 01"},
      {"14.074.000", "IC-CI-V", "00 40 07 14 00"},
      {"432.100.123", "IC-CI-V", "23 01 10 32 04"},
      // From 1000 MHz the digits come from the value, not the positions.
      {"1296.200.000", "IC-CI-V", "00 00 20 96 12"},
      {"10368.100.000", "IC-CI-V", ""},
      {"14.250.000", "IC-735", ""},
      {"14.250.000", "TS-570", ""},
  };
  for (const auto& c : cases)
    EXPECT_EQ(IcomFreqBytes(c.in, c.model), c.want) << c.in;
}

TEST(RigForms, YaesuBytes) {
  struct Case {
    std::string in, model, want;
  };
  const std::vector<Case> cases = {
      {"14.267.000", "FT-1000", "00 67 42 01"},
      {"14.267.000", "FT-920", "00 67 42 01"},
      {"14.256.780", "FT-920", "78 56 42 01"},
      {"7.050.000", "FT-1000", "00 50 70 00"},
      {"439.999.990", "FT-920", "99 99 99 43"},
      {"1296.200.000", "FT-920", ""},
      {"14.267.000", "FT-817", ""},
      {"14.267.000", "TS-570", ""},
  };
  for (const auto& c : cases)
    EXPECT_EQ(YaesuFreqBytes(c.in, c.model), c.want) << c.in;
}

TEST(DisplayForms, EachFamily) {
  EXPECT_EQ(AsciiFreqDisplay(14250000), "14.250.000");
  EXPECT_EQ(AsciiFreqDisplay(7050000), "  7.050.000");
  EXPECT_EQ(AsciiFreqDisplay(145500000), "145.500.000");
  EXPECT_EQ(IcomFreqDisplay("0000251400"), "  14.250.000");
  EXPECT_EQ(IcomFreqDisplay("0000050700"), "    7.050.000");
  EXPECT_EQ(IcomFreqDisplay("0000504501"), "145.500.000");
  EXPECT_EQ(YaesuFreqDisplay("014250000"), " 14.250.000");
  EXPECT_EQ(YaesuFreqDisplay("007050000"), "   7.050.000");
  EXPECT_EQ(YaesuFreqDisplay(""), "..");
}

// Every display text a parser writes must convert back to the same rig form.
TEST(DisplayForms, RoundTripToRigForms) {
  for (long long hz :
       {1838000LL, 7050000LL, 14250000LL, 29600000LL, 50110000LL, 145500000LL, 432100000LL}) {
    char digits[16];
    std::snprintf(digits, sizeof digits, "%011lld", hz);
    EXPECT_EQ(KenwoodFreqDigits(AsciiFreqDisplay(hz), "TS-570"), digits) << hz;
    std::snprintf(digits, sizeof digits, "%010lld", hz);
    const std::string d = digits;
    const std::string received =
        d.substr(8, 2) + d.substr(6, 2) + d.substr(4, 2) + d.substr(2, 2) + d.substr(0, 2);
    const std::string shown = IcomFreqDisplay(received);
    const auto bytes =
        IcomFreqBytes(std::string(shown.substr(shown.find_first_not_of(' '))), "IC-CI-V");
    std::string joined;
    for (char c : bytes)
      if (c != ' ') joined += c;
    EXPECT_EQ(joined, received) << hz;
  }
}

TEST(Digits, IsAllDigits) {
  EXPECT_TRUE(IsAllDigits("0123456789"));
  EXPECT_FALSE(IsAllDigits(""));
  EXPECT_FALSE(IsAllDigits("12 3"));
  EXPECT_FALSE(IsAllDigits("FF"));
}

}  // namespace
}  // namespace varnek
