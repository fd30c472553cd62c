#include "base/text.h"

#include <gtest/gtest.h>

#include "base/errors.h"

namespace varnek {
namespace {

struct PieceCase {
  const char* fn;
  std::string s, d;
  int a, b;
  std::string want;
};

TEST(TextPieces, ExamplesAndEdges) {
  const std::string fe = "FE FE ";
  const std::vector<PieceCase> cases = {
      {"Piece", "0,104,196", ",", 2, 1, "104"},
      {"Piece", "0,104,196", ",", 3, 1, "196"},
      {"Piece", "a,b", ",", 5, 1, ""},
      {"Piece", "3.0.3", ".", 1, 2, "30"},
      {"Piece", "FE FE 00 E0 03 FD", fe, 2, 1, "00 E0 03 FD"},
      {"PieceRange", "07\t14.250.000\tUSB", "\t", 1, 0, "14.250.000"},
      {"PiecesWithDelims", "14.267.000", ".", 2, 2, "267.000"},
      {"PiecesWithDelims", "a b c d", " ", 2, 2, "b c "},
      {"PiecesWithDelims", "a", ",", 2, 1, ""},
      // An empty delimiter never occurs.
      {"Piece", "abc", "", 1, 1, "abc"},
      {"Piece", "abc", "", 2, 1, ""},
      {"Piece", "A_B__D", "_", 3, 1, ""},
      {"Piece", "A_B__D", "_", 4, 1, "D"},
      {"Piece", "x,y", ",", 0, 1, ""},
      {"Piece", "x,y", ",", 1, 0, ""},
      // The join form drops every preamble of a run of CI-V frames.
      {"Piece", "FE FE 00 E0 03 FD FE FE E0 00 FB FD", fe, 1, 99, "00 E0 03 FD E0 00 FB FD"},
      {"PiecesWithDelims", "a,b", ",", 1, 5, "a,b"},
      {"PiecesWithDelims", "a,b,c", ",", 0, 1, ""},
      {"PieceRange", "a\tb\tc\td", "\t", 1, 2, "b\tc"},
      {"PieceRange", "a\tb\tc", "\t", 0, 5, "a\tb\tc"},
      {"PieceRange", "a::b::c", "::", 0, 1, "a:b:"},
      {"PieceRange", "only", "\t", 3, 0, ""},
      // NUL bytes are ordinary characters.
      {"Piece", std::string("a\0b,c", 5), ",", 1, 1, std::string("a\0b", 3)},
  };
  for (const auto& c : cases) {
    const std::string fn = c.fn;
    std::string got;
    if (fn == "Piece")
      got = Piece(c.s, c.d, c.a, c.b);
    else if (fn == "PieceRange")
      got = PieceRange(c.s, c.d, c.a, c.b);
    else
      got = PiecesWithDelims(c.s, c.d, c.a, c.b);
    EXPECT_EQ(got, c.want) << fn << "(" << c.s << ", '" << c.d << "', " << c.a << ", " << c.b
                           << ")";
  }
}

TEST(TextHex, Values) {
  EXPECT_EQ(HexValue("0a"), 10u);
  EXPECT_EQ(HexValue("0A"), 10u);
  EXPECT_EQ(HexValue(""), 0u);
  EXPECT_EQ(HexValue("FFFFFFFF"), 0xFFFFFFFFu);
  EXPECT_EQ(HexValue("100000001"), 1u);  // wraps in 32 bits
  try {
    HexValue("G1");
    FAIL() << "no error for G1";
  } catch (const EConvertError& e) {
    EXPECT_EQ(std::string(e.what()), "\xB4G1\xB4 illegal character in hex string");
  }
}

TEST(TextHex, TextToBytes) {
  struct Case {
    std::string in, want;
  };
  const std::vector<Case> cases = {
      {"FE FE 00 E0 03 FD", std::string("\xFE\xFE\x00\xE0\x03\xFD", 6)},
      {"00 00 00 01 02", std::string("\x00\x00\x00\x01\x02", 5)},
      {"", std::string("\x00", 1)},
      {"12 ", std::string("\x12\x00", 2)},
      {" 12", std::string("\x00\x12", 2)},
      {"12  34", std::string("\x12\x00\x34", 3)},
      {"100", std::string("\x00", 1)},
      {"1FF", std::string("\xFF", 1)},
      {std::string("12\0"
                   "34",
                   5),
       std::string("\x12\x34", 2)},
  };
  for (const auto& c : cases)
    EXPECT_EQ(HexTextToBytes(c.in), c.want) << c.in;
  EXPECT_THROW(HexTextToBytes("FE FX"), EConvertError);
}

// What a person types into the terminal goes out byte for byte or not at
// all; the refusal names what was wrong.
TEST(TextHex, TypedLinesAreExactOrRefused) {
  struct Case {
    std::string in, want, error;  // want is ignored when error is set
  };
  const std::vector<Case> cases = {
      {"00 00 00 02 10", std::string("\x00\x00\x00\x02\x10", 5), ""},
      {"00 00 00 02 10 ", std::string("\x00\x00\x00\x02\x10", 5), ""},
      {"  fe FE 00 e0 03 FD  ", std::string("\xFE\xFE\x00\xE0\x03\xFD", 6), ""},
      {"12  34", "", "Two blanks in a row after byte 1"},
      {"123", "", "'123' is not one byte"},
      {"1", "", "'1' is not one byte"},
      {"FEFE00E003FD", "", "with a blank between bytes"},
      {"FE FX", "", "'FX' is not a hex byte"},
      {std::string("12\0"
                   "34",
                   5),
       "", "is not a hex byte"},
      {"", "", "holds no byte"},
      {"   ", "", "holds no byte"},
  };
  for (const auto& c : cases) {
    if (c.error.empty()) {
      EXPECT_EQ(TypedHexBytes(c.in), c.want) << c.in;
      continue;
    }
    try {
      TypedHexBytes(c.in);
      ADD_FAILURE() << "taken: " << c.in;
    } catch (const EConvertError& e) {
      EXPECT_NE(std::string(e.what()).find(c.error), std::string::npos) << e.what();
    }
  }
}

TEST(TextIntegers, StrToInt) {
  struct Case {
    std::string in;
    bool ok;
    int want;
  };
  const std::vector<Case> cases = {
      {"400", true, 400},
      {"  25", true, 25},
      {"-5", true, -5},
      {"+7", true, 7},
      {"$1F", true, 31},
      {"0x10", true, 16},
      {"", false, 0},
      {"4a", false, 0},
      {"25 ", false, 0},
      {"-", false, 0},
      {"2147483647", true, 2147483647},
      {"2147483648", false, 0},
      {"-2147483648", true, -2147483647 - 1},
  };
  for (const auto& c : cases) {
    int v = 0;
    EXPECT_EQ(TryStrToInt(c.in, v), c.ok) << c.in;
    if (c.ok) {
      EXPECT_EQ(v, c.want) << c.in;
    }
  }
  try {
    StrToInt("4x");
    FAIL();
  } catch (const EConvertError& e) {
    EXPECT_STREQ(e.what(), "'4x' is not a valid integer value");
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
