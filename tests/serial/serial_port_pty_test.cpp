// The serial component on a real pseudo-terminal: the test plays the rig on
// the master side.
#include <chrono>
#include <string>
#include <string_view>
#include <thread>

#include <gtest/gtest.h>

#include "pty_fixture.h"

namespace varnek::testing {
namespace {

using std::chrono::milliseconds;
using std::chrono::steady_clock;

long long MsSince(steady_clock::time_point t) {
  return std::chrono::duration_cast<milliseconds>(steady_clock::now() - t).count();
}

TEST_F(PtyPortTest, OpensSendsReceivesClosesAndReopens) {
  port->SetActive(true);
  ASSERT_TRUE(port->Active());
  port->SendText("ID;");
  EXPECT_EQ(pty.Receive(3), "ID;");
  pty.Send("ID019;");
  ASSERT_TRUE(WaitFor([&] { return !clusters.empty(); }));
  EXPECT_EQ(clusters[0], "ID019;");

  port->SetActive(false);
  EXPECT_FALSE(port->Active());
  EXPECT_FALSE(HasReport(104)) << "closing had to wait out a busy thread";
  port->SetActive(true);
  ASSERT_TRUE(port->Active());
  pty.Send("FA;");
  ASSERT_TRUE(WaitFor([&] { return clusters.size() == 2; }));
  EXPECT_EQ(clusters[1], "FA;");

  // Setting the value it already has does nothing at all.
  reports.clear();
  port->SetActive(true);
  EXPECT_TRUE(reports.empty());
}

TEST_F(PtyPortTest, CommPortChangeReopensOnlyAnOpenPort) {
  PtyPair second;
  ASSERT_TRUE(second.Ok());

  // Closed: the name is only stored.
  port->SetCommPort(second.SlavePath());
  EXPECT_FALSE(port->Active());
  EXPECT_TRUE(reports.empty());

  // Open: closed and reopened under the new name.
  port->SetCommPort(pty.SlavePath());
  port->SetActive(true);
  ASSERT_TRUE(port->Active());
  port->SetCommPort(second.SlavePath());
  ASSERT_TRUE(port->Active());
  port->SendText("X");
  EXPECT_EQ(second.Receive(1), "X");
  EXPECT_EQ(pty.Receive(1, 200), "");

  // A failed reopen leaves the port closed with report 112.
  reports.clear();
  port->SetCommPort("/dev/no-such-serial-device");
  EXPECT_FALSE(port->Active());
  const ReportRecord* r = FindReport(112);
  ASSERT_NE(r, nullptr);
  EXPECT_EQ(r->code, status::kFileNotFound);
  EXPECT_EQ(r->noise, 0);
}

TEST_F(PtyPortTest, RefusesWhatCannotBeOpened) {
  struct Case {
    std::string commPort;
    uint32_t code;
  } cases[] = {
      {"/dev/no-such-serial-device", status::kFileNotFound},
      {"/dev/null", status::kInvalidParameter},  // not a terminal
      {"COM0", status::kFileNotFound},           // no such port name
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.commPort);
    reports.clear();
    port->SetCommPort(c.commPort);
    port->SetActive(true);
    EXPECT_FALSE(port->Active());
    const ReportRecord* r = FindReport(112);
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(r->code, c.code);
  }
}

TEST_F(PtyPortTest, RefusesADeviceAlreadyInUse) {
  port->SetActive(true);
  ASSERT_TRUE(port->Active());
  auto other = MakePort(pty.SlavePath());
  other->SetActive(true);
  EXPECT_FALSE(other->Active());
  const ReportRecord* r = FindReport(112);
  ASSERT_NE(r, nullptr);
  EXPECT_EQ(r->code, status::kBusy);
  // The first user is undisturbed.
  port->SendText("OK");
  EXPECT_EQ(pty.Receive(2), "OK");
  other.reset();
  port->SetActive(false);
  // Once released it can be taken again.
  auto third = MakePort(pty.SlavePath());
  third->SetActive(true);
  EXPECT_TRUE(third->Active());
}

TEST_F(PtyPortTest, BurstBecomesOneClusterAfterTheTimeOut) {
  port->SetActive(true);
  const auto start = steady_clock::now();
  pty.Send("0123456789");
  std::this_thread::sleep_for(milliseconds(60));
  pty.Send("ABCDEFGHIJ");
  ASSERT_TRUE(WaitFor([&] { return !clusters.empty(); }));
  // 20 bytes at 1100 us each plus 250 ms, counted from the first pass that
  // saw the first half: the second half cannot have been cut off.
  EXPECT_GE(MsSince(start), 250);
  RunFor(100);
  ASSERT_EQ(clusters.size(), 1u);
  EXPECT_EQ(clusters[0], "0123456789ABCDEFGHIJ");
}

TEST_F(PtyPortTest, ClusterSizeAndReadRequestCutWithoutWaiting) {
  port->SetRTOExtraDelayTime(60000);  // the time-out alone would never fire here
  port->SetClusterSize(16);
  port->SetActive(true);

  // Below ClusterSize the bytes wait.
  pty.Send("short");
  RunFor(300);
  EXPECT_TRUE(clusters.empty());
  // ReadRequest takes what is queued at once.
  port->SetReadRequest(true);
  ASSERT_TRUE(WaitFor([&] { return clusters.size() == 1; }));
  EXPECT_EQ(clusters[0], "short");
  EXPECT_FALSE(port->ReadRequest());

  // ReadRequest on an empty queue reads nothing and stays set.
  port->SetReadRequest(true);
  RunFor(200);
  EXPECT_EQ(clusters.size(), 1u);
  EXPECT_TRUE(port->ReadRequest());
  port->SetReadRequest(false);

  // Reaching ClusterSize reads at once.
  pty.Send("0123456789ABCDEF");
  ASSERT_TRUE(WaitFor([&] { return clusters.size() == 2; }));
  EXPECT_EQ(clusters[1], "0123456789ABCDEF");
}

TEST_F(PtyPortTest, NulBytesAndEmptyClustersSurvive) {
  port->SetRTOExtraDelayTime(20);
  port->SetActive(true);
  pty.Send(std::string("A\0B\0", 4));
  ASSERT_TRUE(WaitFor([&] { return clusters.size() == 1; }));
  EXPECT_EQ(clusters[0], std::string("A\0B\0", 4));

  // With NULs stripped a read of NULs alone still gives its (empty) cluster
  // and its notice.
  port->SetStripNullChars(true);
  takeClusters = false;
  const int before = clusterNotices;
  pty.Send(std::string("\0\0\0", 3));
  ASSERT_TRUE(WaitFor([&] { return clusterNotices == before + 1; }));
  EXPECT_EQ(port->FirstClusterSize(), 0);
  EXPECT_EQ(port->TakeFirstCluster(), "");
  EXPECT_EQ(port->FirstClusterSize(), -1);
}

TEST_F(PtyPortTest, DtrAndRtsFollowOpenNotClosedWrites) {
  struct Step {
    bool open;      // port state for the step
    bool set;       // value written to both lines
    bool expected;  // value read back
  } steps[] = {
      {false, false, true},  // closed: nothing happens, the initial True stays
      {true, false, false},  // open: stored
      {false, true, false},  // closed again: unchanged
      {true, true, true},    // reopening raised both lines before the write
  };
  for (const auto& s : steps) {
    port->SetActive(s.open);
    ASSERT_EQ(port->Active(), s.open);
    if (s.open) {
      EXPECT_TRUE(port->DTRState());
      EXPECT_TRUE(port->RTSState());
    }
    port->SetDTRState(s.set);
    port->SetRTSState(s.set);
    EXPECT_EQ(port->DTRState(), s.expected);
    EXPECT_EQ(port->RTSState(), s.expected);
  }
  EXPECT_TRUE(reports.empty() || !HasReport(601)) << "lines on a pty are no failure";
}

TEST_F(PtyPortTest, SettingsTheLineCannotTakeAreRefusedAndThePortStaysUsable) {
  port->SetActive(true);
  struct Case {
    const char* what;
    std::function<void()> set, undo;
  } cases[] = {
      {"1.5 stop bits", [&] { port->SetStopBits(1); }, [&] { port->SetStopBits(0); }},
      {"4 data bits", [&] { port->SetDataBits(4); }, [&] { port->SetDataBits(8); }},
      {"DSR/DTR flow", [&] { port->SetFlowControl(FlowDsrDtr); },
       [&] { port->SetFlowControl(FlowNone); }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    reports.clear();
    c.set();
    const ReportRecord* r = FindReport(802);
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(r->code, status::kInvalidParameter);
    c.undo();
    EXPECT_TRUE(port->Active());
  }
  // What the line can do is taken without a word. (A pty keeps eight data
  // bits whatever it is told, and some kernels refuse seven outright, so data
  // bits are not tried here.)
  struct Good {
    const char* what;
    std::function<void()> set;
  } good[] = {
      {"115200 baud", [&] { port->SetBaudRate(115200); }},
      // Rates without a B-constant go through termios2.
      {"14400 baud", [&] { port->SetBaudRate(14400); }},
      {"56000 baud", [&] { port->SetBaudRate(56000); }},
      {"256000 baud", [&] { port->SetBaudRate(256000); }},
      {"mark parity", [&] { port->SetParityType(3); }},
      {"two stop bits", [&] { port->SetStopBits(2); }},
      {"RTS/CTS flow", [&] { port->SetFlowControl(FlowRtsCts); }},
      {"XON/XOFF flow", [&] { port->SetFlowControl(FlowXonXoff); }},
  };
  for (const auto& g : good) {
    SCOPED_TRACE(g.what);
    reports.clear();
    g.set();
    EXPECT_FALSE(HasReport(802));
  }
  port->SetFlowControl(FlowNone);
  port->SendText("still here");
  EXPECT_EQ(pty.Receive(10), "still here");
}

TEST_F(PtyPortTest, ClosingDuringTheWaitEndsItAndDropsUnfinishedInput) {
  int commEvents = 0;
  port->OnCommEvent = [&](TSerialPort&) { ++commEvents; };
  port->SetRTOExtraDelayTime(60000);
  port->SetActive(true);
  pty.Send("pending");
  // The arrival is an event; its notice may reach the GUI thread a moment
  // after the queue count shows the bytes.
  ASSERT_TRUE(WaitFor([&] { return port->CommStateInQueue() == 7 && commEvents > 0; }));

  const auto start = steady_clock::now();
  port->SetActive(false);
  EXPECT_LT(MsSince(start), 1000) << "closing waited for the thread's time-out";
  EXPECT_FALSE(HasReport(104));
  ASSERT_TRUE(WaitFor([&] { return !port->ThreadBusy(); }));
  const int eventsAtClose = commEvents;
  RunFor(300);
  EXPECT_EQ(commEvents, eventsAtClose);
  EXPECT_EQ(port->FirstClusterSize(), -1);
  EXPECT_TRUE(clusters.empty());
}

TEST_F(PtyPortTest, QuietModeQueuesClustersWithoutNoticesAndDestructionFreesThem) {
  port->SetRTOExtraDelayTime(10);
  port->SetThreadQuietMode(true);
  port->SetActive(true);
  for (const char* burst : {"one", "two", "three"}) {
    pty.Send(burst);
    std::this_thread::sleep_for(milliseconds(150));
  }
  ASSERT_TRUE(
      WaitFor([&] { return port->CommStateInQueue() == 0 && port->FirstClusterSize() >= 0; }));
  RunFor(200);
  EXPECT_EQ(clusterNotices, 0);
  EXPECT_EQ(port->FirstClusterSize(), 3);
  EXPECT_EQ(port->TakeFirstCluster(), "one");
  EXPECT_EQ(port->FirstClusterSize(), 3);
  // Two clusters are still queued; the sanitizer build checks they are freed.
  port.reset();
}

// Nobody runs GUI work: the I/O thread queues the rig's cluster and blocks
// handing its notice over.
class BlockedHandOver : public PtyPortTest {
 protected:
  void Block() {
    port->SetRTOExtraDelayTime(10);
    port->SetActive(true);
    pty.Send("stuck");
    const auto deadline = steady_clock::now() + milliseconds(3000);
    while (port->FirstClusterSize() < 0 && steady_clock::now() < deadline)
      std::this_thread::sleep_for(milliseconds(10));
    ASSERT_EQ(port->FirstClusterSize(), 5);
  }
};

TEST_F(BlockedHandOver, DestructionOnTheGuiThreadLetsTheThreadFinish) {
  Block();
  const auto start = steady_clock::now();
  port.reset();
  EXPECT_LT(MsSince(start), 5000);
  EXPECT_EQ(clusterNotices, 0);  // the notice was dropped: the port was going
}

// Destroyed where nobody runs GUI work, the component still returns; the
// left-behind thread does nothing when its hand-over runs late, then ends
// and closes its device.
TEST_F(BlockedHandOver, DestructionElsewhereGivesUpOnTheThread) {
  Block();
  std::thread([&] { port.reset(); }).join();
  host.ProcessMessages();
  EXPECT_EQ(clusterNotices, 0);
  EXPECT_TRUE(pty.SlaveClosed(3000));
}

// A rate the device cannot run is no open port: the message names it.
TEST_F(PtyPortTest, ARateTheDeviceRefusesFailsTheOpen) {
  port->SetBaudRate(0);
  port->SetActive(true);
  EXPECT_FALSE(port->Active());
  const ReportRecord* r = FindReport(112);
  ASSERT_NE(r, nullptr);
  EXPECT_NE(r->msg.find("cannot run at 0 baud"), std::string::npos) << r->msg;
}

TEST_F(PtyPortTest, HangUpClosesThePortWithoutSpinning) {
  port->SetActive(true);
  ASSERT_TRUE(port->Active());
  const double cpuBefore = port->WorkThreadCpuSeconds();
  ASSERT_GE(cpuBefore, 0);
  pty.CloseMaster();
  // The GUI keeps running its queued work throughout (it is not stuck).
  const auto start = steady_clock::now();
  RunFor(2000);
  EXPECT_GE(MsSince(start), 1900);
  const double used = port->WorkThreadCpuSeconds() - cpuBefore;
  EXPECT_LT(used, 0.1) << "the I/O thread spun after the hang-up";
  EXPECT_FALSE(port->Active());
  const ReportRecord* r = FindReport(9914);
  ASSERT_NE(r, nullptr);
  EXPECT_EQ(r->noise, 0);
  // One report, not one per pass.
  int hangUps = 0;
  for (const auto& rep : reports)
    hangUps += rep.place == 9914;
  EXPECT_EQ(hangUps, 1);

  // A new device after the hang-up is served as any other.
  PtyPair replacement;
  ASSERT_TRUE(replacement.Ok());
  port->SetCommPort(replacement.SlavePath());
  port->SetActive(true);
  ASSERT_TRUE(port->Active());
  replacement.Send("back");
  ASSERT_TRUE(WaitFor([&] { return !clusters.empty(); }));
  EXPECT_EQ(clusters.back(), "back");
  port->SendText("ack");
  EXPECT_EQ(replacement.Receive(3), "ack");
}

TEST_F(PtyPortTest, SecondSendWaitsBehindTheFirstAndNothingIsLost) {
  int writesDone = 0;
  port->OnWriteDone = [&](TSerialPort&) { ++writesDone; };
  port->SetActive(true);
  // More than the pty buffers while the rig reads nothing: the write stays
  // outstanding.
  std::string big(1 << 20, 'x');
  for (size_t i = 0; i < big.size(); i += 997)
    big[i] = static_cast<char>('a' + i % 26);
  port->SendData(big.data(), big.size());
  ASSERT_TRUE(port->SendInProgress());
  port->SendText("TAIL");
  const ReportRecord* r = FindReport(901);
  ASSERT_NE(r, nullptr);
  EXPECT_EQ(r->noise, 2);

  std::string received;
  const auto deadline = steady_clock::now() + milliseconds(20000);
  while (received.size() < big.size() + 4 && steady_clock::now() < deadline) {
    received += pty.Receive(big.size() + 4 - received.size(), 50);
    host.ProcessMessages();
  }
  ASSERT_EQ(received.size(), big.size() + 4);
  EXPECT_TRUE(received == big + "TAIL") << "bytes lost or out of order";
  ASSERT_TRUE(WaitFor([&] { return writesDone == 2 && !port->SendInProgress(); }));
  EXPECT_EQ(port->WrittenBytes(), 4u);
}

TEST_F(PtyPortTest, StalledWriteIsGivenUpAfterItsTimeOut) {
  int writesDone = 0;
  port->OnWriteDone = [&](TSerialPort&) { ++writesDone; };
  port->SetXTOAuto(false);
  port->SetWTOCharDelayTime(0);
  port->SetWTOExtraDelayTime(100);
  port->SetActive(true);
  std::string big(1 << 20, 'y');
  port->SendData(big.data(), big.size());
  ASSERT_TRUE(port->SendInProgress());
  ASSERT_TRUE(WaitFor([&] { return writesDone == 1; }));
  EXPECT_FALSE(port->SendInProgress());
  EXPECT_LT(port->WrittenBytes(), big.size());
  const ReportRecord* r = FindReport(9701);
  ASSERT_NE(r, nullptr);
  EXPECT_EQ(r->code, status::kIoPending);
}

TEST_F(PtyPortTest, ClosingAbortsAnOutstandingWrite) {
  int writesDone = 0;
  port->OnWriteDone = [&](TSerialPort&) { ++writesDone; };
  port->SetActive(true);
  std::string big(1 << 20, 'z');
  port->SendData(big.data(), big.size());
  ASSERT_TRUE(port->SendInProgress());
  port->SetActive(false);
  EXPECT_FALSE(port->SendInProgress());
  EXPECT_EQ(writesDone, 1);
  const ReportRecord* r = FindReport(9702);
  ASSERT_NE(r, nullptr);
  EXPECT_EQ(r->code, status::kOperationAborted);
  ASSERT_TRUE(WaitFor([&] { return !port->ThreadBusy(); }));
}

TEST_F(PtyPortTest, ErrorNoiseFiltersReports) {
  struct Case {
    uint8_t noise;
    std::vector<uint32_t> places;  // in order
  } cases[] = {
      {255, {100, 110, 112}},
      {1, {100, 112}},
      {0, {112}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.noise));
    reports.clear();
    port->SetErrorNoise(c.noise);
    port->SetXONLimDiv(33);
    port->SetXONLimDiv(150);  // warning, stored as 100
    port->SetCommPort("/dev/no-such-serial-device");
    port->SetActive(true);  // message 110, then error 112
    port->SetCommPort(pty.SlavePath());
    std::vector<uint32_t> places;
    for (const auto& r : reports)
      places.push_back(r.place);
    EXPECT_EQ(places, c.places);
    EXPECT_EQ(port->XONLimDiv(), 100);
    if (c.noise >= 1) {
      EXPECT_EQ(reports[0].code, 150u);
      EXPECT_EQ(reports[0].noise, 1);
    }
  }
}

// --- answer framing -------------------------------------------------------------

// A framer that knows ASCII answers end with ';'.
size_t AsciiFramer(std::string_view received) {
  const size_t end = received.rfind(';');
  return end == std::string_view::npos ? 0 : end + 1;
}

TEST_F(PtyPortTest, FramedPortHandsOverEachCompleteAnswerAndKeepsTheRestWaiting) {
  port->SetRTOExtraDelayTime(60000);  // only the framer can cut here
  port->SetAnswerFramer(AsciiFramer);
  port->SetActive(true);

  // An answer that arrives in pieces is handed over whole, once complete.
  pty.Send("MR0 05000");
  RunFor(200);
  EXPECT_TRUE(clusters.empty());
  pty.Send("1425000020000 ;ID0");
  ASSERT_TRUE(WaitFor([&] { return clusters.size() == 1; }, 10000));
  EXPECT_EQ(clusters[0], "MR0 050001425000020000 ;");
  // The start of the next answer waited for its end.
  pty.Send("19;");
  ASSERT_TRUE(WaitFor([&] { return clusters.size() == 2; }, 10000));
  EXPECT_EQ(clusters[1], "ID019;");
}

TEST_F(PtyPortTest, WhatNeverCompletesStillGoesOutByTheClusterRule) {
  port->SetRTOExtraDelayTime(40);
  port->SetAnswerFramer(AsciiFramer);
  port->SetActive(true);
  pty.Send("noise without an end");
  ASSERT_TRUE(WaitFor([&] { return clusters.size() == 1; }, 10000));
  EXPECT_EQ(clusters[0], "noise without an end");
}

TEST_F(PtyPortTest, SwitchingFramingOffHandsOverWhatWaitedForAnAnswerEnd) {
  port->SetRTOExtraDelayTime(60000);
  port->SetClusterSize(4096);
  port->SetAnswerFramer(AsciiFramer);
  port->SetActive(true);
  pty.Send("ID0");
  RunFor(200);
  ASSERT_TRUE(clusters.empty());
  // Nothing may stay behind in the component once the framer is gone; the
  // plain rule (here: a read request) applies from then on.
  port->SetAnswerFramer(nullptr);
  ASSERT_TRUE(WaitFor([&] { return clusters.size() == 1; }, 10000));
  EXPECT_EQ(clusters[0], "ID0");
  pty.Send("19;");
  RunFor(200);
  EXPECT_EQ(clusters.size(), 1u);
  port->SetReadRequest(true);
  ASSERT_TRUE(WaitFor([&] { return clusters.size() == 2; }, 10000));
  EXPECT_EQ(clusters[1], "19;");
}

}  // namespace
}  // namespace varnek::testing
