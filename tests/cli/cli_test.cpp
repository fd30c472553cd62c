// varnek-cli end to end: arguments in, the simulated rig's memory, the
// printed table and the exit status out.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <thread>

#include "base/profile.h"
#include "settings/rig_settings.h"
#include "cli/cli_app.h"
#include "sim/simulator.h"
#include "support/temp_folder.h"

namespace varnek::cli {
namespace {

using varnek::testing::TempFolder;

sim::Channel Ch(std::int64_t hz, const char* mode, const char* name = "") {
  sim::Channel c;
  c.hz = hz;
  c.mode = mode;
  c.name = name;
  return c;
}

bool Empty(const std::optional<sim::Channel>& c) {
  return !c.has_value() || c->hz == 0;
}

std::string ReadFile(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>()};
}

struct Result {
  int status = -1;
  std::string out, err;
};

// Every run gets a settings folder of its own, so the user's files are never
// read or touched.
class Cli : public ::testing::Test {
 protected:
  Result Run(std::vector<std::string> args, Console console = {}) {
    std::vector<std::string> all = {"varnek-cli", "--settings-dir", settings.Path()};
    all.insert(all.end(), args.begin(), args.end());
    std::ostringstream out, err;
    Result r;
    r.status = RunCli(all, out, err, console);
    r.out = out.str();
    r.err = err.str();
    return r;
  }
  // Runs against the simulator with short intervals.
  Result RunRig(std::vector<std::string> args, Console console = {}) {
    std::vector<std::string> all = {"--rig",
                                    rig,
                                    "--port",
                                    device,
                                    "--channel-interval",
                                    "60",
                                    "--command-interval",
                                    "10",
                                    "--loop-wait",
                                    "10",
                                    "--settle",
                                    "300"};
    all.insert(all.end(), args.begin(), args.end());
    return Run(all, console);
  }
  void StartRig(const std::string& selection, sim::Options options = {}) {
    rig = selection;
    options.rig = selection;
    sim = std::make_unique<sim::Simulator>(options);
    device = sim->Start();
  }
  void TearDown() override {
    if (sim) sim->Stop();
  }

  TempFolder settings, files;
  std::unique_ptr<sim::Simulator> sim;
  std::string rig, device;
};

// --- the command line itself -------------------------------------------------

TEST(ChannelList, AcceptsRangesAndSingleChannels) {
  struct Case {
    const char* text;
    std::vector<int> channels;
  } cases[] = {
      {"1-10,15,90-99",
       {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 15, 90, 91, 92, 93, 94, 95, 96, 97, 98, 99}},
      {"05", {5}},
      {"0", {0}},
      {" 3 , 7-8 ", {3, 7, 8}},
      {"9,2,9,1-2", {1, 2, 9}},
      {"42-42", {42}},
  };
  for (const Case& c : cases) {
    std::string problem;
    const auto list = ParseChannelList(c.text, problem);
    ASSERT_TRUE(list.has_value()) << c.text << ": " << problem;
    EXPECT_EQ(*list, c.channels) << c.text;
  }
}

TEST(ChannelList, RefusesWhatIsNoChannel) {
  for (const char* text :
       {"", " ", "100", "5-2", "a", "1,,2", "-3", "1-", "007", "1-100", "3.5", "1;2", "+4"}) {
    std::string problem;
    EXPECT_FALSE(ParseChannelList(text, problem).has_value()) << text;
    EXPECT_FALSE(problem.empty()) << text;
  }
}

TEST_F(Cli, HelpDocumentsEveryOptionAndCommand) {
  const Result r = Run({"--help"});
  EXPECT_EQ(r.status, kExitOk);
  for (const char* s : {"--rig",
                        "--port",
                        "--baud",
                        "--data-bits",
                        "--stop-bits",
                        "--parity",
                        "--flow",
                        "--dtr",
                        "--rts",
                        "--address",
                        "--channel-interval",
                        "--command-interval",
                        "--loop-wait",
                        "--notation",
                        "--table",
                        "--out",
                        "--transcript",
                        "--settings-dir",
                        "--settle",
                        "read",
                        "write",
                        "clear",
                        "--yes",
                        "click",
                        "--to-rig",
                        "vfo-a",
                        "memory",
                        "send",
                        "--worm",
                        "--add-lf",
                        "--wait",
                        "rigs",
                        "COM1..COM25",
                        "xonxoff",
                        "rtscts",
                        "dsrdtr",
                        "1.5",
                        "points",
                        "comma",
                        "1-10,15,90-99",
                        "Ctrl-C",
                        "Exit status",
                        "dialout"})
    EXPECT_NE(r.out.find(s), std::string::npos) << s;
}

TEST_F(Cli, RigsListsTheSelectionTexts) {
  const Result r = Run({"rigs"});
  EXPECT_EQ(r.status, kExitOk);
  std::string expected;
  for (const std::string& rig : RigList())
    expected += rig + "\n";
  EXPECT_EQ(r.out, expected);
}

TEST_F(Cli, UsageErrorsExitWithTwoAndTheUsage) {
  files.Write("t.txt", "05\t7.050.000\tLSB\t\r\n");
  struct Case {
    std::vector<std::string> args;
    const char* says;
  } cases[] = {
      {{}, "required"},
      {{"fly"}, "subcommand"},
      {{"read"}, "CHANNELS"},
      {{"read", "1-x"}, "\"x\" is not a channel"},
      {{"read", "100"}, "\"100\" is not a channel"},
      {{"clear", "9-3", "--yes"}, "backwards"},
      {{"click", "05,06"}, "one channel"},
      {{"click", "5-6"}, "one channel"},
      {{"write", "1-5"}, "--table"},
      {{"clear", "1-5"}, "--yes"},
      {{"send", "a", "b", "c", "d", "e"}, "at most four"},
      {{"--baud", "12345", "vfo-a"}, "12345"},
      {{"--port", "COM26", "vfo-a"}, "COM26"},
      {{"--parity", "bogus", "vfo-a"}, "parity"},
      {{"--dtr", "maybe", "vfo-a"}, "dtr"},
      {{"--address", "5", "vfo-a"}, "two hex digits"},
      {{"--table", "/nonexistent/t.txt", "read", "1"}, "t.txt"},
      {{"--rig", "Kenwood TS-9999", "vfo-a"}, "the rigs are: Kenwood TS-570, Kenwood TS-870S"},
      {{"vfo-a"}, "no rig selected"},
  };
  for (const Case& c : cases) {
    const Result r = Run(c.args);
    EXPECT_EQ(r.status, kExitUsage) << ::testing::PrintToString(c.args) << r.err;
    EXPECT_NE(r.err.find(c.says), std::string::npos) << ::testing::PrintToString(c.args) << r.err;
    EXPECT_NE(r.err.find("Usage"), std::string::npos) << ::testing::PrintToString(c.args) << r.err;
    EXPECT_TRUE(r.out.empty()) << ::testing::PrintToString(c.args);
  }
}

TEST_F(Cli, AMissingDeviceIsExitThreeWithTheReason) {
  // A bare name is a device under /dev, a relative path is taken from the
  // current folder.
  struct Case {
    std::string port, device;
  } cases[] = {
      {files / "no-such-tty", files / "no-such-tty"},
      {"ttyNoSuchVarnek0", "/dev/ttyNoSuchVarnek0"},
      {"no-such-dir/tty0", (std::filesystem::current_path() / "no-such-dir/tty0").string()},
  };
  for (const Case& c : cases) {
    const Result r = Run({"--rig", "Kenwood TS-570", "--port", c.port, "read", "1-3"});
    EXPECT_EQ(r.status, kExitPort) << c.port << r.err;
    EXPECT_NE(r.err.find("no device " + c.device), std::string::npos) << c.port << r.err;
    EXPECT_TRUE(r.out.empty());
  }
}

// A bare port name that exists in the current folder (a simulator's link)
// is that file, not /dev/NAME; a settings folder that does not exist yet is
// made, as the GUI makes its own.
TEST_F(Cli, ABareNameHereIsThatFileAndAMissingSettingsFolderIsMade) {
  files.Write("rig", "");
  const auto before = std::filesystem::current_path();
  std::filesystem::current_path(files.Path());
  const Result r = Run({"--rig", "Kenwood TS-570", "--port", "rig", "vfo-a"});
  std::filesystem::current_path(before);
  EXPECT_EQ(r.status, kExitPort) << r.err;
  EXPECT_EQ(r.err.find("/dev/rig"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find(files / "rig"), std::string::npos) << r.err;

  std::ostringstream out, err;
  const std::string fresh = files / "new/settings";
  EXPECT_EQ(RunCli({"varnek-cli", "--settings-dir", fresh, "rigs"}, out, err, {}), kExitOk)
      << err.str();
  EXPECT_TRUE(std::filesystem::is_directory(fresh));
}

TEST_F(Cli, APortWithoutPermissionGivesTheDialoutHint) {
  if (::geteuid() == 0) GTEST_SKIP() << "root opens any device";
  files.Write("locked-tty", "");
  std::filesystem::permissions(files / "locked-tty", std::filesystem::perms::none);
  const Result r = Run({"--rig", "Kenwood TS-570", "--port", files / "locked-tty", "vfo-a"});
  EXPECT_EQ(r.status, kExitPort) << r.err;
  EXPECT_NE(r.err.find("dialout"), std::string::npos) << r.err;
}

// --- against the simulated rigs ------------------------------------------------

class KenwoodCli : public Cli {
 protected:
  void SetUp() override {
    StartRig("Kenwood TS-570");
    sim->SetChannel(3, Ch(7050000, "1"));
    sim->SetChannel(4, Ch(14250000, "2"));
    sim->SetChannel(5, Ch(3699000, "3"));
    sim->SetChannel(10, Ch(21300000, "2"));
  }
};

TEST_F(KenwoodCli, ReadPrintsTheTableOfTheCheckedChannels) {
  Console console;
  console.stderrTerminal = true;
  const Result r = RunRig({"read", "3-4,10"}, console);
  EXPECT_EQ(r.status, kExitOk) << r.err;
  EXPECT_EQ(r.out,
            "03\t7.050.000\tLSB\t\tTS-570:0001\r\n"
            "04\t14.250.000\tUSB\t\tTS-570:0001\r\n"
            "10\t21.300.000\tUSB\t\tTS-570:0001\r\n");
  // Progress on a terminal: the last channel, three of three.
  EXPECT_NE(r.err.find("channel 10  3 of 3"), std::string::npos) << r.err;
}

TEST_F(KenwoodCli, ReadKeepsTheOtherRowsOfTheTableAndWritesOutAndTranscript) {
  files.Write("in.txt", "07\t145.500.000\tFM\tS20\r\n04\t1.000.000\tAM\told\r\n");
  const Result r = RunRig({"--table", files / "in.txt", "--out", files / "out.txt", "--transcript",
                           files / "log.txt", "--notation", "point", "read", "4-5"});
  EXPECT_EQ(r.status, kExitOk) << r.err;
  EXPECT_TRUE(r.out.empty()) << r.out;
  const std::string table = ReadFile(files / "out.txt");
  EXPECT_NE(table.find("04\t14250.00\tUSB\t"), std::string::npos) << table;
  EXPECT_NE(table.find("05\t3699.00\tCW\t"), std::string::npos) << table;
  EXPECT_NE(table.find("07\t145500.00\tFM\tS20"), std::string::npos) << table;
  // The memo holds the answer to the last request.
  EXPECT_NE(ReadFile(files / "log.txt").find("#MR0 05"), std::string::npos)
      << ReadFile(files / "log.txt");
}

TEST_F(KenwoodCli, ChannelsThatGotNoAnswerGiveStatusFourInEitherPacing) {
  for (const char* pacing : {"off", "on"}) {
    SCOPED_TRACE(pacing);
    // A fresh rig: its fault counts answers from its start. The second
    // answer, channel 04's, is dropped.
    TearDown();
    SetUp();
    sim::Faults f;
    f.drop_every = 2;
    sim->SetFaults(f);
    const Result r = RunRig({"--wait-for-answers", pacing, "read", "3-5"});
    EXPECT_EQ(r.status, kExitNoAnswer) << r.err;
    EXPECT_NE(r.err.find("No answer from the rig for channel 04;"), std::string::npos) << r.err;
    EXPECT_NE(r.out.find("05\t3.699.000\tCW"), std::string::npos) << r.out;
  }
}

TEST_F(KenwoodCli, NothingAnsweringAtAllStaysATransferError) {
  sim::Faults f;
  f.silence = true;
  sim->SetFaults(f);
  const Result r = RunRig({"--wait-for-answers", "on", "read", "3-4"});
  EXPECT_EQ(r.status, kExitTransferError) << r.err;
  EXPECT_NE(r.err.find("no answer from the rig on"), std::string::npos) << r.err;
}

TEST_F(KenwoodCli, WriteVerifyComparesTheRigWithTheTable) {
  files.Write("t.txt", "01\t51.500.000\tFM\t\r\n02\t7.074.000\tUSB\t\r\n");
  const Result ok = RunRig({"--table", files / "t.txt", "write", "--verify", "1-2"});
  EXPECT_EQ(ok.status, kExitOk) << ok.err;
  EXPECT_EQ(ok.err.find("Verify"), std::string::npos) << ok.err;
  // A rig that takes nothing: every row differs.
  sim::Faults f;
  f.refuse_all = true;
  sim->SetFaults(f);
  files.Write("t.txt", "01\t14.074.000\tUSB\t\r\n");
  const Result bad =
      RunRig({"--wait-for-answers", "on", "--table", files / "t.txt", "write", "--verify", "1"});
  EXPECT_EQ(bad.status, kExitTransferError) << bad.err;
  EXPECT_NE(bad.err.find("01: the table has 14.074.000 USB, the rig holds it empty"),
            std::string::npos)
      << bad.err;
}

TEST_F(KenwoodCli, WriteSavesTheCheckedRowsOfTheTableOnly) {
  files.Write("t.txt",
              "01\t51.500.000\tFM\tS20\r\n02\t7.074.000\tUSB\tFT8\r\n03\t1.800.000\tCW\t\r\n");
  const Result r = RunRig({"--table", files / "t.txt", "write", "1-2"});
  EXPECT_EQ(r.status, kExitOk) << r.err;
  EXPECT_TRUE(r.out.empty()) << r.out;
  EXPECT_EQ(r.err.find("empty channels"), std::string::npos) << r.err;
  ASSERT_FALSE(Empty(sim->GetChannel(1)));
  EXPECT_EQ(sim->GetChannel(1)->hz, 51500000);
  EXPECT_EQ(sim->GetChannel(1)->mode, "4");
  EXPECT_EQ(sim->GetChannel(2)->hz, 7074000);
  EXPECT_EQ(sim->GetChannel(3)->hz, 7050000);  // not checked: left alone
}

TEST_F(KenwoodCli, WriteOfRowsWithoutFrequencyEmptiesThemAndSaysSo) {
  files.Write("t.txt", "04\t7.074.000\tUSB\t\r\n");
  const Result r = RunRig({"--table", files / "t.txt", "write", "3-5"});
  EXPECT_EQ(r.status, kExitOk) << r.err;
  EXPECT_NE(r.err.find("written as empty channels: 03 05"), std::string::npos) << r.err;
  EXPECT_TRUE(Empty(sim->GetChannel(3)));
  EXPECT_EQ(sim->GetChannel(4)->hz, 7074000);
  EXPECT_TRUE(Empty(sim->GetChannel(5)));
}

// Files from editors, spreadsheets and CHIRP given as --table: read as
// meant, or nothing written for what a skipped line leaves in doubt.
TEST_F(KenwoodCli, TableFilesFromOtherToolsNeverEmptyAChannel) {
  struct Case {
    const char* what;
    std::string file;
    int status;
    std::vector<std::int64_t> hz;  // channels 03, 04, 05 afterwards; 0 empty
    std::vector<std::string> said;
  };
  const std::vector<Case> cases = {
      {"byte-order mark",
       "\xEF\xBB\xBF"
       "03\t7.074.000\tUSB\tX\r\n4\t7.030.000\tCW\t\r\n",
       0,
       {7074000, 7030000, 0},
       {"written as empty channels: 05"}},
      {"CHIRP CSV",
       "Location,Name,Frequency\r\n3,A,7.100000\r\n4,B,14.200000\r\n",
       1,
       {7050000, 14250000, 3699000},
       {"Not a channel file", "(line 1: 'Location,"}},
      {"skipped lines",
       "my list\r\n 4\t7.030.000\tCW\t\r\n3 7.1 LSB\r\n",
       1,
       {7050000, 7030000, 3699000},
       {"line 1 skipped", "line 3 skipped", "not written: 03 (their lines",
        "empty channels, since"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    sim->SetChannel(3, Ch(7050000, "1"));
    sim->SetChannel(4, Ch(14250000, "2"));
    sim->SetChannel(5, Ch(3699000, "3"));
    files.Write("t.txt", c.file);
    const Result r = RunRig({"--table", files / "t.txt", "write", "3-5"});
    EXPECT_EQ(r.status, c.status) << r.err;
    for (const std::string& text : c.said)
      EXPECT_NE(r.err.find(text), std::string::npos) << text << "\n" << r.err;
    for (int n = 3; n <= 5; ++n) {
      const auto ch = sim->GetChannel(n);
      EXPECT_EQ(Empty(ch) ? 0 : ch->hz, c.hz[static_cast<size_t>(n - 3)]) << n;
    }
  }
}

TEST_F(KenwoodCli, ClearWithYesEmptiesTheChannels) {
  const Result r = RunRig({"clear", "3,5", "--yes"});
  EXPECT_EQ(r.status, kExitOk) << r.err;
  EXPECT_TRUE(Empty(sim->GetChannel(3)));
  EXPECT_TRUE(Empty(sim->GetChannel(5)));
  EXPECT_EQ(sim->GetChannel(4)->hz, 14250000);
}

TEST_F(KenwoodCli, ClearOnATerminalAsksFirst) {
  struct Case {
    const char* answer;
    bool cleared;
  } cases[] = {{"n\n", false}, {"\n", false}, {"", false}, {"y\n", true}};
  for (const Case& c : cases) {
    sim->SetChannel(3, Ch(7050000, "1"));
    std::istringstream in(c.answer);
    Console console;
    console.stdinTerminal = true;
    console.in = &in;
    const Result r = RunRig({"clear", "3"}, console);
    EXPECT_EQ(r.status, kExitOk) << r.err;
    EXPECT_NE(r.err.find("Reset Memory Channels?"), std::string::npos) << r.err;
    EXPECT_EQ(Empty(sim->GetChannel(3)), c.cleared) << "answer " << c.answer;
  }
}

TEST_F(KenwoodCli, ClickReadsOrWritesOneChannel) {
  Result r = RunRig({"click", "5"});
  EXPECT_EQ(r.status, kExitOk) << r.err;
  EXPECT_EQ(r.out, "05\t3.699.000\tCW\t\tTS-570:0001\r\n");

  files.Write("t.txt", "06\t28.500.000\tUSB\t\r\n");
  r = RunRig({"--table", files / "t.txt", "click", "06", "--to-rig"});
  EXPECT_EQ(r.status, kExitOk) << r.err;
  ASSERT_FALSE(Empty(sim->GetChannel(6)));
  EXPECT_EQ(sim->GetChannel(6)->hz, 28500000);

  // Without a frequency the click would read; a write that silently reads
  // is refused.
  r = RunRig({"click", "07", "--to-rig"});
  EXPECT_EQ(r.status, kExitUsage) << r.err;
  EXPECT_NE(r.err.find("no frequency"), std::string::npos) << r.err;
}

TEST_F(KenwoodCli, ChannelZeroOnlyOnTheTsRigs) {
  Result r = RunRig({"read", "0"});
  EXPECT_EQ(r.status, kExitOk) << r.err;
  sim->Stop();
  StartRig("Icom IC-CI-V");
  sim->SetChannel(1, Ch(14074000, "01"));
  // Named alone it is refused; a range over it reads the rest.
  for (const char* list : {"0", "00", "5,0"}) {
    r = RunRig({"read", list});
    EXPECT_EQ(r.status, kExitUsage) << list << r.err;
    EXPECT_NE(r.err.find("channel 00"), std::string::npos) << list << r.err;
  }
  ASSERT_EQ(RunRig({"memory"}).status, kExitOk);
  r = RunRig({"read", "0-1"});
  EXPECT_EQ(r.status, kExitOk) << r.err;
  EXPECT_EQ(r.out, "01\t14.074.000\tUSB\t\r\n");
}

TEST_F(KenwoodCli, SendPrintsTheTranscript) {
  const Result r = RunRig({"send", "--wait", "200", "MR0 03;", "MR0 04;"});
  EXPECT_EQ(r.status, kExitOk) << r.err;
  EXPECT_NE(r.out.find("#MR0 03"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("MR0 04"), std::string::npos) << r.out;
}

TEST_F(KenwoodCli, SingleCommandsReachTheRig) {
  for (const char* command : {"vfo-a", "memory"}) {
    const long before = sim->CommandsReceived();
    const Result r = RunRig({command});
    EXPECT_EQ(r.status, kExitOk) << command << r.err;
    EXPECT_GT(sim->CommandsReceived(), before) << command;
  }
}

// Rows whose frequency is malformed, reads two ways, lies outside the rig
// or is blank: the good ones are written, the others refused by name.
TEST_F(Cli, WriteRefusesEveryRowItCannotSendAsMeant) {
  StartRig("Kenwood TS-2000");
  for (int n = 1; n <= 7; ++n)
    sim->SetChannel(n, Ch(7123450, "2"));
  files.Write("t.txt",
              "01\t14.25\tUSB\t\r\n02\t0999.5\tAM\t\r\n03\t7.0.5\tUSB\t\r\n"
              "04\t1296.2\tFM\t\r\n05\t200.000.000\tFM\t\r\n06\t1296.200.000\tFM\t\r\n");
  const Result r = RunRig({"--wait-for-answers", "on", "--table", files / "t.txt", "write", "1-7"});
  EXPECT_EQ(r.status, kExitTransferError) << r.err;
  EXPECT_EQ(sim->GetChannel(1)->hz, 14250000);
  EXPECT_EQ(sim->GetChannel(2)->hz, 999500);
  EXPECT_EQ(sim->GetChannel(6)->hz, 1296200000);
  for (int n : {3, 4, 5}) {
    EXPECT_EQ(sim->GetChannel(n)->hz, 7123450) << n;
    EXPECT_NE(r.err.find("Channel 0" + std::to_string(n) + ":"), std::string::npos) << r.err;
  }
  EXPECT_NE(r.err.find("1.296.200 or 1296.200.000"), std::string::npos) << r.err;
  EXPECT_TRUE(Empty(sim->GetChannel(7)));  // blank: the empty channel on a Kenwood
}

// What a command that changes the rig can say of the rig's reaction: a
// CI-V rig that acknowledges nothing (only the bus echo comes back) is no
// success; where the rig answers no write, the write is named unconfirmed.
TEST_F(Cli, ARigThatDoesNotReactIsNotASuccess) {
  files.Write("t.txt", "01\t14.25\tUSB\t\r\n02\t7.05\tLSB\t\r\n");
  const std::string table = files / "t.txt";
  struct Case {
    std::string rig;
    bool silent;
    std::vector<std::string> args;
    int status;
    std::string says;  // on standard error, once
  } cases[] = {
      {"Icom IC-CI-V",
       true,
       {"--table", table, "write", "1-2"},
       kExitNoAnswer,
       "after writing channels 01, 02 (only the bus echo came back)"},
      {"Icom IC-CI-V", true, {"clear", "2", "--yes"}, kExitNoAnswer, "after clearing channel 02"},
      {"Icom IC-CI-V", true, {"vfo-a"}, kExitNoAnswer, "to vfo-a"},
      {"Icom IC-CI-V", true, {"memory"}, kExitNoAnswer, "to memory"},
      {"Icom IC-CI-V", false, {"--table", table, "write", "1-2"}, kExitOk, ""},
      {"Kenwood TS-570",
       false,
       {"--table", table, "write", "1-2"},
       kExitOk,
       "channels 01, 02 is not confirmed (--wait-for-answers on or --verify does)"},
      {"Kenwood TS-570",
       false,
       {"--wait-for-answers", "on", "--table", table, "write", "1"},
       kExitOk,
       ""},
      {"Yaesu FT-920",
       false,
       {"--table", table, "write", "2"},
       kExitOk,
       "channel 02 is not confirmed (--verify does)"},
  };
  for (const Case& c : cases) {
    StartRig(c.rig);
    if (c.silent) sim->SetFaults({.silence = true});
    const Result r = RunRig(c.args);
    const std::string what = c.rig + " " + ::testing::PrintToString(c.args) + r.err;
    EXPECT_EQ(r.status, c.status) << what;
    if (c.says.empty()) {
      EXPECT_EQ(r.err.find("not confirmed"), std::string::npos) << what;
      EXPECT_EQ(r.err.find("no answer"), std::string::npos) << what;
    } else {
      EXPECT_NE(r.err.find(c.says), std::string::npos) << what;
      EXPECT_EQ(r.err.find(c.says), r.err.rfind(c.says)) << what;
    }
  }
}

// A rig that stores something else than it was sent: the read-back says so.
TEST_F(Cli, WriteVerifyCatchesAFrequencyThatLandedWrong) {
  sim::Options faulty;
  faulty.store_offset_hz = 1000;
  StartRig("Kenwood TS-570", faulty);
  files.Write("t.txt", "01\t14.25\tUSB\t\r\n");
  const Result r = RunRig({"--table", files / "t.txt", "write", "--verify", "1"});
  EXPECT_EQ(r.status, kExitTransferError) << r.err;
  EXPECT_NE(r.err.find("01: the table has 14.25 USB, the rig holds 14.251.000"), std::string::npos)
      << r.err;
}

// What went wrong on the way to the rig is never reported as success.
TEST_F(KenwoodCli, RigFaultsEndTheRunWithOne) {
  // The rig has no mode "QQQ": row 02 cannot be written.
  files.Write("t.txt", "01\t51.500.000\tFM\tS20\r\n02\t7.074.000\tQQQ\t\r\n");
  const std::string kenwood = "Kenwood TS-570", icom = "Icom IC-CI-V", yaesu = "Yaesu FT-920";
  struct Case {
    const char* name;
    std::string rig;
    sim::Faults faults;
    std::vector<std::string> args;
    const char* says;
  } cases[] = {
      {"hang-up", kenwood, {.hangup_after = 1}, {"read", "3-5"}, "error"},
      {"silent rig", kenwood, {.silence = true}, {"read", "3"}, "no answer"},
      {"silent rig, click", kenwood, {.silence = true}, {"click", "3"}, "no answer"},
      // The CI-V bus still echoes the requests of a rig that is off.
      {"silent CI-V rig", icom, {.silence = true}, {"read", "3"}, "no answer"},
      {"silent five-byte rig", yaesu, {.silence = true}, {"read", "3"}, "no answer"},
      {"refused row in a save",
       kenwood,
       {},
       {"--table", files / "t.txt", "write", "1-2"},
       "Not transferred"},
      {"refused click",
       kenwood,
       {},
       {"--table", files / "t.txt", "click", "2", "--to-rig"},
       "Not transferred"},
  };
  for (const Case& c : cases) {
    sim->Stop();
    StartRig(c.rig);
    sim->SetFaults(c.faults);
    const Result r = RunRig(c.args);
    EXPECT_EQ(r.status, kExitTransferError) << c.name << ": " << r.err;
    EXPECT_NE(r.err.find(c.says), std::string::npos) << c.name << ": " << r.err;
  }
}

TEST_F(KenwoodCli, AnOutFileThatCannotBeWrittenIsOne) {
  const Result r = RunRig({"--out", files / "no-folder/out.txt", "read", "3"});
  EXPECT_EQ(r.status, kExitTransferError) << r.err;
  EXPECT_NE(r.err.find("out.txt"), std::string::npos) << r.err;
  // A transcript named after a pipe is refused, not written into it.
  ASSERT_EQ(::mkfifo((files / "pipe").c_str(), 0644), 0);
  const Result t = RunRig({"--transcript", files / "pipe", "read", "3"});
  EXPECT_EQ(t.status, kExitTransferError) << t.err;
  EXPECT_NE(t.err.find("pipe: not a regular file"), std::string::npos) << t.err;
}

// The stopper thread's SIGINT may arrive just after the command has put the
// previous handler back; while this lives that handler does nothing, so the
// late signal cannot end the test program.
class SigintAbsorber {
 public:
  SigintAbsorber() {
    struct sigaction sa {};
    sa.sa_handler = [](int) {};
    sigemptyset(&sa.sa_mask);
    sigaction(SIGINT, &sa, &old_);
  }
  ~SigintAbsorber() { sigaction(SIGINT, &old_, nullptr); }
  SigintAbsorber(const SigintAbsorber&) = delete;
  SigintAbsorber& operator=(const SigintAbsorber&) = delete;

 private:
  struct sigaction old_ {};
};

TEST_F(KenwoodCli, CtrlCStopsTheLoad) {
  SigintAbsorber absorber;
  std::atomic<bool> running{true};
  std::thread stopper([&] {
    while (running && sim->CommandsReceived() < 2)
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    if (running) ::kill(::getpid(), SIGINT);
  });
  Console console;
  console.catchInterrupt = true;
  const Result r = RunRig({"read", "1-60"}, console);
  running = false;
  stopper.join();
  EXPECT_EQ(r.status, kExitTransferError) << r.err;
  EXPECT_NE(r.err.find("stopped"), std::string::npos) << r.err;
  // Stopped after an odd channel, long before channel 60; what was read is
  // still printed.
  EXPECT_LT(sim->CommandsReceived(), 30);
  EXPECT_NE(r.out.find("03\t7.050.000\tLSB"), std::string::npos) << r.out;
}

TEST_F(KenwoodCli, StopDuringTheSaveEndsItAtTheNextStopPoint) {
  std::string table;
  for (int n = 1; n <= 40; ++n)
    table += (n < 10 ? "0" : "") + std::to_string(n) + "\t7.074.000\tUSB\t\r\n";
  files.Write("t.txt", table);
  SigintAbsorber absorber;
  std::atomic<bool> running{true};
  std::thread stopper([&] {
    while (running && sim->CommandsReceived() < 2)
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    RequestStop();
  });
  const Result r = RunRig({"--table", files / "t.txt", "write", "1-40"});
  running = false;
  stopper.join();
  EXPECT_EQ(r.status, kExitTransferError) << r.err;
  EXPECT_NE(r.err.find("stopped"), std::string::npos) << r.err;
  EXPECT_LT(sim->CommandsReceived(), 30);
  EXPECT_TRUE(Empty(sim->GetChannel(40)));
}

// --- settings ------------------------------------------------------------------

class SettingsCli : public KenwoodCli {
 protected:
  // settings.ini as the GUI leaves it: the rig, its line and the port's device.
  void SaveSettings(const std::string& selection, const std::string& port) {
    RigSettings s;
    s.port = ItemPosition(PortItems(), port);
    s.baud = ItemPosition(BaudItems(), "9600");
    s.dataBits = 4;
    s.stopBits = s.parity = s.flow = 0;
    s.dtr = s.rts = true;
    s.channelInterval = "60";
    s.commandInterval = "10";
    s.loopWait = "10";
    Profile ini(settings / "settings.ini");
    SaveRigSelection(ini, selection, RigSettingsString(s, {}));
    ini.Write({{"Ports", port, device}});
  }
};

TEST_F(SettingsCli, TheSavedRigAndPortAreUsedAndNeverRewritten) {
  SaveSettings("Kenwood TS-570", "COM4");
  const std::string before = ReadFile(settings / "settings.ini");
  const Result r = Run({"--settle", "300", "read", "4"});
  EXPECT_EQ(r.status, kExitOk) << r.err;
  EXPECT_EQ(r.out, "04\t14.250.000\tUSB\t\tTS-570:0001\r\n");
  EXPECT_EQ(ReadFile(settings / "settings.ini"), before);
}

TEST_F(SettingsCli, PortSurvivesTheRigChange) {
  // The saved rig's port leads nowhere; the rig change to a rig without a
  // saved line resets the settings, and --port must still win.
  SaveSettings("Kenwood TS-870S", "COM7");
  Profile ini(settings / "settings.ini");
  ini.Write({{"Ports", "COM7", files / "nothing-here"}});
  const Result r = Run({"--rig", "Kenwood TS-570", "--port", device, "--channel-interval", "60",
                        "--settle", "300", "read", "3"});
  EXPECT_EQ(r.status, kExitOk) << r.err;
  EXPECT_EQ(r.out, "03\t7.050.000\tLSB\t\tTS-570:0001\r\n");
}

TEST_F(SettingsCli, TerminalIniOfTheOwnFolderIsTreatedAsTheGuiDoes) {
  SaveSettings("Kenwood TS-570", "COM4");
  settings.Write("terminal.ini", "[MainForm]\r\nRig=1\r\n1=#old\r\n");
  const Result r = Run({"--settle", "300", "send", "--wait", "100", "ID;"});
  EXPECT_EQ(r.status, kExitOk) << r.err;
  // The previous run's log is deleted at the start.
  EXPECT_FALSE(std::filesystem::exists(settings / "terminal.ini"));
}

// Without a settings folder of its own the user's folders are used: their
// settings.ini is read, and their terminal.ini survives even a save run,
// which logs every answer while it lasts.
TEST_F(KenwoodCli, TheUsersFoldersAreReadOnly) {
  TempFolder home;
  const std::string config = home / "config/Kolvir/Varnek/";
  const std::string docs = home / "Documents/Kolvir/Varnek/";
  home.Write("config/Kolvir/Varnek/settings.ini", "[MainForm]\r\nRig=Kenwood TS-570\r\n");
  home.Write("Documents/Kolvir/Varnek/terminal.ini", "[MainForm]\r\nRig=1\r\n1=#old\r\n");
  const std::string settingsBefore = ReadFile(config + "settings.ini");
  const std::string logBefore = ReadFile(docs + "terminal.ini");
  const char* oldHome = std::getenv("HOME");
  const std::string savedHome = oldHome ? oldHome : "";
  ::setenv("HOME", home.Path().c_str(), 1);
  ::setenv("XDG_CONFIG_HOME", (home / "config").c_str(), 1);
  files.Write("t.txt",
              "01\t51.500.000\tFM\tS20\r\n02\t7.074.000\tUSB\t\r\n03\t3.573.000\tUSB\t\r\n");
  // The rig answers every write with a refusal: answers in the middle of
  // the save run are what its log records.
  sim::Faults f;
  f.refuse_all = true;
  sim->SetFaults(f);
  std::ostringstream out, err;
  const int status = RunCli({"varnek-cli", "--port", device, "--channel-interval", "60", "--settle",
                             "300", "--table", files / "t.txt", "write", "1-3"},
                            out, err, {});
  ::unsetenv("XDG_CONFIG_HOME");
  if (oldHome)
    ::setenv("HOME", savedHome.c_str(), 1);
  else
    ::unsetenv("HOME");
  EXPECT_NE(status, kExitUsage) << err.str();
  EXPECT_NE(status, kExitPort) << err.str();
  EXPECT_EQ(ReadFile(config + "settings.ini"), settingsBefore);
  EXPECT_EQ(ReadFile(docs + "terminal.ini"), logBefore);
}

// What a new user gets: no folder options, HOME a fresh folder. Backups go
// to the documents folder the window uses, where `restore last` finds them;
// the run's scratch folder is gone at the end.
TEST_F(KenwoodCli, WithoutFolderOptionsBackupsStayAndRestoreLastGivesTheRigBack) {
  TempFolder home, tmp;
  std::vector<std::pair<const char*, std::optional<std::string>>> saved;
  for (const char* name : {"HOME", "TMPDIR", "XDG_CONFIG_HOME"}) {
    const char* v = std::getenv(name);
    saved.emplace_back(name, v ? std::optional<std::string>(v) : std::nullopt);
  }
  ::setenv("HOME", home.Path().c_str(), 1);
  ::setenv("TMPDIR", tmp.Path().c_str(), 1);
  ::unsetenv("XDG_CONFIG_HOME");
  files.Write("t.txt", "04\t7.000.000\tCW\t\r\n05\t7.010.000\tCW\t\r\n");
  const auto cli = [&](std::vector<std::string> args) {
    std::vector<std::string> all = {"varnek-cli", "--rig", rig, "--port", device,
                                    "--channel-interval", "60", "--settle", "300"};
    all.insert(all.end(), args.begin(), args.end());
    std::ostringstream out, err;
    Result r;
    r.status = RunCli(all, out, err, {});
    r.err = err.str();
    return r;
  };
  const Result write = cli({"--backup", "on", "--table", files / "t.txt", "write", "4-5"});
  const Result restore = cli({"restore", "last"});
  for (const auto& [name, value] : saved)
    value ? ::setenv(name, value->c_str(), 1) : ::unsetenv(name);
  EXPECT_EQ(write.status, kExitOk) << write.err;
  EXPECT_NE(write.err.find(home / "Documents/Kolvir/Varnek/backups/Kenwood_TS-570-"),
            std::string::npos)
      << write.err;
  EXPECT_EQ(restore.status, kExitOk) << restore.err;
  EXPECT_EQ(sim->GetChannel(4)->hz, 14250000);
  EXPECT_EQ(sim->GetChannel(5)->hz, 3699000);
  EXPECT_TRUE(std::filesystem::is_empty(tmp.Path())) << "a scratch folder was left behind";
}

// --- another family --------------------------------------------------------------

TEST_F(Cli, IcomReadAndWriteRoundTrip) {
  StartRig("Icom IC-CI-V");
  sim->SetChannel(2, Ch(14074000, "01"));
  files.Write("t.txt", "05\t7.074.000\tUSB\t\r\n");
  Result r = RunRig({"--address", "00", "--table", files / "t.txt", "write", "5"});
  EXPECT_EQ(r.status, kExitOk) << r.err;
  ASSERT_FALSE(Empty(sim->GetChannel(5)));
  EXPECT_EQ(sim->GetChannel(5)->hz, 7074000);
  // The rig reads its memories only in memory mode.
  r = RunRig({"--address", "00", "memory"});
  EXPECT_EQ(r.status, kExitOk) << r.err;
  r = RunRig({"--address", "00", "read", "2,5"});
  EXPECT_EQ(r.status, kExitOk) << r.err;
  EXPECT_NE(r.out.find("02\t14.074.000\tUSB"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("05\t7.074.000\tUSB"), std::string::npos) << r.out;
}

}  // namespace
}  // namespace varnek::cli

namespace varnek::cli {
namespace {

TEST_F(Cli, ImportAndExportOtherProgramsLists) {
  files.Write("table.txt", "01\t14.250.000\tUSB\tDX\r\n12\t145.500.000\tFM\tS20\r\n");
  for (const std::string format : {"chirp", "rigmem"}) {
    const std::string csv = files / ("list-" + format + ".csv");
    Result e = Run({"--rig", "Kenwood TS-2000", "--table", files / "table.txt", "export", csv,
                    "--format", format});
    EXPECT_EQ(e.status, 0) << e.err;
    Result i = Run({"--rig", "Kenwood TS-2000", "import", csv, "--format", format});
    EXPECT_EQ(i.status, 0) << i.err;
    EXPECT_NE(i.out.find("01\t14.250.000\tUSB\tDX\r\n"), std::string::npos) << format << i.out;
    EXPECT_NE(i.out.find("12\t145.500.000\tFM\tS20\r\n"), std::string::npos) << format << i.out;
  }
  // A file that is no list: reported, status 1; a missing --table: usage.
  files.Write("junk.csv", std::string("\x00\x01garbage", 9));
  const std::string ts2000 = "Kenwood TS-2000";
  EXPECT_EQ(Run({"--rig", ts2000, "import", files / "junk.csv", "--format", "chirp"}).status, 1);
  EXPECT_EQ(Run({"--rig", ts2000, "import", files / "missing.csv", "--format", "chirp"}).status, 1);
  EXPECT_EQ(Run({"--rig", ts2000, "export", files / "x.csv", "--format", "chirp"}).status, 2);
  EXPECT_EQ(Run({"--rig", ts2000, "import", files / "junk.csv", "--format", "csv"}).status, 2);
}

// import and export take the rig as every command does: the list's texts in
// any letter case, else the saved rig; anything else is refused with the list.
TEST_F(Cli, ImportAndExportTakeTheRigLikeEveryCommand) {
  files.Write("table.txt", "01\t14.250.000\tUSB\tDX\r\n");
  const auto header = [&](std::vector<std::string> rig) {
    std::vector<std::string> args = rig;
    args.insert(args.end(),
                {"--table", files / "table.txt", "export", files / "x.csv", "--format", "rigmem"});
    const Result r = Run(args);
    EXPECT_EQ(r.status, kExitOk) << r.err;
    const std::string csv = ReadFile(files / "x.csv");
    return csv.substr(0, csv.find('\n'));
  };
  const std::string ts2000 = header({"--rig", "Kenwood TS-2000"});
  EXPECT_EQ(header({"--rig", "kenwood ts-2000"}), ts2000);
  EXPECT_NE(header({"--rig", "Icom IC-CI-V"}), ts2000);
  settings.Write("settings.ini", "[MainForm]\r\nRig=Kenwood TS-2000\r\n");
  EXPECT_EQ(header({}), ts2000);
  for (const std::string command : {"import", "export"}) {
    const Result r = Run({"--rig", "kenwood ts-9999", command, files / "x.csv", "--format",
                          "rigmem", "--table", files / "table.txt"});
    EXPECT_EQ(r.status, kExitUsage) << command << r.err;
    EXPECT_NE(r.err.find("the rigs are: Kenwood TS-570, Kenwood TS-870S"), std::string::npos)
        << command << r.err;
  }
}

}  // namespace
}  // namespace varnek::cli
