// The IC-7300's memory-contents record (1A 00) against bytes worked out by
// hand from the rig's CI-V reference: offsets count from the first data
// byte after "1A 00"; 0-1 channel (BCD, high pair first), 2 split<<4 |
// group, 3-7 frequency (BCD, low pair first), 8 mode, 9 filter, 10
// data<<4 | tone type, 11-13 and 14-16 the tones (BCD tenths of a hertz),
// 17-30 the transmit block in the 41-byte form, then ten name characters.
#include "rig/icom_memory.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <map>

#include "base/text.h"
#include "rig/fake_rig_io.h"

namespace varnek {
namespace {

using ::testing::HasSubstr;
using varnek::testing::RigBench;

std::string Hex(const std::string& bytes) {
  return BytesToHexText(bytes);
}

std::vector<std::string> Dump(const std::vector<std::string>& frames) {
  std::vector<std::string> lines;
  for (const auto& f : frames)
    HexDumpLines(HexTextToBytes(f), lines);
  return lines;
}

constexpr const char* kFt8 = "46 54 38 20 20 20 20 20 20 20";        // "FT8"
constexpr const char* kNorth = "52 50 54 20 4E 4F 52 54 48 20";      // "RPT NORTH"
constexpr const char* kBlanks = "20 20 20 20 20 20 20 20 20 20";

struct RecordCase {
  const char* what;
  std::string data;  // after "1A 00", channel included
  std::string channel, freq, mode, name;
  KeptFields kept;
  size_t length;     // the write's record length
};

// Each record both ways: the rig's answer parses into the row, and the row
// (with what it kept) writes exactly these bytes.
TEST(Ic7300Record, BothWaysInBothLengths) {
  const std::string rx1474 = "00 40 07 14 00 01 01 00 00 08 85 00 08 85";
  const std::string rxRpt = "00 00 62 29 00 05 01 02 00 10 00 00 10 35";
  const std::string txRpt = "00 00 52 29 00 05 01 02 00 10 00 00 10 35";
  const std::string rxData = "00 40 07 07 00 01 02 11 00 08 85 00 08 85";
  const KeptFields typed{"IC-7300", "00100000885000885", ""};
  const std::vector<RecordCase> cases = {
      {"typed row, long form: the receive block twice",
       "00 05 00 " + rx1474 + " " + rx1474 + " " + kFt8, "05", "14.074.000", "USB", "FT8", typed,
       41},
      {"typed row, short form", "00 05 00 " + rx1474 + " " + kFt8, "05", "14.074.000", "USB",
       "FT8", typed, 27},
      {"split, group 2, TSQL 103.5 Hz, repeater tone 100.0 Hz",
       "00 12 12 " + rxRpt + " " + txRpt + " " + kNorth, "12", "29.620.000", "FM", "RPT NORTH",
       {"IC-7300", "20102001000001035", "0029520000" "05" "01" "02" "001000" "001035"}, 41},
      {"FIL2, DATA, TONE, channel 99, no name", "00 99 00 " + rxData + " " + kBlanks, "99",
       "7.074.000", "USB", "", {"IC-7300", "00211000885000885", ""}, 27},
  };
  for (const RecordCase& c : cases) {
    SCOPED_TRACE(c.what);
    const auto answers =
        ParseIc7300Answers(Dump({"FE FE E0 94 1A 00 " + c.data + " FD"}), "IC-7300");
    ASSERT_EQ(answers.size(), 1u);
    const ChannelAnswer& a = answers[0];
    EXPECT_EQ(a.status, ChannelAnswer::Status::Channel);
    EXPECT_EQ(a.channel, c.channel);
    EXPECT_EQ(Trim(a.freq), c.freq);
    EXPECT_EQ(a.mode, c.mode);
    EXPECT_TRUE(a.hasName);
    EXPECT_EQ(a.name, c.name);
    EXPECT_EQ(a.kept, c.kept);
    const Ic7300Write w =
        Ic7300WriteBody(c.channel, c.freq, c.mode, c.name, c.kept, "IC-7300", c.length);
    EXPECT_EQ(w.refusal, "");
    EXPECT_EQ(Hex(w.body), "1A 00 " + c.data);
  }
  // Blank, the channel's own answer; an NG, the echo of our read and the
  // transceive frames (to 00) are nobody's record.
  const auto answers = ParseIc7300Answers(
      Dump({"FE FE 94 E0 1A 00 00 07 FD", "FE FE 00 94 00 00 40 07 14 00 FD",
            "FE FE E0 94 FA FD", "FE FE E0 E0 1A 00 00 08 FF FD", "FE FE E0 94 1A 00 00 07 FF FD"}),
      "IC-7300");
  ASSERT_EQ(answers.size(), 1u);
  EXPECT_EQ(answers[0].status, ChannelAnswer::Status::Empty);
  EXPECT_EQ(answers[0].channel, "07");
  EXPECT_EQ(Hex(Ic7300ClearBody("7")), "1A 00 00 07 FF");
  EXPECT_EQ(Hex(Ic7300ReadBody("42")), "1A 00 00 42");
}

// What is refused before anything is sent, each with its reason.
TEST(Ic7300Record, RefusedBeforeSending) {
  const KeptFields split{"IC-7300", "20102001000001035", "0029520000" "05" "01" "02" "001000" "001035"};
  struct Case {
    std::string freq, mode, name;
    KeptFields kept;
    size_t length;
    const char* why;
  } cases[] = {
      {"80.000.000", "USB", "", {}, 41, "outside what the IC-7300 can store"},
      {"14.074.000", "FM-N", "", {}, 41, "has no mode \"FM-N\""},
      {"14.074.000", "USB", "caf\xE9", {}, 41, "cannot hold ('\xE9')"},
      {"14.074.000", "USB", "", {"IC-7300", "00100000600000885", ""}, 41, "repeater tone (one of the rig's tones)"},
      {"14.074.000", "USB", "", {"IC-7300", "00400000885000885", ""}, 41, "filter (one of 01, 02, 03)"},
      {"29.620.000", "FM", "", split, 27, "cannot hold the split's transmit side"},
      {"29.620.000", "FM", "", {"IC-7300", split.fields, "0080000000" + split.tx.substr(10)}, 41,
       "transmit side 80.000.000 is outside"},
  };
  for (const Case& c : cases) {
    const Ic7300Write w = Ic7300WriteBody("05", c.freq, c.mode, c.name, c.kept, "IC-7300", c.length);
    EXPECT_THAT(w.refusal, HasSubstr(c.why)) << c.why;
    EXPECT_EQ(w.body, "") << c.why;
  }
}

// A simulated IC-7300 behind the fake line: records of `length` bytes,
// and an NG to whatever `ng` names ("read", "write", "clear").
struct Rig {
  RigBench& b;
  size_t length;
  std::string ng;
  std::map<std::string, std::string> memory;  // channel hex → record bytes after c1 c2

  void Answer(const std::string& sentHex) {
    const std::string frame = HexTextToBytes(sentHex);
    const std::string body = frame.substr(4, frame.find('\xFD') - 4);
    const std::string ch = Hex(body.substr(2, 2));
    const std::string kind = body.size() == 4 ? "read" : body.size() == 5 ? "clear" : "write";
    std::string reply;
    if (ng == kind || (kind == "write" && body.size() - 2 != length)) {
      reply = "FE FE E0 94 FA FD";
    } else if (kind == "read") {
      const auto it = memory.find(ch);
      reply = "FE FE E0 94 1A 00 " + ch + " " + (it == memory.end() ? "FF" : it->second) + " FD";
    } else {
      if (kind == "clear") memory.erase(ch);
      if (kind == "write") memory[ch] = Hex(body.substr(4));
      reply = "FE FE E0 94 FB FD";
    }
    b.io.ReceiveBytes(HexTextToBytes(reply));
    b.answers.tally.Feed(HexTextToBytes(reply));
  }
};

// The two record lengths and an NG to each command, answer-paced and with
// fixed pacing: the write learns the length from a read of the rig (a blank
// channel tells nothing, then the long form is tried before the short one);
// an NG refuses the channel and claims nothing.
TEST(Ic7300Operations, RecordLengthsAndRefusals) {
  const std::string record41 =
      "00 00 40 07 14 00 01 01 00 00 08 85 00 08 85 00 40 07 14 00 01 01 00 00 08 85 00 08 85 " +
      std::string(kBlanks);
  const std::string record27 = "00 00 40 07 14 00 01 01 00 00 08 85 00 08 85 " + std::string(kBlanks);
  struct Case {
    const char* what;
    size_t length;
    bool held;  // channel 05 holds a record before the write
    const char* ng;
    Exchange write, clear;
    std::vector<size_t> writes;  // the lengths of the writes sent, in order
  } cases[] = {
      {"long record, learned from the channel", 41, true, "", Exchange::Answered,
       Exchange::Answered, {41}},
      {"short record, learned from the channel", 27, true, "", Exchange::Answered,
       Exchange::Answered, {27}},
      {"long record, every channel blank", 41, false, "", Exchange::Answered, Exchange::Answered,
       {41}},
      {"short record, every channel blank: the long form first", 27, false, "", Exchange::Answered,
       Exchange::Answered, {41, 27}},
      {"NG to the write", 41, true, "write", Exchange::Refused, Exchange::Answered, {41}},
      {"NG to the clear", 27, true, "clear", Exchange::Answered, Exchange::Refused, {27}},
  };
  for (const bool paced : {true, false}) {
    for (const Case& c : cases) {
      SCOPED_TRACE(std::string(c.what) + (paced ? ", answer-paced" : ", fixed pacing"));
      RigBench b("IC-7300", 100, 10, 5);
      b.form.shared.CivAddress = "94";
      b.form.shared.WaitForAnswers = paced;
      b.answers.tally.Restart(FramingFor("IC-7300"));
      Rig rig{b, c.length, c.ng, {}};
      if (c.held) rig.memory["00 05"] = c.length == 41 ? record41 : record27;
      b.io.onSend = [&](const std::string& hex) { rig.Answer(hex); };
      const Exchange w =
          b.set().WriteChannel(b.ctx(), "05", "7.074.000", "LSB", "NET", {});
      EXPECT_EQ(w, paced || w == Exchange::Refused ? c.write : Exchange::Sent);
      std::vector<size_t> writes;
      for (const std::string& s : b.io.sent)
        if (const size_t n = Words(s).size(); n > 12) writes.push_back(n - 9);  // header, 1A 00, FD, CR LF
      EXPECT_EQ(writes, c.writes);
      if (c.write == Exchange::Refused) {
        ASSERT_EQ(b.host.Messages().size(), 1u);
        EXPECT_THAT(b.host.Messages()[0], HasSubstr("refused the record (NG)"));
        EXPECT_EQ(rig.memory.count("00 05"), c.held ? 1u : 0u);
      } else {
        EXPECT_EQ(b.answers.tally.MemoryRecordLength(), c.length);
        EXPECT_THAT(rig.memory["00 05"], HasSubstr("4E 45 54"));  // "NET"
      }
      const std::optional<Exchange> cleared = b.set().ClearChannel(b.ctx(), 5);
      EXPECT_EQ(cleared, paced || cleared == Exchange::Refused ? c.clear : Exchange::Sent);
      EXPECT_EQ(rig.memory.count("00 05") == 0, c.clear != Exchange::Refused);
    }
  }
  // A record of a length Varnek does not know: refused, naming it.
  RigBench b("IC-7300");
  b.answers.tally.NoteMemoryRecordLength(33);
  EXPECT_EQ(b.set().WriteChannel(b.ctx(), "05", "7.074.000", "LSB", "", {}), Exchange::NotSent);
  EXPECT_TRUE(b.io.sent.empty());
  ASSERT_EQ(b.host.Messages().size(), 1u);
  EXPECT_THAT(b.host.Messages()[0],
              HasSubstr("the rig answered a 1A 00 record of 33 bytes; Varnek knows 41 and 27"));
}

// A load reads with 1A 00 alone and stores what the rig holds, name and
// kept fields with it; an NG to the read leaves the row as it was.
TEST(Ic7300Operations, ReadStoresTheRecordAndAnNgNothing) {
  for (const char* ng : {"", "read"}) {
    RigBench b("IC-7300", 100, 10, 5);
    b.form.shared.CivAddress = "94";
    b.answers.tally.Restart(FramingFor("IC-7300"));
    Rig rig{b, 27, ng, {}};
    rig.memory["00 05"] =
        "00 00 40 07 07 00 01 02 11 00 08 85 00 08 85 4E 45 54 20 20 20 20 20 20 20";
    b.io.onSend = [&](const std::string& hex) { rig.Answer(hex); };
    b.set().BeforeReads(b.ctx());
    ASSERT_TRUE(b.set().ReadChannel(b.ctx(), "05"));
    b.set().AfterReadsBeforeWrites(b.ctx());
    ASSERT_EQ(b.io.sent.size(), 1u);
    EXPECT_EQ(b.io.sent[0], "FE FE 94 E0 1A 00 00 05 FD 0D 0A");
    const ChannelAnswer a = b.set().ParseAnswer(b.ctx());
    if (*ng) {
      EXPECT_EQ(a.status, ChannelAnswer::Status::Nothing);
      EXPECT_EQ(b.form.RowFreq(5), "");
      continue;
    }
    EXPECT_EQ(a.status, ChannelAnswer::Status::Channel);
    EXPECT_EQ(Trim(b.form.RowFreq(5)), "7.074.000");
    EXPECT_EQ(b.form.RowName(5), "NET");
    EXPECT_EQ(b.form.RowKept(5).fields, "00211000885000885");
  }
}

}  // namespace
}  // namespace varnek
