#include "terminal/samples.h"

#include <gtest/gtest.h>

#include "base/errors.h"

namespace varnek {
namespace {

using V = std::vector<std::string>;

TEST(Samples, TablePerFamily) {
  struct Case {
    Sample sample;
    std::string code;
    SampleFields fields;
    V want;
  };
  const SampleFields none{};
  const std::vector<Case> cases = {
      {Sample::Status, "TS-570", none, {"FR;FA;MD0;"}},
      {Sample::Status, "FT-2000", none, {"FR;FA;MD0;"}},
      {Sample::Status, "FT-920", none, {"00 00 00 02 10"}},
      {Sample::Status, "IC-CI-V", none, {"FE FE 00 E0 03 FD", "FE FE 00 E0 04 FD"}},
      {Sample::Freq, "TS-570", none, {"FA00014267000;"}},
      {Sample::Freq, "FT-2000", none, {"FA14267000;"}},
      {Sample::Freq, "FT-1000", none, {"00 67 42 01 0A"}},
      {Sample::Freq, "IC-CI-V", none, {"FE FE 00 E0 05 00 70 26 14 00 FD"}},
      {Sample::Freq, "TS-570", {"", "7.050.000", ""}, {"00007050000"}},
      {Sample::Freq, "FT-2000", {"", "7.050.000", ""}, {"07050000"}},
      {Sample::Freq, "FT-920", {"", "14.267.000", ""}, {"00 67 42 01 0A"}},
      {Sample::Freq, "IC-CI-V", {"", "14.250.000", ""}, {"00 00 25 14 00"}},
      {Sample::Mode, "TS-570", none, {"MD3;"}},
      {Sample::Mode, "FT-920", none, {"00 00 00 01 0C"}},
      {Sample::Mode, "IC-CI-V", none, {"FE FE 00 E0 06 01 FD"}},
      {Sample::Mode, "TS-570", {"", "", "CW-R"}, {"7"}},
      {Sample::Mode, "FT-920", {"", "", "CW"}, {"00 00 00 03 0C"}},  // below 10 MHz
      {Sample::Mode, "IC-CI-V", {"", "", "FM"}, {"FE FE 00 E0 06 05 FD"}},
      {Sample::Channel, "TS-570", {"5", "", ""}, {"MR0 05;"}},
      {Sample::Channel, "FT-2000", {"5", "", ""}, {"MR005;MC005;"}},
      {Sample::Channel, "FT-1000", {"12", "", ""}, {"0C 00 00 04 10"}},
      {Sample::Channel, "FT-1000", {"255", "", ""}, {"FF 00 00 04 10"}},
      {Sample::Channel, "IC-CI-V", {"7", "", ""}, {"FE FE 00 E0 08 00 07 FD"}},
      {Sample::Channel, "TS-570", none, {}},
      {Sample::Memory, "TS-570", none, {"VM;"}},
      {Sample::Memory, "FT-920", {"10", "", ""}, {"00 00 00 0A 02"}},
      {Sample::Memory, "IC-CI-V", none, {""}},
      {Sample::MemSave,
       "TS-570",
       {"12", "", ""},
       {"MW0 01200014267000"
        "2"
        "0000 ;"}},
      {Sample::MemSave, "FT-2000", {"012", "", ""}, {"MW001214267000+000000200000;"}},
      {Sample::MemSave, "FT-920", {"3", "", ""}, {"00 00 00 03 03"}},
      {Sample::MemSave, "IC-CI-V", {"3", "", ""}, {"FE FE 00 E0 08 00 3 FD"}},
      {Sample::MemClear,
       "TS-570",
       {"12", "", ""},
       {"MW0 012000000000000"
        "0000 ;"}},
      {Sample::MemClear, "FT-2000", none, {"MW000000000000000+00000000;"}},
      {Sample::MemClear, "FT-920", {"20", "", ""}, {"00 00 01 14 03"}},
      {Sample::ChanRecall, "TS-570", {"7", "", ""}, {"MC07;"}},
      {Sample::ChanRecall, "FT-2000", {"7", "", ""}, {"MC007;"}},
      {Sample::ChanRecall, "FT-920", {"7", "", ""}, {"00 00 02 07 03"}},
      {Sample::ChanRecall, "IC-CI-V", none, {""}},
      {Sample::Pacing, "FT-920", {"", "", "05"}, {"00 00 00 05 0E"}},
      {Sample::Pacing, "FT-2000", {"", "", "01"}, {"00 00 00 01 0E"}},
      {Sample::Pacing, "TS-570", none, {""}},
      {Sample::Status, "", none, {""}},
      {Sample::Channel, "radio", {"5", "", ""}, {""}},
  };
  for (const auto& c : cases)
    EXPECT_EQ(SampleCommand(c.sample, c.code, c.fields), c.want)
        << static_cast<int>(c.sample) << " " << c.code << " '" << c.fields.channel << "'";
}

TEST(Samples, NonNumberChannelFailsWhereItIsConverted) {
  EXPECT_THROW(SampleCommand(Sample::Channel, "FT-1000", {"x1", "", ""}), EConvertError);
  EXPECT_THROW(SampleCommand(Sample::Memory, "FT-920", {"1a", "", ""}), EConvertError);
  // Used as typed: no conversion, no error.
  EXPECT_EQ(SampleCommand(Sample::Channel, "TS-570", {"x", "", ""}), V{"MR0 0x;"});
}

}  // namespace
}  // namespace varnek
