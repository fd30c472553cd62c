#include "rig/modes.h"

#include <gtest/gtest.h>

namespace varnek {
namespace {

TEST(Modes, KenwoodBothWays) {
  const std::string codes = "123456789ABC";
  const std::vector<std::string> names = {"LSB",  "USB",   "CW",    "FM",     "AM",   "FSK",
                                          "CW-R", "PKT-L", "FSK-R", "PKT-FM", "FM-N", "PKT-U"};
  for (size_t i = 0; i < codes.size(); ++i)
    EXPECT_EQ(KenwoodModeName(codes[i]), names[i]);
  EXPECT_EQ(KenwoodModeName('0'), "");
  EXPECT_EQ(KenwoodModeName('D'), "");

  struct Case {
    std::string name, kenwood, ft2000;
  };
  const std::vector<Case> cases = {
      {"LSB", "1", "1"},   {"USB", "2", "2"},  {"CW", "3", "3"},   {"FM", "4", "4"},
      {"AM", "5", "5"},    {"FSK", "6", "6"},  {"DIGI", "6", "6"}, {"RTTY", "6", "6"},
      {"PKT", "6", ""},    {"CW-R", "7", "7"}, {"PKT-L", "", "8"}, {"FSK-R", "9", "9"},
      {"PKT-FM", "", "A"}, {"FM-N", "", "B"},  {"PKT-U", "", "C"}, {"SSB", "", ""},
      {"usb", "", ""},     {"", "", ""},       {"RTTY-R", "", ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(KenwoodModeCode(c.name, "TS-570"), c.kenwood) << c.name;
    EXPECT_EQ(KenwoodModeCode(c.name, "FT-2000"), c.ft2000) << c.name;
    EXPECT_EQ(KenwoodModeCode(c.name, "IC-CI-V"), "") << c.name;
  }
  // Every name a Kenwood answer gives that the rig can take back.
  for (char code : std::string("1234567")) {
    EXPECT_EQ(KenwoodModeCode(KenwoodModeName(code), "TS-2000"),
              std::string(1, code == '6' ? '6' : code));
  }
}

TEST(Modes, IcomBothWays) {
  const std::vector<std::string> names = {"LSB", "USB",  "AM",     "CW", "RTTY", "FM",
                                          "",    "CW-R", "RTTY-R", "",   "",     "AM"};
  for (int v = 0; v < 12; ++v)
    EXPECT_EQ(IcomModeName(v), names[static_cast<size_t>(v)]) << v;
  EXPECT_EQ(IcomModeName(12), "");
  EXPECT_EQ(IcomModeName(-1), "");
  struct Case {
    std::string name, code;
  };
  const std::vector<Case> cases = {{"LSB", "00"}, {"USB", "01"},  {"AM", "02"},     {"CW", "03"},
                                   {"FSK", "04"}, {"DIGI", "04"}, {"RTTY", "04"},   {"PKT", "04"},
                                   {"FM", "05"},  {"CW-R", "07"}, {"RTTY-R", "08"}, {"PKT-U", ""},
                                   {"SSB", ""},   {"FM-N", ""}};
  for (const auto& c : cases)
    EXPECT_EQ(IcomModeCode(c.name, "IC-CI-V"), c.code) << c.name;
  EXPECT_EQ(IcomModeCode("USB", "TS-570"), "");
  // Round trip of every name the parser produces.
  for (int v : {0, 1, 2, 3, 4, 5, 7, 8}) {
    const std::string code = IcomModeCode(IcomModeName(v), "IC-CI-V");
    EXPECT_EQ(std::stoi(code, nullptr, 16), v) << v;
  }
}

TEST(Modes, YaesuRecordNames) {
  struct Case {
    std::string hex, ft1000, ft920;
  };
  const std::vector<Case> cases = {
      {"00", "LSB", "LSB"}, {"01", "USB", "CW"},  {"02", "CW", "AM"},    {"03", "CW-R", "FM"},
      {"04", "AM", "DIGI"}, {"05", "AM", "DIGI"}, {"06", "FM", "DIGI"},  {"07", "FM", "?"},
      {"08", "DIGI", "?"},  {"0B", "DIGI", "?"},  {"40", "DIGI", "USB"}, {"41", "DIGI", "CW"},
      {"81", "DIGI", "CW"}, {"C1", "DIGI", "CW"}, {"FF", "DIGI", "?"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Ft1000ModeName(c.hex), c.ft1000) << c.hex;
    EXPECT_EQ(Ft920ModeName(c.hex), c.ft920) << c.hex;
  }
}

TEST(Modes, YaesuSetModeCodes) {
  struct Case {
    std::string name, ft1000, ft920Low, ft920High;
  };
  const std::vector<Case> cases = {
      {"LSB", "00", "00", "00"},  {"USB", "01", "01", "01"},  {"CW", "02", "03", "02"},
      {"AM", "04", "04", "04"},   {"FM", "06", "06", "06"},   {"FSK", "08", "08", "0A"},
      {"DIGI", "08", "08", "0A"}, {"RTTY", "08", "08", "0A"}, {"PKT", "0A", "08", "0A"},
      {"SSB", "", "?", "?"},      {"CW-R", "", "?", "?"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(YaesuModeCode(c.name, true, "FT-1000"), c.ft1000) << c.name;
    EXPECT_EQ(YaesuModeCode(c.name, false, "FT-1000"), c.ft1000) << c.name;
    EXPECT_EQ(YaesuModeCode(c.name, true, "FT-920"), c.ft920Low) << c.name;
    EXPECT_EQ(YaesuModeCode(c.name, false, "FT-920"), c.ft920High) << c.name;
  }
  EXPECT_EQ(YaesuModeCode("USB", false, "FT-817"), "");
  EXPECT_EQ(YaesuModeCode("USB", false, "FT-2000"), "");
}

}  // namespace
}  // namespace varnek
