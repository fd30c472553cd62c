#include "rig/yaesu.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "base/errors.h"
#include "base/text.h"
#include "rig/coverage.h"
#include "rig/fake_rig_io.h"

namespace varnek {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using varnek::testing::RigBench;

std::vector<std::string> Record(const std::string& channelLine, const std::string& hex) {
  std::vector<std::string> lines = {channelLine};
  HexDumpLines(HexTextToBytes(hex), lines);
  return lines;
}

// The same record arriving as clusters of `size` bytes.
std::vector<std::string> SplitRecord(const std::string& channelLine, const std::string& hex,
                                     size_t size) {
  std::vector<std::string> lines = {channelLine};
  const std::string bytes = HexTextToBytes(hex);
  for (size_t i = 0; i < bytes.size(); i += size)
    HexDumpLines(bytes.substr(i, size), lines);
  return lines;
}

TEST(YaesuCommands, WriteBurst) {
  struct Case {
    std::string model, channel, freq, mode;
    std::string want;  // empty: not sent
    bool refused;
  };
  const std::vector<Case> cases = {
      {"FT-1000", "12", "14.250.000", "USB", "00 00 00 01 0C 00 50 42 01 0A 00 00 00 0B 03", false},
      {"FT-920", "12", "14.250.000", "USB", "00 00 00 01 0C 00 50 42 01 0A 00 00 00 0C 03", false},
      {"FT-920", "12", "7.030.000", "CW", "00 00 00 03 0C 00 30 70 00 0A 00 00 00 0C 03", false},
      {"FT-920", "12", "14.030.000", "CW", "00 00 00 02 0C 00 30 40 01 0A 00 00 00 0C 03", false},
      {"FT-920", "1", "50.150.000", "SSB", "00 00 00 01 0C 00 50 01 05 0A 00 00 00 01 03", false},
      {"FT-1000", "99", "3.699.000", "RTTY", "00 00 00 08 0C 00 99 36 00 0A 00 00 00 62 03", false},
      {"FT-1000", "12", "14.100.000", "PKT-U", "", true},
      {"FT-920", "12", "14.100.000", "PKT-U", "", true},
      {"FT-920", "12", "1296.200.000", "FM", "", true},
      {"FT-817", "12", "14.250.000", "USB", "", true},
      // The FT-1000 family has no channel below 1: skipped without a word.
      {"FT-1000", "00", "14.250.000", "USB", "", false},
  };
  for (const auto& c : cases) {
    const RigCommand got = YaesuWriteBurst(c.channel, c.freq, c.mode, c.model);
    const std::string what = c.model + " " + c.channel + " " + c.freq + " " + c.mode;
    EXPECT_EQ(got.text, c.want) << what;
    EXPECT_EQ(!got.refusal.empty(), c.refused) << what;
  }
  EXPECT_THAT(YaesuWriteBurst("12", "14.1", "PKT-U", "FT-920").refusal, HasSubstr("PKT-U"));
  EXPECT_THAT(YaesuWriteBurst("12", "1296.200.000", "FM", "FT-920").refusal, HasSubstr("12"));
  EXPECT_EQ(YaesuWriteBurst("12", "7.0", "CW", "FT-817").refusal, "No memory layout for FT-817");
  // Stored from the VFO: an empty row would store whatever the VFO holds.
  EXPECT_EQ(YaesuWriteBurst("12", "", "USB", "FT-1000").refusal, rigops::NoFreqRefusal("12"));
}

TEST(YaesuParser, Records) {
  using S = ChannelAnswer::Status;
  struct Case {
    std::string model;
    std::vector<std::string> lines;
    S status;
    std::string freq, mode;
  };
  const std::vector<Case> cases = {
      {"FT-920", Record("#12", "00 00 D9 70 10 00 00 40 00 00 00 00 00 00"), S::Channel,
       " 14.250.000", "USB"},
      {"FT-920", Record("#12", "00 00 6B 93 10 00 00 01"), S::Channel, "   7.050.000", "CW"},
      {"FT-920", Record("#12", "00 00 D9 70 10 00 00 77"), S::Channel, " 14.250.000", "?"},
      {"FT-1000", Record("#12", "00 01 5B E6 80 00 00 01 00 00 00 00 00 00 00 00"), S::Channel,
       " 14.250.000", "USB"},
      {"FT-1000", Record("#12", "00 00 D9 6D 00 00 00 02"), S::Channel, "   8.905.760", "CW"},
      // The record's own mode table, not the set-mode one.
      {"FT-1000", Record("#12", "00 00 D9 6D 00 00 00 02 80"), S::Channel, "   8.905.760", "CW-R"},
      {"FT-1000", Record("#12", "00 00 D9 6D 00 00 00 02 7F"), S::Channel, "   8.905.760", "CW"},
      {"FT-1000", Record("#12", "00 00 D9 6D 00 00 00 03 00"), S::Channel, "   8.905.760", "AM"},
      {"FT-1000", Record("#12", "00 00 D9 6D 00 00 00 04"), S::Channel, "   8.905.760", "FM"},
      {"FT-1000", Record("#12", "00 00 D9 6D 00 00 00 83"), S::Channel, "   8.905.760", "AM"},
      {"FT-1000", Record("#12", "00 00 D9 6D 00 00 00 05"), S::Channel, "   8.905.760", "DIGI"},
      {"FT-1000", Record("#12", "00 00 D9 6D 00 00 00 06 80"), S::Channel, "   8.905.760", "DIGI"},
      {"FT-1000", SplitRecord("#12", "00 00 D9 6D 00 00 00 02 80 00", 1), S::Channel,
       "   8.905.760", "CW-R"},
      {"FT-920", SplitRecord("#12", "00 00 D9 70 10 00 00 40 00 00", 3), S::Channel, " 14.250.000",
       "USB"},
      {"FT-920", SplitRecord("#12", "00 00 D9 70 10", 5), S::Nothing, "", ""},
      // A later read's "#" line is no part of the record.
      {"FT-920", {"#12", " 00 00 D9 70 10                : .......", "#13"}, S::Nothing, "", ""},
      {"FT-1000", Record("#12", "90 00 00 00 00 00 00 00"), S::Empty, "", ""},
      {"FT-920", Record("#12", "00 00 00 00 00 00 00 40"), S::Nothing, "", ""},
      {"FT-920", Record("#12", "00 00 00 00 10 00 00 40"), S::Channel, "   0.000.016", "USB"},
      {"FT-920", Record("#12", "8B 00 00 00 00 00 00 00"), S::Empty, "", ""},
      {"FT-920", {"#12"}, S::Nothing, "", ""},  // no record yet: no word on the channel
      {"FT-920", {}, S::NoTranscript, "", ""},
      {"FT-817", Record("#12", "00 00 D9 70 10 00 00 40"), S::Nothing, "", ""},
  };
  for (size_t i = 0; i < cases.size(); ++i) {
    const auto& c = cases[i];
    const ChannelAnswer a = ParseYaesuRecord(c.lines, c.model);
    EXPECT_EQ(a.status, c.status) << "case " << i;
    EXPECT_EQ(a.freq, c.freq) << "case " << i;
    EXPECT_EQ(a.mode, c.mode) << "case " << i;
  }
}

TEST(YaesuParser, ChannelFromTheRequestLine) {
  const std::string rec = "00 00 D9 70 10 00 00 40";
  EXPECT_EQ(ParseYaesuRecord(Record("#12", rec), "FT-920").channel, "12");
  EXPECT_EQ(ParseYaesuRecord(Record("#5", rec), "FT-920").channel, "05");
  EXPECT_EQ(ParseYaesuRecord(Record("#Rec", rec), "FT-920").channel, "");
  std::vector<std::string> noLine;
  HexDumpLines(HexTextToBytes("00 " + rec), noLine);
  EXPECT_EQ(ParseYaesuRecord(noLine, "FT-920").channel, "");
}

TEST(YaesuOperations, ReadSequences) {
  struct Case {
    std::string model;
    std::vector<std::string> sends;
    std::string edit1, edit2;
  };
  const std::vector<Case> cases = {
      {"FT-920",
       {"send 00 00 00 12 0E", "send 0C 00 00 04 10"},
       "00 00 00 12 0E",
       "0C 00 00 04 10"},
      {"FT-1000", {"send 00 00 00 12 0E", "send 0B 00 00 04 10"}, "0B 00 00 04 10", ""},
  };
  for (const auto& c : cases) {
    RigBench b(c.model, 100, 10);
    b.set().ReadChannel(b.ctx(), "12");
    EXPECT_EQ(b.io.Trace(), (std::vector<std::string>{c.sends[0], "sleep 10", c.sends[1],
                                                      "sleep 100", "sleep 100", "sleep 100",
                                                      "sleep 100", "sleep 100", "sleep 100"}))
        << c.model;
    EXPECT_THAT(b.io.lines, ElementsAre("#12")) << c.model;
    EXPECT_EQ(b.io.edit[1], c.edit1) << c.model;
    EXPECT_EQ(b.io.edit[2], c.edit2) << c.model;
  }
  // An answer in the transcript ends the wait at the first look.
  RigBench b("FT-920", 100, 10);
  b.io.onSend = [&](const std::string& hex) {
    if (hex.ends_with("04 10")) b.io.ReceiveBytes(HexTextToBytes("00 00 D9 70 10 00 00 40"));
  };
  b.set().ReadChannel(b.ctx(), "12");
  EXPECT_EQ(b.host.Sleeps(), (std::vector<int>{10, 100, 100}));
}

TEST(YaesuOperations, NothingToSend) {
  RigBench none("FT-817");
  none.set().ReadChannel(none.ctx(), "12");
  none.set().WriteChannel(none.ctx(), "12", "14.250.000", "USB", "");
  EXPECT_FALSE(none.set().BeginClear(none.ctx()));
  EXPECT_TRUE(none.io.sent.empty());
  EXPECT_EQ(none.host.Messages(), std::vector<std::string>(3, "No memory layout for FT-817"));

  RigBench zero("FT-1000");
  zero.set().ReadChannel(zero.ctx(), "00");
  zero.set().WriteChannel(zero.ctx(), "00", "14.250.000", "USB", "");
  EXPECT_FALSE(zero.set().ClearChannel(zero.ctx(), 0).has_value());
  EXPECT_TRUE(zero.io.sent.empty());
  EXPECT_TRUE(zero.host.Events().empty());

  RigBench high("FT-920");
  high.set().WriteChannel(high.ctx(), "07", "1296.200.000", "FM", "");
  EXPECT_TRUE(high.io.sent.empty());
  ASSERT_EQ(high.host.Messages().size(), 1u);
  EXPECT_THAT(high.host.Messages()[0], HasSubstr("07"));
}

TEST(YaesuOperations, WriteSequence) {
  RigBench b("FT-1000", 100, 10);
  b.form.lbChan.SetCaption("12");
  b.set().WriteChannel(b.ctx(), "12", "14.250.000", "USB", "");
  EXPECT_THAT(b.io.Trace(),
              ElementsAre("send 00 00 00 01 0C 00 50 42 01 0A 00 00 00 0B 03", "pm", "sleep 100",
                          "image closed", "pm", "sleep 100", "image open", "pm"));
  EXPECT_EQ(b.io.edit[1], "00 00 00 01 0C 00 50 42 01 0A 00 00 00 0B 03");
  EXPECT_EQ(b.form.lbChan.Caption(), "12 ok");
  EXPECT_TRUE(b.form.shared.ChannelSent);
}

TEST(YaesuOperations, ClearCommands) {
  RigBench b("FT-1000", 100, 10);
  EXPECT_TRUE(b.set().BeginClear(b.ctx()));
  EXPECT_TRUE(b.set().ClearChannel(b.ctx(), 5).has_value());
  EXPECT_TRUE(b.set().ClearChannel(b.ctx(), 12).has_value());
  EXPECT_THAT(b.io.Trace(), ElementsAre("send 00 00 00 12 0E", "sleep 10", "send 00 00 01 04 03",
                                        "send 00 00 01 0B 03"));
  EXPECT_EQ(b.io.edit[1], "00 00 00 12 0E");
  EXPECT_EQ(b.io.edit[2], "00 00 01 0B 03");
  RigBench n("FT-920");
  EXPECT_TRUE(n.set().ClearChannel(n.ctx(), 12).has_value());
  EXPECT_THAT(n.io.sent, ElementsAre("00 00 01 0C 03"));
}

TEST(YaesuOperations, ParseStores) {
  RigBench b("FT-920");
  b.form.lbChan.SetCaption("12");
  b.io.lines = Record("#12", "00 00 D9 70 10 00 00 40");
  b.set().ParseAnswer(b.ctx());
  EXPECT_EQ(b.form.A[12].Text(), " 14.250.000");
  EXPECT_EQ(b.form.M[12].Text(), "USB");

  // A record finishing after the next request set the status label stays
  // with the channel it was asked for.
  RigBench late("FT-920");
  late.form.lbChan.SetCaption("13");
  late.io.lines = Record("#12", "00 00 6B 93 10 00 00 01");
  late.set().ParseAnswer(late.ctx());
  EXPECT_EQ(late.form.A[12].Text(), "   7.050.000");
  EXPECT_EQ(late.form.A[13].Text(), "");

  RigBench e("FT-1000");
  e.form.lbChan.SetCaption("12");
  e.form.A[12].SetText("7.000.000");
  e.io.lines = Record("#12", "90 00 00 00 00 00 00 00");
  e.set().ParseAnswer(e.ctx());
  EXPECT_EQ(e.form.lbChan.Caption(), "Empty");
  EXPECT_TRUE(e.form.lbChan.Visible());
  EXPECT_EQ(e.form.A[12].Text(), "7.000.000");

  RigBench m("FT-1000");
  m.set().ParseAnswer(m.ctx());
  EXPECT_THAT(m.host.Messages(), ElementsAre("No Rig Connection"));
}

TEST(RigNotices, CollectsDuringARun) {
  RigBench b("FT-920");
  b.notices.BeginCollecting();
  b.set().WriteChannel(b.ctx(), "03", "14.1", "PKT-U", "");
  b.set().WriteChannel(b.ctx(), "04", "1296.200.000", "FM", "");
  b.set().WriteChannel(b.ctx(), "03", "14.1", "PKT-U", "");
  b.set().WriteChannel(b.ctx(), "05", "14.250.000", "USB", "");
  EXPECT_TRUE(b.host.Messages().empty());
  EXPECT_EQ(b.io.sent.size(), 1u);  // the run went on with channel 05
  const std::string all = b.notices.EndCollecting();
  EXPECT_EQ(all, "Not transferred:\n" + rigops::ModeRefusal("03", "PKT-U") + "\n" +
                     CheckRowFreq("04", "1296.200.000", "FT-920").refusal);
  EXPECT_EQ(b.notices.EndCollecting(), "");
  b.set().WriteChannel(b.ctx(), "03", "14.1", "PKT-U", "");
  EXPECT_EQ(b.host.Messages().size(), 1u);
}

}  // namespace
}  // namespace varnek
