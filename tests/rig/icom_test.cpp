#include "rig/icom.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "base/errors.h"
#include "base/text.h"
#include "rig/fake_rig_io.h"

namespace varnek {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using varnek::testing::RigBench;

std::vector<std::string> Repeat(const std::string& s, int n) {
  return std::vector<std::string>(static_cast<size_t>(n), s);
}

std::vector<std::string> Cat(std::vector<std::vector<std::string>> parts) {
  std::vector<std::string> all;
  for (auto& p : parts)
    all.insert(all.end(), p.begin(), p.end());
  return all;
}

// The transcript the receive path makes of these clusters (hex texts).
std::vector<std::string> Dump(const std::vector<std::string>& clusters) {
  std::vector<std::string> lines;
  for (const auto& c : clusters)
    HexDumpLines(HexTextToBytes(c), lines);
  return lines;
}

TEST(IcomCommands, WriteFrames) {
  struct Case {
    std::string model, address, channel, freq, mode;
    std::vector<std::string> want;  // empty: refused
  };
  const std::vector<Case> cases = {
      {"IC-CI-V",
       "5C",
       "12",
       "14.250.000",
       "USB",
       {"FE FE 5C E0 08 00 12 FD 0D 0A", "FE FE 5C E0 05 00 00 25 14 00 FD 0D 0A",
        "FE FE 5C E0 06 01 FD 0D 0A", "FE FE 5C E0 09 FD 0D 0A"}},
      {"IC-CI-V",
       "00",
       "5",
       "144.300.000",
       "SSB",
       {"FE FE 00 E0 08 00 05 FD 0D 0A", "FE FE 00 E0 05 00 00 30 44 01 FD 0D 0A",
        "FE FE 00 E0 06 01 FD 0D 0A", "FE FE 00 E0 09 FD 0D 0A"}},
      {"IC-735",
       "04",
       "07",
       "7.050.000",
       "CW",
       {"FE FE 04 E0 08 00 07 FD 0D 0A", "FE FE 04 E0 05 00 00 05 07 FD 0D 0A",
        "FE FE 04 E0 06 03 FD 0D 0A", "FE FE 04 E0 09 FD 0D 0A"}},
      {"IC-735",
       "04",
       "07",
       "29.600.000",
       "FM",
       {"FE FE 04 E0 08 00 07 FD 0D 0A", "FE FE 04 E0 05 00 00 60 29 FD 0D 0A",
        "FE FE 04 E0 06 05 FD 0D 0A", "FE FE 04 E0 09 FD 0D 0A"}},
      {"IC-735", "04", "07", "145.000.000", "FM", {}},
      {"IC-706",
       "58",
       "99",
       "50.125.000",
       "CW-R",
       {"FE FE 58 E0 08 00 99 FD 0D 0A", "FE FE 58 E0 05 00 50 12 50 00 FD 0D 0A",
        "FE FE 58 E0 06 07 FD 0D 0A", "FE FE 58 E0 09 FD 0D 0A"}},
      {"IC-970",
       "2E",
       "01",
       "1296.200.000",
       "FM",
       {"FE FE 2E E0 08 00 01 FD 0D 0A", "FE FE 2E E0 05 00 00 20 96 12 FD 0D 0A",
        "FE FE 2E E0 06 05 FD 0D 0A", "FE FE 2E E0 09 FD 0D 0A"}},
      {"IC-CI-V", "00", "05", "14.100.000", "PKT-U", {}},
      {"IC-CI-V", "00", "05", "14.100.000", "", {}},
  };
  for (const auto& c : cases) {
    const IcomWrite w = IcomWriteFrames(c.channel, c.freq, c.mode, c.model, c.address, true);
    std::vector<std::string> got;
    for (const auto& f : w.frames)
      got.push_back(BytesToHexText(f));
    const std::string what = c.model + " " + c.freq + " " + c.mode;
    EXPECT_EQ(got, c.want) << what;
    EXPECT_EQ(w.refusal.empty(), !c.want.empty()) << what;
    if (c.want.empty()) {
      EXPECT_THAT(w.refusal, HasSubstr(c.channel));
    }
  }
  EXPECT_THAT(IcomWriteFrames("12", "14.1", "PKT-U", "IC-CI-V", "00", true).refusal,
              HasSubstr("PKT-U"));
  // The echo shows the address as typed and the frequency bytes as text.
  const IcomWrite w = IcomWriteFrames("12", "14.250.000", "USB", "IC-CI-V", "5C", false);
  EXPECT_THAT(w.echoes, ElementsAre("FE FE 5C E0 08 00 12 FD", "FE FE 5C E0 05 00 00 25 14 00 FD",
                                    "FE FE 5C E0 06 01 FD", "FE FE 5C E0 09 FD"));
  EXPECT_EQ(BytesToHexText(w.frames[3]), "FE FE 5C E0 09 FD");
  EXPECT_THROW(IcomWriteFrames("12", "14.250.000", "USB", "IC-CI-V", "G1", true), EConvertError);
}

TEST(IcomParser, Transcripts) {
  using S = ChannelAnswer::Status;
  const std::string echo = "FE FE 00 E0 08 00 05 FD";
  const std::string ack = "FE FE E0 00 FB FD";
  const std::string freq = "FE FE E0 00 03 00 00 25 14 00 FD";
  struct Case {
    std::string model;
    std::vector<std::string> lines;
    std::string outstanding;
    S status;
    std::string channel, freq, mode;
  };
  const std::vector<Case> cases = {
      {"IC-CI-V", Dump({echo, ack, freq, "FE FE E0 00 04 01 02 FD"}), "", S::Channel, "05",
       "  14.250.000", "USB"},
      // All in one cluster, with the echo of the two queries in between.
      {"IC-CI-V",
       Dump({echo + " " + ack + " FE FE 00 E0 03 FD " + freq + " FE FE 00 E0 04 FD " +
             "FE FE E0 00 04 03 01 FD"}),
       "", S::Channel, "05", "  14.250.000", "CW"},
      {"IC-CI-V", Dump({echo, ack, freq}), "", S::Channel, "05", "  14.250.000", "USB"},
      {"IC-CI-V", Dump({echo, ack, freq, "FE FE E0 00 04 11 FD"}), "", S::Channel, "05",
       "  14.250.000", "AM"},
      // A late acknowledgement of the request before: the mode is still read.
      {"IC-CI-V", Dump({ack, echo, ack, freq, "FE FE E0 00 04 07 01 FD"}), "", S::Channel, "05",
       "  14.250.000", "CW-R"},
      {"IC-CI-V", Dump({echo, ack, "FE FE E0 00 03 00 00 05 07 00 FD", "FE FE E0 00 04 12 FD"}), "",
       S::Channel, "05", "    7.050.000", "LSB"},
      {"IC-CI-V", Dump({echo, "FE FE E0 00 FA FD"}), "", S::Nothing, "05", "", ""},
      {"IC-CI-V", Dump({echo, ack, "FE FE E0 00 03 FF FD"}), "", S::Empty, "05", "", ""},
      // No bus echo: the outstanding read names the channel, or nothing does.
      {"IC-CI-V", Dump({freq, "FE FE E0 00 04 05 01 FD"}), "07", S::Channel, "07", "  14.250.000",
       "FM"},
      {"IC-CI-V", Dump({freq}), "", S::Channel, "", "  14.250.000", "USB"},
      // The echo wins over the outstanding record.
      {"IC-CI-V", Dump({echo, freq}), "07", S::Channel, "05", "  14.250.000", "USB"},
      {"IC-735",
       Dump({"FE FE 04 E0 08 00 05 FD", "FE FE E0 04 03 00 00 05 07 FD", "FE FE E0 04 04 03 FD"}),
       "", S::Channel, "05", "    7.050.000", "CW"},
      {"IC-CI-V", Dump({"FE FE 04 E0 08 00 05 FD", "FE FE E0 04 03 00 00 05 07 FD"}), "",
       S::Nothing, "05", "", ""},
      {"IC-CI-V",
       {"Rec 1", Dump({echo})[0], Dump({freq})[0], Dump({freq})[1]},
       "",
       S::Channel,
       "05",
       "  14.250.000",
       "USB"},
      {"IC-CI-V", {}, "", S::NoTranscript, "", "", ""},
  };
  for (size_t i = 0; i < cases.size(); ++i) {
    const auto& c = cases[i];
    const ChannelAnswer a = ParseIcomAnswer(c.lines, c.model, c.outstanding);
    EXPECT_EQ(a.status, c.status) << "case " << i;
    EXPECT_EQ(a.channel, c.channel) << "case " << i;
    EXPECT_EQ(a.freq, c.freq) << "case " << i;
    EXPECT_EQ(a.mode, c.mode) << "case " << i;
  }
}

TEST(IcomOperations, ReadSequence) {
  RigBench b("IC-CI-V", 100, 10, 5);
  b.set().ReadChannel(b.ctx(), "5");
  EXPECT_EQ(b.io.Trace(), Cat({{"pm", "send FE FE 00 E0 08 00 05 FD 0D 0A"},
                               Repeat("sleep 5", 6),
                               {"pm", "send FE FE 00 E0 03 FD 0D 0A", "sleep 10", "refresh", "pm",
                                "send FE FE 00 E0 04 FD 0D 0A", "sleep 200"}}));
  EXPECT_EQ(b.io.edit[1], "FE FE 00 E0 08 00 05 FD");
  EXPECT_EQ(b.io.edit[2], "FE FE 00 E0 03 FD");
  EXPECT_EQ(b.io.edit[3], "FE FE 00 E0 04 FD");
  EXPECT_EQ(b.io.OutstandingRead(), "05");
}

TEST(IcomOperations, AcknowledgementEndsTheWait) {
  RigBench b("IC-CI-V", 100, 10, 5);
  b.io.onSend = [&](const std::string&) { b.io.ReceiveBytes(HexTextToBytes("FE FE E0 00 FB FD")); };
  b.set().ReadChannel(b.ctx(), "05");
  EXPECT_EQ(b.host.Sleeps(), (std::vector<int>{5, 10, 200}));
}

TEST(IcomOperations, WriteSequence) {
  RigBench b("IC-CI-V", 100, 10, 5);
  b.form.shared.CivAddress = "5C";
  b.form.lbChan.SetCaption("12");
  b.set().WriteChannel(b.ctx(), "12", "14.250.000", "USB", "ignored");
  EXPECT_EQ(b.io.Trace(), Cat({{"pm", "send FE FE 5C E0 08 00 12 FD 0D 0A"},
                               Repeat("sleep 5", 6),
                               {"sleep 10"},
                               {"pm", "send FE FE 5C E0 05 00 00 25 14 00 FD 0D 0A"},
                               Repeat("sleep 5", 6),
                               {"sleep 10"},
                               {"pm", "send FE FE 5C E0 06 01 FD 0D 0A"},
                               Repeat("sleep 5", 6),
                               {"sleep 10"},
                               // The last pump takes in a late NG to the store.
                               {"pm", "send FE FE 5C E0 09 FD 0D 0A", "image closed", "pm",
                                "sleep 100", "image open", "pm", "sleep 200", "pm"}}));
  EXPECT_EQ(b.io.edit[4], "FE FE 5C E0 09 FD");
  EXPECT_EQ(b.form.lbChan.Caption(), "12 ok");
  EXPECT_TRUE(b.form.shared.ChannelSent);
}

TEST(IcomOperations, RefusedWriteSendsNothing) {
  RigBench b("IC-735", 100, 10, 5);
  b.set().WriteChannel(b.ctx(), "03", "145.500.000", "FM", "");
  EXPECT_TRUE(b.io.sent.empty());
  EXPECT_FALSE(b.form.shared.ChannelSent);
  ASSERT_EQ(b.host.Messages().size(), 1u);
  EXPECT_THAT(b.host.Messages()[0], HasSubstr("03"));
  // A malformed address stops the write before anything is sent.
  b.form.shared.CivAddress = "X";
  EXPECT_THROW(b.set().WriteChannel(b.ctx(), "03", "7.050.000", "CW", ""), EConvertError);
  EXPECT_TRUE(b.io.sent.empty());
}

TEST(IcomOperations, ClearSequence) {
  RigBench b("IC-CI-V", 100, 10, 5);
  b.set().ClearChannel(b.ctx(), 1);
  EXPECT_EQ(b.io.Trace(), Cat({{"send FE FE 00 E0 08 00 01 FD 0D 0A"},
                               Repeat("sleep 20", 6),
                               {"sleep 20", "send FE FE 00 E0 0B FD 0D 0A"}}));
  EXPECT_EQ(b.io.edit[2], "FE FE 00 E0 0B FD");
  b.host.ClearEvents();
  b.io.ReceiveBytes(HexTextToBytes("FE FE E0 00 FB FD"));
  b.set().ClearChannel(b.ctx(), 2);
  EXPECT_EQ(b.host.Sleeps(), (std::vector<int>{20, 20}));
}

// Without the bus echo the parser stores into the channel the read asked
// for, until anything else reaches the rig or the transcript is wiped.
TEST(IcomOperations, OutstandingReadWithoutEcho) {
  const std::string freq = "FE FE E0 00 03 00 00 25 14 00 FD";
  RigBench b("IC-CI-V");
  b.set().ReadChannel(b.ctx(), "07");
  b.io.ReceiveBytes(HexTextToBytes(freq));
  b.set().ParseAnswer(b.ctx());
  EXPECT_EQ(b.form.A[7].Text(), "  14.250.000");
  EXPECT_EQ(b.io.decodedFreq, "  14.250.000");

  struct Case {
    const char* what;
    std::function<void(RigBench&)> between;
  };
  const std::vector<Case> cases = {
      {"another send", [](RigBench& r) { IcomVfoA(r.ctx()); }},
      {"a transcript clear", [](RigBench& r) { r.io.ClearTranscript(); }},
      {"a write", [](RigBench& r) { r.set().WriteChannel(r.ctx(), "09", "7.100.000", "LSB", ""); }},
  };
  for (const auto& c : cases) {
    RigBench r("IC-CI-V");
    r.set().ReadChannel(r.ctx(), "07");
    c.between(r);
    r.io.ReceiveBytes(HexTextToBytes(freq));
    r.set().ParseAnswer(r.ctx());
    EXPECT_EQ(r.form.A[7].Text(), "") << c.what;
    EXPECT_FALSE(r.io.OutstandingRead().has_value()) << c.what;
  }
}

TEST(IcomOperations, EmptyTranscript) {
  RigBench b("IC-CI-V");
  b.set().ParseAnswer(b.ctx());
  EXPECT_THAT(b.host.Messages(), ElementsAre("No Rig Reaction"));
  EXPECT_EQ(b.io.decodedFreq, "-");
}

}  // namespace
}  // namespace varnek
