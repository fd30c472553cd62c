// What every simulated rig shares: faults, framing of answers, pacing and
// the log. Driven over the pty like the rig tests.
#include <gtest/gtest.h>

#include <chrono>
#include <regex>
#include <thread>

#include "sim/simulator.h"
#include "tests/sim/harness.h"
#include "tests/sim/line.h"

namespace varnek::sim::test {
namespace {

using Clock = std::chrono::steady_clock;

Options Rig(const std::string& name) {
  Options o;
  o.rig = name;
  o.echo = false;
  return o;
}

long MsSince(Clock::time_point t) {
  return static_cast<long>(
      std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - t).count());
}

struct FaultCase {
  std::string label;
  std::string rig;
  std::vector<std::string> control;  // armed while running
  Faults at_start;                   // or given at start
  std::string send;
  std::string expect;  // everything the client receives
};
void PrintTo(const FaultCase& c, std::ostream* os) {
  *os << c.label;
}

std::string CivCmd(int cmd) {
  return Bytes({0xFE, 0xFE, 0x00, 0xE0, cmd, 0xFD});
}
std::string CivAnswer(int code) {
  return Bytes({0xFE, 0xFE, 0xE0, 0x00, code, 0xFD});
}

std::vector<FaultCase> FaultCases() {
  Faults refuse_next, silence, refuse_all;
  refuse_next.refuse_next = true;
  silence.silence = true;
  refuse_all.refuse_all = true;
  const std::string ts570 = "Kenwood TS-570";
  return {
      {"RefuseNext", ts570, {"refuse next"}, {}, "ID;ID;", "?;ID018;"},
      {"RefuseNextAtStart", ts570, {}, refuse_next, "ID;ID;", "?;ID018;"},
      {"RefuseAll", ts570, {"refuse all"}, {}, "ID;FA;MD;", "?;?;?;"},
      {"RefuseAllAtStartThenOff", ts570, {"refuse off"}, refuse_all, "ID;", "ID018;"},
      {"RefuseIcomWithFa",
       "Icom IC-CI-V",
       {"refuse next"},
       {},
       CivCmd(0x07) + CivCmd(0x07),
       CivAnswer(0xFA) + CivAnswer(0xFB)},
      {"RefuseFiveByteIsSilence",
       "Yaesu FT-920",
       {},
       refuse_all,
       Bytes({0x01, 0x00, 0x00, 0x04, 0x10}),
       ""},
      {"Silence", ts570, {"silence on"}, {}, "ID;FA;", ""},
      {"SilenceAtStart", ts570, {}, silence, "ID;", ""},
      {"SilenceOff", ts570, {"silence on", "silence off"}, {}, "ID;", "ID018;"},
      {"DropEverySecond", ts570, {"drop 2"}, {}, "ID;MD;ID;MD;", "ID018;ID018;"},
      {"ClearEndsAllFaults",
       ts570,
       {"silence on", "refuse all", "drop 1", "clear"},
       {},
       "ID;",
       "ID018;"},
      // A set command has no answer, so it does not count as a dropped one.
      {"DropCountsAnswersOnly", ts570, {"drop 2"}, {}, "ID;FA00007000000;ID;ID;", "ID018;ID018;"},
  };
}

class FaultTest : public ::testing::TestWithParam<FaultCase> {};

TEST_P(FaultTest, ChangesWhatTheClientReceives) {
  const FaultCase& c = GetParam();
  Options o = Rig(c.rig);
  o.faults = c.at_start;
  RunningSim rig(o);
  for (const std::string& command : c.control) {
    EXPECT_EQ(rig.sim->Control(command).rfind("error", 0), std::string::npos) << command;
  }
  Line line(rig.path);
  line.Send(c.send);
  if (!c.expect.empty()) {
    EXPECT_EQ(line.Read(c.expect.size()), c.expect);
  }
  EXPECT_EQ(line.Drain(200), "");
}

INSTANTIATE_TEST_SUITE_P(Faults, FaultTest, ::testing::ValuesIn(FaultCases()),
                         [](const auto& info) { return info.param.label; });

// Whether `small` can be had from `big` by deleting bytes.
bool IsSubsequence(const std::string& small, const std::string& big) {
  size_t i = 0;
  for (char c : big) {
    if (i < small.size() && small[i] == c) ++i;
  }
  return i == small.size();
}

TEST(Faults, GarbageIsMixedIntoEveryAnswer) {
  RunningSim rig(Rig("Kenwood TS-570"));
  rig.sim->Control("garbage 3");
  Line line(rig.path);
  for (int i = 0; i < 3; ++i) {
    line.Send("ID;");
    std::string got = line.Read(9);
    EXPECT_EQ(got.size(), 9u);
    EXPECT_TRUE(IsSubsequence("ID018;", got)) << got;
  }
}

TEST(Faults, FloodComesOnceInFrontOfTheNextAnswer) {
  RunningSim rig(Rig("Kenwood TS-570"));
  rig.sim->Control("flood 500");
  Line line(rig.path);
  line.Send("ID;");
  std::string got = line.Read(506);
  ASSERT_EQ(got.size(), 506u);
  EXPECT_EQ(got.substr(500), "ID018;");
  line.Send("ID;");
  EXPECT_EQ(line.Read(6), "ID018;");
  EXPECT_EQ(line.Drain(), "");
}

TEST(Faults, HangUpAfterCommandsClosesTheLine) {
  RunningSim rig(Rig("Kenwood TS-570"));
  Line line(rig.path);
  line.Send("ID;");
  EXPECT_EQ(line.Read(6), "ID018;");  // commands before arming do not count
  rig.sim->Control("hangup 2");
  line.Send("ID;ID;ID;");
  EXPECT_EQ(line.Read(12), "ID018;ID018;");
  for (int i = 0; i < 200 && !rig.sim->HungUp(); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  EXPECT_TRUE(rig.sim->HungUp());
  EXPECT_FALSE(rig.sim->Running());
  EXPECT_EQ(line.Read(1, 300), "");
}

TEST(Transport, ClientsComingAndGoingDoNotEndTheRig) {
  RunningSim rig(Rig("Kenwood TS-570"));
  for (int i = 0; i < 3; ++i) {
    Line line(rig.path);
    line.Send("ID;");
    EXPECT_EQ(line.Read(6), "ID018;") << "client " << i;
  }
  EXPECT_TRUE(rig.sim->Running());
}

TEST(Transport, SplitAnswersArriveInSeveralReads) {
  Options o = Rig("Kenwood TS-570");
  o.split = 5;
  o.split_gap_ms = 20;
  RunningSim rig(o);
  Line line(rig.path);
  line.Send("IF;");
  EXPECT_EQ(line.Read(38).size(), 38u);
  // A busy reader may take two pieces at once, never the whole answer.
  std::vector<size_t> reads = line.TakeReads();
  EXPECT_GE(reads.size(), 2u);
  for (size_t n : reads)
    EXPECT_LT(n, 38u);
}

struct PaceCase {
  std::string rig;
  std::string frame;
  std::string send;
  size_t answer_size;
  int bits;  // per byte on the line
};
void PrintTo(const PaceCase& c, std::ostream* os) {
  *os << c.rig << " " << c.frame;
}

class PacingTest : public ::testing::TestWithParam<PaceCase> {};

// Lower bounds only: the answer may come later on a busy machine, never
// earlier than the line could carry it.
TEST_P(PacingTest, AnswerTakesAtLeastTheLineTime) {
  const PaceCase& c = GetParam();
  Options o = Rig(c.rig);
  o.baud = 1200;
  o.frame = c.frame;
  RunningSim rig(o);
  Line line(rig.path);
  auto begun = Clock::now();
  line.Send(c.send);
  EXPECT_EQ(line.Read(c.answer_size, 10000).size(), c.answer_size);
  long line_ms = static_cast<long>(c.answer_size) * c.bits * 1000 / 1200;
  EXPECT_GE(MsSince(begun), line_ms * 95 / 100);
}

INSTANTIATE_TEST_SUITE_P(LineRate, PacingTest,
                         ::testing::Values(PaceCase{"Kenwood TS-570", "", "IF;", 38, 10},
                                           PaceCase{"Kenwood TS-570", "7E2", "IF;", 38, 11},
                                           PaceCase{"Yaesu FT-2000", "", "IF;", 27, 11},
                                           PaceCase{"Yaesu FT-920", "",
                                                    Bytes({0x01, 0, 0, 0x04, 0x10}), 14, 11}));

TEST(Transport, LatencyComesBeforeEveryAnswer) {
  Options o = Rig("Kenwood TS-570");
  o.latency_ms = 150;
  RunningSim rig(o);
  Line line(rig.path);
  for (int i = 0; i < 2; ++i) {
    auto begun = Clock::now();
    line.Send("ID;");
    EXPECT_EQ(line.Read(6), "ID018;");
    EXPECT_GE(MsSince(begun), 145);
  }
}

TEST(Transport, FiveBytePacingCommandSpacesTheAnswerBytes) {
  RunningSim rig(Rig("Yaesu FT-1000"));
  Line line(rig.path);
  line.Send(Bytes({0x00, 0x00, 0x00, 0x14, 0x0E}));  // 20 ms between bytes
  auto begun = Clock::now();
  line.Send(Bytes({0x00, 0x00, 0x00, 0x04, 0x10}));
  EXPECT_EQ(line.Read(16, 5000).size(), 16u);
  EXPECT_GE(MsSince(begun), 15 * 20 * 95 / 100);
}

TEST(Transport, LogHoldsTheExactBytesBothWays) {
  Options o = Rig("Icom IC-CI-V");
  o.echo = true;
  RunningSim rig(o, "", true);
  {
    Line line(rig.path);
    line.Send(CivCmd(0x07));
    EXPECT_EQ(line.Read(12).size(), 12u);
  }
  rig.sim->Stop();
  std::string log = rig.Log();
  EXPECT_NE(log.find(" RX FE FE 00 E0 07 FD\n"), std::string::npos) << log;
  EXPECT_NE(log.find(" EC FE FE 00 E0 07 FD\n"), std::string::npos) << log;
  EXPECT_NE(log.find(" TX FE FE E0 00 FB FD\n"), std::string::npos) << log;
  std::regex shape(R"(\d\d:\d\d:\d\d\.\d\d\d (RX|TX|EC|NZ|--) .*)");
  std::istringstream lines(log);
  for (std::string l; std::getline(lines, l);)
    EXPECT_TRUE(std::regex_match(l, shape)) << l;
}

struct ControlCase {
  std::string line;
  std::string reply_starts;
};
void PrintTo(const ControlCase& c, std::ostream* os) {
  *os << c.line;
}

class ControlTest : public ::testing::TestWithParam<ControlCase> {};

TEST_P(ControlTest, Replies) {
  RunningSim rig(Rig("Kenwood TS-570"), "5 14074000 2 \"\"\n");
  std::string reply = rig.sim->Control(GetParam().line);
  EXPECT_EQ(reply.substr(0, GetParam().reply_starts.size()), GetParam().reply_starts) << reply;
}

INSTANTIATE_TEST_SUITE_P(
    Commands, ControlTest,
    ::testing::Values(ControlCase{"garbage 4", "silence off, garbage 4, drop 0"},
                      ControlCase{"hangup 3", "silence off, garbage 0, drop 0, hangup 3"},
                      ControlCase{"refuse all", "silence off"},
                      ControlCase{"faults", "silence off, garbage 0"},
                      ControlCase{"channel 5", "5 14074000 2 \"\""},
                      ControlCase{"channel 6", "empty"}, ControlCase{"count", "0"},
                      ControlCase{"channels", "# channel"}, ControlCase{"garbage x", "error"},
                      ControlCase{"garbage -1", "error"}, ControlCase{"silence maybe", "error"},
                      ControlCase{"refuse", "error"}, ControlCase{"", "error"},
                      ControlCase{"flood 999999999", "error"}, ControlCase{"garbage 5000", "error"},
                      ControlCase{"dump /nonexistent/dir/file", "error"}));

TEST(Control, ArmedFaultsAreVisible) {
  RunningSim rig(Rig("Kenwood TS-570"));
  rig.sim->Control("refuse all");
  rig.sim->Control("drop 3");
  Faults f = rig.sim->GetFaults();
  EXPECT_TRUE(f.refuse_all);
  EXPECT_EQ(f.drop_every, 3);
  EXPECT_FALSE(f.silence);
}

}  // namespace
}  // namespace varnek::sim::test
