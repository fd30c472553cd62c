// varnek-rigsim as a user runs it: the help, the printed device, control
// commands on stdin, and the memory dump at SIGTERM.
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/un.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <thread>

#include "tests/sim/harness.h"
#include "tests/sim/line.h"
#include "tests/sim/process.h"

namespace varnek::sim::test {
namespace {

const std::string kRigsim = RIGSIM_BINARY;

TEST(RigsimHelp, DocumentsEveryRigSwitchFaultAndFormat) {
  Process p({kRigsim, "--help"});
  ASSERT_EQ(p.Wait(10000), 0);
  std::vector<std::string> wanted = RigNames();
  for (const char* s : {"--rig",
                        "--address",
                        "--no-echo",
                        "--baud",
                        "--frame",
                        "--latency",
                        "--split",
                        "--log",
                        "--memory",
                        "--dump",
                        "--link",
                        "--control",
                        "--seed",
                        "--split-gap",
                        "--list-rigs",
                        "--silence",
                        "--garbage",
                        "--drop",
                        "--hangup-after",
                        "--flood",
                        "--refuse-next",
                        "--refuse-all",
                        "--ascii-ctl-refused",
                        "--ts2000-strict-channel",
                        "--ts2000-empty",
                        "--ts2000-pad-names",
                        "--ft1000-store-base",
                        "--ft920-empty",
                        "Control commands",
                        "Memory image",
                        "channel hertz mode \"name\"",
                        "refuse next|all|off",
                        "dump FILE",
                        "Log (--log FILE)"})
    wanted.push_back(s);
  for (const std::string& w : wanted)
    EXPECT_NE(p.Out().find(w), std::string::npos) << w;
}

struct BadArgs {
  std::vector<std::string> args;
  std::string message;
};
void PrintTo(const BadArgs& b, std::ostream* os) {
  *os << b.message;
}

class RigsimBadArgs : public ::testing::TestWithParam<BadArgs> {};

TEST_P(RigsimBadArgs, ExitWithAReason) {
  std::vector<std::string> argv = {kRigsim};
  argv.insert(argv.end(), GetParam().args.begin(), GetParam().args.end());
  Process p(argv);
  EXPECT_NE(p.Wait(10000), 0);
  EXPECT_NE(p.Err().find(GetParam().message), std::string::npos) << p.Err();
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RigsimBadArgs,
    ::testing::Values(BadArgs{{}, "--rig is required"},
                      BadArgs{{"--rig", "Kenwood TS-999"}, "unknown rig"},
                      BadArgs{{"--rig", "Icom IC-CI-V", "--address", "ZZ"}, "two hex digits"},
                      BadArgs{{"--rig", "Kenwood TS-570", "--memory", "/nonexistent"},
                              "cannot read memory image"},
                      BadArgs{{"--rig", "Kenwood TS-570", "--ts2000-empty", "maybe"}, "maybe"}));

TEST(Rigsim, ServesTakesControlCommandsAndDumpsOnSigterm) {
  ScratchDir dir;
  WriteFile(dir.File("in.txt"), "5 14074000 2 \"\"\n");
  std::string link = dir.File("rig"), dump = dir.File("out.txt");
  Process p({kRigsim, "--rig", "Kenwood TS-570", "--memory", dir.File("in.txt"), "--dump", dump,
             "--link", link});
  ASSERT_TRUE(p.Started());
  std::optional<std::string> device = p.ReadLine(10000);
  ASSERT_TRUE(device) << p.Err();
  EXPECT_EQ(std::filesystem::read_symlink(link).string(), *device);
  {
    Line line(link);
    line.Send("ID;");
    EXPECT_EQ(line.Read(6), "ID018;");
    p.Write("refuse next\n");
    ASSERT_TRUE(p.ReadLine(5000));
    line.Send("ID;");
    EXPECT_EQ(line.Read(2), "?;");
    p.CloseInput();  // the end of stdin is not the end of the run
    line.Send(
        "MW0 07"
        "00007050000"
        "3"
        "0000"
        " ;ID;");
    EXPECT_EQ(line.Read(6), "ID018;");
  }
  p.Signal(SIGTERM);
  EXPECT_EQ(p.Wait(10000), 0) << p.Err();
  EXPECT_EQ(ReadFile(dump).substr(ReadFile(dump).find('\n') + 1),
            "5 14074000 2 \"\"\n7 7050000 3 \"\" extra=0000\n");
  EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(link)));
}

TEST(Rigsim, EndsByItselfAfterAHangUpAndStillDumps) {
  ScratchDir dir;
  std::string dump = dir.File("out.txt");
  Process p({kRigsim, "--rig", "Icom IC-CI-V", "--no-echo", "--hangup-after", "1", "--dump", dump});
  std::optional<std::string> device = p.ReadLine(10000);
  ASSERT_TRUE(device) << p.Err();
  {
    Line line(*device);
    line.Send(Bytes({0xFE, 0xFE, 0x00, 0xE0, 0x07, 0xFD}));
    EXPECT_EQ(line.Read(6), Bytes({0xFE, 0xFE, 0xE0, 0x00, 0xFB, 0xFD}));
  }
  EXPECT_EQ(p.Wait(10000), 0) << p.Err();
  EXPECT_TRUE(std::filesystem::exists(dump));
}

// One line to the control socket and its one-line reply.
std::string AskSocket(const std::string& path, const std::string& line) {
  int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
  sockaddr_un addr{};
  addr.sun_family = AF_UNIX;
  std::snprintf(addr.sun_path, sizeof addr.sun_path, "%s", path.c_str());
  std::string reply;
  for (int i = 0; i < 100; ++i) {  // the socket appears just before the device is printed
    if (::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  std::string text = line + "\n";
  if (::send(fd, text.data(), text.size(), MSG_NOSIGNAL) > 0) {
    pollfd p{fd, POLLIN, 0};
    char c;
    while (poll(&p, 1, 5000) > 0 && ::read(fd, &c, 1) == 1 && c != '\n')
      reply += c;
  }
  ::close(fd);
  return reply;
}

TEST(Rigsim, ControlSocketArmsFaultsAndQuits) {
  ScratchDir dir;
  std::string socket = dir.File("control"), dump = dir.File("out.txt");
  Process p({kRigsim, "--rig", "Yaesu FT-2000", "--control", socket, "--dump", dump});
  std::optional<std::string> device = p.ReadLine(10000);
  ASSERT_TRUE(device) << p.Err();
  Line line(*device);
  EXPECT_EQ(AskSocket(socket, "refuse next").substr(0, 7), "silence");
  line.Send("ID;");
  EXPECT_EQ(line.Read(2), "?;");
  line.Send("ID;");
  EXPECT_EQ(line.Read(7), "ID0251;");
  EXPECT_EQ(AskSocket(socket, "count"), "2");
  EXPECT_EQ(AskSocket(socket, "bogus").substr(0, 6), "error:");
  AskSocket(socket, "quit");
  EXPECT_EQ(p.Wait(10000), 0) << p.Err();
  EXPECT_TRUE(std::filesystem::exists(dump));
  EXPECT_FALSE(std::filesystem::exists(socket));
}

TEST(Rigsim, ControlSocketNeverReplacesARealFile) {
  ScratchDir dir;
  std::string file = dir.File("precious.txt");
  WriteFile(file, "keep me");
  Process p({kRigsim, "--rig", "Yaesu FT-2000", "--control", file});
  EXPECT_EQ(p.Wait(10000), 1);
  EXPECT_NE(p.Err().find("not a socket"), std::string::npos) << p.Err();
  EXPECT_EQ(ReadFile(file), "keep me");
}

}  // namespace
}  // namespace varnek::sim::test
