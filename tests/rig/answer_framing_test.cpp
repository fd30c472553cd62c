#include "rig/answer_framing.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/text.h"
#include "rig/family.h"

namespace varnek {
namespace {

AnswerFraming Ascii(size_t memoryAnswer = 0, size_t idAnswer = 0) {
  return {AnswerFraming::Kind::Ascii, 0, memoryAnswer, idAnswer};
}
AnswerFraming Civ() {
  return {AnswerFraming::Kind::Civ, 0};
}
AnswerFraming Record(size_t n) {
  return {AnswerFraming::Kind::Record, n};
}

TEST(AnswerFraming, EachModelCodeGetsItsFamilysFraming) {
  const struct {
    const char* code;
    AnswerFraming want;
  } cases[] = {
      {"TS-570", Ascii(24, 6)},  {"TS-2000", Ascii(42, 6)},   {"FT-2000", Ascii(27, 7)},
      {"IC-CI-V", Civ()},        {"IC-735", Civ()},           {"FT-1000", Record(16)},
      {"FT-1000MP", Record(16)}, {"FT-920", Record(14)},      {"FT-847", AnswerFraming{}},
      {"", AnswerFraming{}},     {"ic-706", AnswerFraming{}},
  };
  for (const auto& c : cases)
    EXPECT_EQ(FramingFor(c.code), c.want) << c.code;
}

// The I/O thread sleeps for what an answer still lacks: never longer than
// the shortest answer that can follow, so nothing waits past its end.
TEST(AnswerFraming, ShortfallIsWhatTheAnswerStillNeedsAtLeast) {
  const struct {
    AnswerFraming framing;
    std::string pending;
    size_t want;
  } cases[] = {
      {Ascii(24), "M", 23},          {Ascii(24), "MR0 05000", 15},
      {Ascii(24, 6), "I", 5},        {Ascii(24, 7), "ID02", 3},
      {Ascii(24), "MD", 0},          {Ascii(24), "?", 1},
      {Ascii(42), "MR0005", 36},     {Ascii(24), std::string(30, 'M'), 0},
      {Ascii(), "MR0 05", 0},        {Record(16), std::string(5, '\0'), 11},
      {Record(0), "x", 0},           {Civ(), "\xFE\xFE", 0},
  };
  for (const auto& c : cases)
    EXPECT_EQ(AnswerShortfall(c.framing, c.pending), c.want) << c.pending;
}

TEST(AnswerFraming, CompleteLengthEndsAtTheLastWholeAnswer) {
  const std::string fd = HexTextToBytes("FE FE E0 00 FB FD");
  const struct {
    AnswerFraming framing;
    std::string bytes;
    size_t want;
  } cases[] = {
      {Ascii(), "", 0},
      {Ascii(), "MR0 05000", 0},
      {Ascii(), "ID019;", 6},
      {Ascii(), "ID019;MR0 0", 6},
      {Ascii(), "?;E;O;", 6},
      {Civ(), fd.substr(0, 5), 0},
      {Civ(), fd, 6},
      {Civ(), fd + fd.substr(0, 3), 6},
      {Civ(), fd + fd, 12},
      {Record(16), std::string(15, '\x90'), 0},
      {Record(16), std::string(16, '\x90'), 16},
      {Record(16), std::string(40, '\0'), 32},
      {Record(0), std::string(40, '\0'), 0},
      {AnswerFraming{}, "ID019;", 0},
  };
  for (const auto& c : cases)
    EXPECT_EQ(CompleteAnswersLength(c.framing, c.bytes), c.want) << BytesToHexText(c.bytes);
}

// Counts of a stream fed in one piece and fed cut at every place agree.
struct Stream {
  const char* what;
  AnswerFraming framing;
  std::string bytes;
  uint64_t answers, ids;
};

std::vector<Stream> Streams() {
  const std::string echo = HexTextToBytes("FE FE 5C E0 08 00 12 FD");
  const std::string ack = HexTextToBytes("FE FE E0 5C FB FD");
  const std::string freq = HexTextToBytes("FE FE E0 5C 03 00 40 07 14 00 FD");
  return {
      {"a read answer and the identity", Ascii(), "MR0 050001425000020000 ;ID019;", 2, 1},
      {"refusals are answers", Ascii(), "?;E;", 2, 0},
      {"CR LF and noise before an answer", Ascii(), "\r\n\x01ID019;", 1, 1},
      {"a lone ';' is none", Ascii(), ";;ID019;", 1, 1},
      {"CI-V echoes are not the rig's", Civ(), echo + ack + echo + freq, 2, 0},
      {"CI-V with CR LF after our frames", Civ(), echo + "\r\n" + ack, 1, 0},
      {"CI-V noise without a preamble", Civ(), HexTextToBytes("12 34 FD") + ack, 1, 0},
      {"two FT-920 records", Record(14), std::string(28, '\x01'), 2, 0},
      {"a record and a half", Record(16), std::string(24, '\x01'), 1, 0},
  };
}

TEST(AnswerTally, CountsTheSameHoweverTheStreamIsCut) {
  for (const Stream& s : Streams()) {
    for (size_t cut = 0; cut <= s.bytes.size(); ++cut) {
      AnswerTally t;
      t.Restart(s.framing);
      t.Feed(s.bytes.substr(0, cut));
      t.Feed(s.bytes.substr(cut));
      EXPECT_EQ(t.Answers(), s.answers) << s.what << ", cut at " << cut;
      EXPECT_EQ(t.IdAnswers(), s.ids) << s.what << ", cut at " << cut;
    }
  }
}

TEST(AnswerTally, RestartDropsAPartialAnswerButKeepsTheCounts) {
  AnswerTally t;
  t.Restart(Ascii());
  t.Feed("ID019;ID0");
  t.Restart(Ascii());
  // The rest of a cut answer is no identity answer.
  t.Feed("19;");
  EXPECT_EQ(t.Answers(), 2u);
  EXPECT_EQ(t.IdAnswers(), 1u);
}

TEST(AnswerTally, EndlessNoiseIsBoundedAndAnswersAfterItCount) {
  AnswerTally t;
  t.Restart(Civ());
  for (int i = 0; i < 1000; ++i)
    t.Feed(std::string(1000, '\x55'));
  t.Feed(HexTextToBytes("FE FE E0 00 FB FD"));
  EXPECT_EQ(t.Answers(), 1u);
}

TEST(AnswerTally, NothingIsCountedWithoutAFraming) {
  AnswerTally t;
  t.Feed("ID019;");
  EXPECT_EQ(t.Answers(), 0u);
}

}  // namespace
}  // namespace varnek
