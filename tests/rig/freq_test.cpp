#include "rig/freq.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <optional>

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

// Every notation a person types or a file holds, and what is not one.
TEST(FreqText, NotationsReadAsTheirHertz) {
  const struct {
    const char* text;
    std::optional<long long> hz;
  } cases[] = {
      // kHz, no separator
      {"3699", 3699000},
      {"75", 75000},
      {"  14074 ", 14074000},
      // kHz with a fraction: four or more digits before the point
      {"14250.5", 14250500},
      {"14250,5", 14250500},
      {"3699.0", 3699000},
      {"0999.5", 999500},
      {"14074.00", 14074000},
      {"1296.2", 1296200},
      // MHz with a fraction: one to three digits before the point
      {"14.25", 14250000},
      {"7.05", 7050000},
      {"21,3", 21300000},
      {"144.8", 144800000},
      {"144.800", 144800000},
      {"7.0505", 7050500},
      {"7.050501", 7050501},
      {"14.2500000", 14250000},
      // MHz.kHz.Hz
      {"3.699.000", 3699000},
      {"0.999.000", 999000},
      {"  7.050.000", 7050000},
      {"14.250.5", 14250500},
      {"14,250,000", 14250000},
      {"1296.200.000", 1296200000},
      {"14.250.0000", 14250000},
      // nothing, or not a frequency
      {"", std::nullopt},
      {"   ", std::nullopt},
      {"7.0505011", std::nullopt},
      {"14.250.0001", std::nullopt},
      {"14.25.000", std::nullopt},
      {"14.2500.000", std::nullopt},
      {".999.000", std::nullopt},
      {"14.250.000.5", std::nullopt},
      {"14.", std::nullopt},
      {"-14250", std::nullopt},
      {"+14250", std::nullopt},
      {"14 250", std::nullopt},
      {"14.250 MHz", std::nullopt},
      {"14.07x.000", std::nullopt},
      {"9999999999999999999", std::nullopt},
  };
  for (const auto& c : cases)
    EXPECT_EQ(FreqHertz(c.text), c.hz) << "'" << c.text << "'";
  // Only kHz with a fraction has a second reading, for the ambiguity check.
  EXPECT_EQ(ReadFreq("1296.2").asMhz, 1296200000);
  EXPECT_EQ(ReadFreq("14.25").asMhz, 0);
  EXPECT_EQ(NormalizeFreq("7.05"), "007.050.000");
  EXPECT_EQ(NormalizeFreq("7.05x"), "");
}

TEST(RigForms, DigitsAndBcdOfTheHertz) {
  EXPECT_EQ(KenwoodFreqDigits(14250000, "TS-570"), "00014250000");
  EXPECT_EQ(KenwoodFreqDigits(14250000, "FT-2000"), "14250000");
  EXPECT_EQ(KenwoodFreqDigits(999000, "TS-570"), "00000999000");
  EXPECT_EQ(KenwoodFreqDigits(145500000, "FT-2000"), "");  // nine digits
  EXPECT_EQ(IcomFreqBytes(14074000), "00 40 07 14 00");
  EXPECT_EQ(IcomFreqBytes(432100123), "23 01 10 32 04");
  EXPECT_EQ(IcomFreqBytes(1296200000), "00 00 20 96 12");
  EXPECT_EQ(IcomFreqBytes(10368100000LL), "");
  EXPECT_EQ(IcomFreqBytes(14250007, 4), "00 00 25 14");  // the IC-735: 10 Hz
  EXPECT_EQ(YaesuFreqBytes(14256789), "78 56 42 01");
  EXPECT_EQ(YaesuFreqBytes(999000), "00 99 09 00");
  EXPECT_EQ(YaesuFreqBytes(1296200000), "");
}

TEST(DisplayForms, EachFamily) {
  EXPECT_EQ(AsciiFreqDisplay(14250000), "14.250.000");
  EXPECT_EQ(AsciiFreqDisplay(7050000), "  7.050.000");
  EXPECT_EQ(AsciiFreqDisplay(999000), "  0.999.000");
  EXPECT_EQ(AsciiFreqDisplay(145500000), "145.500.000");
  EXPECT_EQ(IcomFreqDisplay("0000251400"), "  14.250.000");
  EXPECT_EQ(IcomFreqDisplay("0000050700"), "    7.050.000");
  EXPECT_EQ(IcomFreqDisplay("0090990000"), "    0.999.000");
  EXPECT_EQ(IcomFreqDisplay("0000504501"), "145.500.000");
  EXPECT_EQ(YaesuFreqDisplay("014250000"), " 14.250.000");
  EXPECT_EQ(YaesuFreqDisplay("007050000"), "   7.050.000");
  EXPECT_EQ(YaesuFreqDisplay("000999000"), "   0.999.000");
  EXPECT_EQ(YaesuFreqDisplay(""), "..");
}

// Every display text a parser writes reads back as the hertz it came from,
// medium wave included, and so reaches the rig as the same digits.
TEST(DisplayForms, ReadBackAsTheSameHertz) {
  for (long long hz : {30000LL, 153000LL, 999000LL, 999990LL, 1000000LL, 1838000LL, 7050000LL,
                       14250010LL, 29600000LL, 145500000LL, 432100000LL, 1296200000LL}) {
    char digits[16];
    std::snprintf(digits, sizeof digits, "%010lld", hz);
    const std::string d = digits;
    const std::string received =
        d.substr(8, 2) + d.substr(6, 2) + d.substr(4, 2) + d.substr(2, 2) + d.substr(0, 2);
    std::snprintf(digits, sizeof digits, "%09lld", hz % 1000000000);
    EXPECT_EQ(FreqHertz(AsciiFreqDisplay(hz)), hz);
    EXPECT_EQ(FreqHertz(IcomFreqDisplay(received)), hz);
    EXPECT_EQ(FreqHertz(YaesuFreqDisplay(digits)), hz % 1000000000);
  }
}

}  // namespace
}  // namespace varnek
