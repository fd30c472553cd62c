// The simulator's memory image: parsing, writing it back, and each rig
// refusing channels it could not hold.
#include <gtest/gtest.h>

#include <filesystem>

#include "sim/simulator.h"
#include "tests/sim/harness.h"

namespace varnek::sim::test {
namespace {

TEST(MemoryImage, ParsesEveryField) {
  Memory m = ParseMemoryImage(
      "# a comment\n"
      "\n"
      "  5 14074000 2 \"FT8\"\r\n"
      "12\t7040000\t3\n"
      "20 145500000 4 \"A \\\"B\\\" \\\\C\" extra=0108 tx=145600000/4 masked=1\n");
  ASSERT_EQ(m.size(), 3u);
  EXPECT_EQ(m[5], (Channel{14074000, "2", "FT8", "", 0, "", false}));
  EXPECT_EQ(m[12], (Channel{7040000, "3", "", "", 0, "", false}));
  EXPECT_EQ(m[20], (Channel{145500000, "4", "A \"B\" \\C", "0108", 145600000, "4", true}));
}

TEST(MemoryImage, WritesWhatItReads) {
  Memory m;
  m[0] = Channel{1830000, "1", "", "", 0, "", false};
  m[7] = Channel{7050000, "3", "q\"uo\\te", "0000", 7150000, "3", false};
  m[99] = Channel{50100000, "05", "six", "02", 0, "", true};
  EXPECT_EQ(ParseMemoryImage(FormatMemoryImage(m)), m);
}

struct BadImage {
  std::string text;
  std::string why;  // part of the message
};
void PrintTo(const BadImage& b, std::ostream* os) {
  *os << b.text;
}

class BadImageTest : public ::testing::TestWithParam<BadImage> {};

TEST_P(BadImageTest, IsRefusedWithTheLine) {
  try {
    ParseMemoryImage(GetParam().text);
    FAIL() << "accepted";
  } catch (const std::runtime_error& e) {
    EXPECT_NE(std::string(e.what()).find(GetParam().why), std::string::npos) << e.what();
  }
}

INSTANTIATE_TEST_SUITE_P(
    Texts, BadImageTest,
    ::testing::Values(BadImage{"5 14074000\n", "line 1: need channel, hertz and mode"},
                      BadImage{"# x\n5 14.074 2\n", "line 2: bad frequency"},
                      BadImage{"-5 14074000 2\n", "bad channel"},
                      BadImage{"5 14074000 \"x\" 2\n", "missing mode"},
                      BadImage{"5 14074000 2 \"open\n", "unterminated name"},
                      BadImage{"5 14074000 2 \"\" colour=red\n", "unknown field 'colour'"},
                      BadImage{"5 14074000 2 \"\" stray\n", "expected key=value"},
                      BadImage{"5 14074000 2 \"\" tx=14100000\n", "tx needs HZ/MODE"},
                      BadImage{"5 1 2\n5 2 2\n", "line 2: channel 5 given twice"},
                      BadImage{"5 99999999999999 2\n", "bad frequency"},
                      BadImage{"4294967301 14074000 2\n", "bad channel"}));

struct RigRefusal {
  std::string rig;
  std::string line;
  std::string why;
};
void PrintTo(const RigRefusal& r, std::ostream* os) {
  *os << r.rig << ": " << r.line;
}

class RigRefusalTest : public ::testing::TestWithParam<RigRefusal> {};

TEST_P(RigRefusalTest, StartFailsOnAChannelTheRigCannotHold) {
  Options o;
  o.rig = GetParam().rig;
  try {
    RunningSim rig(o, GetParam().line + "\n");
    FAIL() << "started";
  } catch (const std::runtime_error& e) {
    EXPECT_NE(std::string(e.what()).find(GetParam().why), std::string::npos) << e.what();
  }
}

INSTANTIATE_TEST_SUITE_P(
    Rigs, RigRefusalTest,
    ::testing::Values(RigRefusal{"Kenwood TS-570", "100 14074000 2", "out of range"},
                      RigRefusal{"Kenwood TS-570", "5 14074000 8", "mode 8"},
                      RigRefusal{"Kenwood TS-570", "5 14074000 2 \"NAME\"", "no names"},
                      RigRefusal{"Kenwood TS-570", "5 14074000 2 \"\" extra=01", "extra"},
                      RigRefusal{"Kenwood TS-570", "5 0 2", "frequency"},
                      RigRefusal{"Kenwood TS-2000", "300 14074000 2", "out of range"},
                      RigRefusal{"Kenwood TS-2000", "5 14074000 2 \"NINECHARS\"", "longer than 8"},
                      RigRefusal{"Yaesu FT-2000", "0 14074000 2", "out of range"},
                      RigRefusal{"Yaesu FT-2000", "1 14074000 E", "mode E"},
                      RigRefusal{"Yaesu FT-2000", "1 144000000 4", "frequency"},
                      RigRefusal{"Icom IC-CI-V", "102 14074000 01", "out of range"},
                      RigRefusal{"Icom IC-CI-V", "5 14074000 09", "mode"},
                      RigRefusal{"Icom IC-735", "5 145000000 05", "frequency"},
                      RigRefusal{"Yaesu FT-1000", "5 14074000 07", "mode"},
                      RigRefusal{"Yaesu FT-920", "100 14074000 01", "out of range"}));

TEST(MemoryImage, SetChannelChecksLikeTheImage) {
  Options o;
  o.rig = "Kenwood TS-570";
  Simulator sim(o);
  EXPECT_THROW(sim.SetChannel(100, Channel{14074000, "2", "", "", 0, "", false}),
               std::invalid_argument);
  sim.SetChannel(99, Channel{14074000, "2", "", "", 0, "", false});
  ASSERT_TRUE(sim.GetChannel(99));
  EXPECT_EQ(sim.GetChannel(99)->hz, 14074000);
  sim.ClearChannel(99);
  EXPECT_FALSE(sim.GetChannel(99));
}

TEST(MemoryImage, DumpWritesTheChannelsNow) {
  Options o;
  o.rig = "Kenwood TS-2000";
  RunningSim rig(o, "150 145500000 4 \"S20\"\n");
  rig.sim->SetChannel(3, Channel{3573000, "2", "FT8", "", 0, "", false});
  std::string path = rig.dir.File("dump.txt");
  rig.sim->DumpMemory(path);
  EXPECT_EQ(ParseMemoryImage(ReadFile(path)), rig.sim->Channels());
  EXPECT_EQ(rig.sim->Channels().size(), 2u);
}

struct BadOptions {
  std::string label;
  void (*spoil)(Options&);
};
void PrintTo(const BadOptions& b, std::ostream* os) {
  *os << b.label;
}

class BadOptionsTest : public ::testing::TestWithParam<BadOptions> {};

TEST_P(BadOptionsTest, AreRefusedBeforeAnythingRuns) {
  Options o;
  o.rig = "Kenwood TS-570";
  GetParam().spoil(o);
  EXPECT_THROW(Simulator{o}, std::invalid_argument);
}

INSTANTIATE_TEST_SUITE_P(
    Settings, BadOptionsTest,
    ::testing::Values(BadOptions{"UnknownRig", [](Options& o) { o.rig = "Kenwood TS-999"; }},
                      BadOptions{"NineDataBits", [](Options& o) { o.frame = "9N1"; }},
                      BadOptions{"UnknownParity", [](Options& o) { o.frame = "8X1"; }},
                      BadOptions{"ThreeStopBits", [](Options& o) { o.frame = "8N3"; }},
                      BadOptions{"ComputersOwnAddress", [](Options& o) { o.address = 0xE0; }},
                      BadOptions{"NegativeBaud", [](Options& o) { o.baud = -9600; }},
                      BadOptions{"NegativeLatency", [](Options& o) { o.latency_ms = -1; }},
                      BadOptions{"StoreBaseTwo", [](Options& o) { o.ft1000_store_base = 2; }},
                      BadOptions{"NegativeGarbage", [](Options& o) { o.faults.garbage = -1; }},
                      BadOptions{"GiganticFlood", [](Options& o) { o.faults.flood = 1 << 30; }}),
    [](const auto& info) { return info.param.label; });

TEST(Simulator, LinkNeverReplacesARealFile) {
  ScratchDir dir;
  std::string file = dir.File("precious.txt");
  WriteFile(file, "keep me");
  Options o;
  o.rig = "Kenwood TS-570";
  o.link = file;
  Simulator sim(o);
  EXPECT_THROW(sim.Start(), std::runtime_error);
  sim.Stop();
  EXPECT_EQ(ReadFile(file), "keep me");
}

TEST(Simulator, LinkReplacesAStaleLinkAndGoesAtStop) {
  ScratchDir dir;
  std::string link = dir.File("rig");
  std::filesystem::create_symlink("/nonexistent/old-pty", link);
  Options o;
  o.rig = "Kenwood TS-570";
  o.link = link;
  Simulator sim(o);
  std::string path = sim.Start();
  EXPECT_EQ(std::filesystem::read_symlink(link).string(), path);
  sim.Stop();
  EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(link)));
}

}  // namespace
}  // namespace varnek::sim::test
