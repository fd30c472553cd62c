#include "rig/family.h"

#include <gtest/gtest.h>

#include "base/errors.h"

namespace varnek {
namespace {

TEST(Family, ModelCodes) {
  struct Case {
    std::string code;
    RigFamily family;
    CommandForm single;
    YaesuVariant variant;
  };
  using F = RigFamily;
  using C = CommandForm;
  using V = YaesuVariant;
  const std::vector<Case> cases = {
      {"TS-570", F::Kenwood, C::Ascii, V::None},  {"TS-870S", F::Kenwood, C::Ascii, V::None},
      {"TS-2000", F::Kenwood, C::Ascii, V::None}, {"TS-50", F::Kenwood, C::Ascii, V::None},
      {"FT-2000", F::Ft2000, C::Ascii, V::None},  {"IC-CI-V", F::Icom, C::Icom, V::None},
      {"IC-735", F::Icom, C::Icom, V::None},      {"FT-920", F::Yaesu, C::Yaesu, V::Ft920},
      {"FT-1000", F::Yaesu, C::Yaesu, V::Ft1000}, {"FT-817", F::Yaesu, C::Yaesu, V::None},
      {"FT-757", F::Yaesu, C::Ascii, V::None},    {"ic-706", F::None, C::Ascii, V::None},
      {"", F::None, C::Ascii, V::None},           {"radio", F::None, C::Ascii, V::None},
      {"T", F::None, C::Ascii, V::None},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(FamilyOf(c.code), c.family) << c.code;
    EXPECT_EQ(SingleCommandFormOf(c.code), c.single) << c.code;
    EXPECT_EQ(YaesuVariantOf(c.code), c.variant) << c.code;
  }
}

TEST(Family, DumpLines) {
  struct Case {
    std::string bytes;
    std::vector<std::string> want;
  };
  const std::vector<Case> cases = {
      {"", {}},
      {"A", {" 41                      : A       "}},
      {"AB\r", {" 41 42 0D                : AB.     "}},
      {"\xFE\xFE\xE0\x04\xFB\xFD\x7F\x80",
       {" FE FE E0 04 FB FD 7F 80 : \xFE\xFE\xE0.\xFB\xFD.\x80"}},
      {"123456789", {" 31 32 33 34 35 36 37 38 : 12345678", " 39                      : 9       "}},
      {std::string("\0\x1F", 2) + "abcdefghijklmno",
       {" 00 1F 61 62 63 64 65 66 : ..abcdef", " 67 68 69 6A 6B 6C 6D 6E : ghijklmn",
        " 6F                      : o       "}},
  };
  for (const auto& c : cases) {
    std::vector<std::string> lines = {"kept"};
    HexDumpLines(c.bytes, lines);
    ASSERT_EQ(lines.size(), c.want.size() + 1) << c.bytes;
    EXPECT_EQ(lines[0], "kept");
    for (size_t i = 0; i < c.want.size(); ++i) {
      EXPECT_EQ(lines[i + 1], c.want[i]);
      EXPECT_EQ(lines[i + 1].size(), 35u);
    }
  }
}

TEST(Family, AddressByte) {
  EXPECT_EQ(CivAddressByte(""), 0x00);
  EXPECT_EQ(CivAddressByte("5C"), 0x5C);
  EXPECT_EQ(CivAddressByte("a4"), 0xA4);
  EXPECT_EQ(CivAddressByte("15C"), 0x5C);  // only the low byte is sent
  EXPECT_THROW(CivAddressByte("5G"), EConvertError);
  EXPECT_EQ(BytesToHexText(std::string("\xFE\xFE\x5C\xE0\x03\xFD", 6)), "FE FE 5C E0 03 FD");
  EXPECT_EQ(BytesToHexText(""), "");
}

}  // namespace
}  // namespace varnek
