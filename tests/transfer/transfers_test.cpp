// The transfer flows through the whole program against simulated rigs.
#include <gtest/gtest.h>

#include <fstream>
#include <set>

#include "base/text.h"
#include "program_fixture.h"
#include "transfer/verify.h"

namespace varnek {
namespace {

using testing::ProgramFixture;

sim::Channel Ch(std::int64_t hz, const char* mode, const char* name = "") {
  sim::Channel c;
  c.hz = hz;
  c.mode = mode;
  c.name = name;
  return c;
}

class KenwoodFlows : public ProgramFixture {
 protected:
  void SetUp() override {
    Start("Kenwood TS-570", {});
    sim->SetChannel(3, Ch(7050000, "1"));
    sim->SetChannel(4, Ch(14250000, "2"));
    sim->SetChannel(5, Ch(3699000, "3"));
    sim->SetChannel(10, Ch(21300000, "2"));
    sim->SetChannel(11, Ch(28500000, "2"));
    sim->SetChannel(12, Ch(29600000, "4"));
  }
};

TEST_F(KenwoodFlows, ClickReadsTheRow) {
  program->transfers.LabelClick(5);
  EXPECT_TRUE(Until([&] { return !Form().A[5].Text().empty(); }));
  EXPECT_EQ(Form().A[5].Text(), "  3.699.000");
  EXPECT_EQ(Form().M[5].Text(), "CW");
  EXPECT_EQ(Form().lbChan.Caption(), "05");
  EXPECT_TRUE(Form().shared.ChannelSent.load());
}

TEST_F(KenwoodFlows, LoadReadsCheckedChannelsAndGivesTheIntervalBack) {
  Form().edIntval.UserInput("100");
  Check({3, 4, 54});
  program->transfers.LoadFromRig1Click();
  EXPECT_TRUE(Form().TransferBusy());
  ASSERT_TRUE(program->transfers.WaitForLoad(20000));
  Settle();
  EXPECT_EQ(Form().A[3].Text(), "  7.050.000");
  EXPECT_EQ(Form().M[3].Text(), "LSB");
  EXPECT_EQ(Form().A[4].Text(), "14.250.000");
  EXPECT_EQ(Form().M[4].Text(), "USB");
  EXPECT_EQ(Form().lbChan.Caption(), "Ready");
  EXPECT_EQ(Form().shared.OperationState.Get(), "Once");
  EXPECT_TRUE(Form().shared.LoadFinished.load());
  // The run raised the interval for the channels after 49, and gave it back.
  EXPECT_EQ(Form().shared.ChannelInterval.load(), 100);
  EXPECT_FALSE(Form().TransferBusy());
  // The start pause and one per channel read, at the interval of each half.
  std::vector<int> sleeps = host.Sleeps();
  EXPECT_EQ(std::count(sleeps.begin(), sleeps.end(), 100), 3) << ::testing::PrintToString(sleeps);
  EXPECT_EQ(std::count(sleeps.begin(), sleeps.end(), 200), 1) << ::testing::PrintToString(sleeps);
}

TEST_F(KenwoodFlows, StopWhileChannel10IsReadStillReadsChannel11) {
  Check({10, 11, 12});
  const int token = Form().A[10].Subscribe([&] { Form().shared.StopRequested = true; });
  program->transfers.LoadFromRig1Click();
  ASSERT_TRUE(program->transfers.WaitForLoad(20000));
  Settle();
  Form().A[10].Unsubscribe(token);
  EXPECT_FALSE(Form().A[10].Text().empty());
  EXPECT_FALSE(Form().A[11].Text().empty());
  EXPECT_TRUE(Form().A[12].Text().empty());
  EXPECT_EQ(Form().shared.OperationState.Get(), "Load");
  EXPECT_NE(Form().lbChan.Caption(), "Ready");
  // Mended: however the run ends, Kenwood clicks select the channel again.
  EXPECT_TRUE(Form().shared.LoadFinished.load());
}

TEST_F(KenwoodFlows, OneTransferAtATime) {
  Check({3, 4, 5, 10, 11});
  program->transfers.LoadFromRig1Click();
  program->transfers.LabelClick(12);
  program->transfers.SaveToRig1Click();
  program->transfers.VfoA1Click();
  EXPECT_FALSE(Form().Label[12].Enabled());
  EXPECT_FALSE(Form().MenuItem("SaveToRig1").enabled);
  EXPECT_FALSE(Form().cbxRig.Enabled());
  EXPECT_FALSE(program->RigForm.SendBtn.Enabled());
  ASSERT_TRUE(program->transfers.WaitForLoad(20000));
  Settle();
  EXPECT_EQ(host.Messages().size(), 3u) << ::testing::PrintToString(host.Messages()) << ::testing::PrintToString(program->RigForm.Terminal.Lines());
  EXPECT_TRUE(Form().A[12].Text().empty());  // the refused click read nothing
  EXPECT_TRUE(Form().Label[12].Enabled());
  EXPECT_TRUE(Form().MenuItem("SaveToRig1").enabled);
}

// Closing mid-run: the run ends at its next channel, nothing more reaches
// the rig, and no message is shown (there is no window left for one).
TEST_F(KenwoodFlows, ClosingEndsEveryRunAtOnceAndSilently) {
  struct Case {
    const char* run;
    std::function<void()> prepare, start;
    std::function<bool(int)> reached;  // channel n was transferred
  };
  const std::vector<Case> cases = {
      {"load", [] {}, [&] { program->transfers.LoadFromRig1Click(); },
       [&](int n) { return !Form().A[n].Text().empty(); }},
      {"save",
       [&] {
         for (int n = 20; n <= 25; ++n)
           Form().SetChannel(std::to_string(n), "7.050.000", "LSB", "");
       },
       [&] { program->transfers.SaveToRig1Click(); },
       [&](int n) { return sim->GetChannel(n).has_value(); }},
      {"clear", [] {}, [&] { program->transfers.ClrMemory1Click(); },
       [&](int n) { return !sim->GetChannel(n).has_value(); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.run);
    TearDown();
    SetUp();
    if (std::string(c.run) != "save")
      for (int n = 20; n <= 25; ++n)
        sim->SetChannel(n, Ch(7050000, "1"));
    c.prepare();
    Check({20, 21, 22, 23, 24, 25});
    program->transfers.OnProgress = [&](const std::string&, int done, int) {
      if (done == 2) program->transfers.EndForClose();
    };
    c.start();
    ASSERT_TRUE(program->transfers.WaitForLoad(20000));
    Settle();
    EXPECT_FALSE(program->transfers.Busy());
    EXPECT_TRUE(c.reached(21));
    EXPECT_FALSE(c.reached(22));
    EXPECT_TRUE(host.Messages().empty()) << ::testing::PrintToString(host.Messages());
    EXPECT_TRUE(host.Errors().empty()) << ::testing::PrintToString(host.Errors());
  }
}

// While a click waits for the rig, the GUI runs: a load or a second click
// started there would interleave its frames with the click's.
TEST_F(KenwoodFlows, AClickIsATransferOfItsOwn) {
  Check({3});
  bool tried = false;
  const int token = Form().lbChan.Subscribe([&] {
    if (tried) return;
    tried = true;
    program->transfers.LoadFromRig1Click();
    program->transfers.LabelClick(4);
  });
  program->transfers.LabelClick(5);
  Form().lbChan.Unsubscribe(token);
  ASSERT_TRUE(program->transfers.WaitForLoad(20000));
  Settle();
  EXPECT_EQ(host.Messages().size(), 2u) << ::testing::PrintToString(host.Messages());
  EXPECT_EQ(Form().A[5].Text(), "  3.699.000");
  EXPECT_TRUE(Form().A[3].Text().empty());
  EXPECT_TRUE(Form().A[4].Text().empty());
  EXPECT_FALSE(program->transfers.Busy());
}

TEST_F(KenwoodFlows, SaveWritesCheckedRowsAndLogsWhileItRuns) {
  Form().SetChannel("01", "51.500.000", "FM", "S20");
  Form().SetChannel("02", "7.074.000", "USB", "FT8");
  Check({1, 2});
  program->RigForm.Terminal.Add("old line");
  program->transfers.SaveToRig1Click();
  Settle();
  ASSERT_TRUE(sim->GetChannel(1).has_value());
  EXPECT_EQ(sim->GetChannel(1)->hz, 51500000);
  EXPECT_EQ(sim->GetChannel(1)->mode, "4");
  EXPECT_EQ(sim->GetChannel(2)->hz, 7074000);
  EXPECT_EQ(sim->GetChannel(2)->mode, "2");
  EXPECT_EQ(Form().lbChan.Caption(), "Ready");
  EXPECT_FALSE(program->RigForm.cbSave.Checked());
  EXPECT_EQ(Form().shared.OperationState.Get(), "Once");
  EXPECT_TRUE(host.Messages().empty());
  EXPECT_TRUE(program->RigForm.Terminal.Lines().empty());
}

// A read that sends nothing (a typed rig without a command set) waits for
// no answer and reports none missing.
TEST_F(KenwoodFlows, AReadThatSendsNothingMissesNoAnswer) {
  Form().cbxRig.UserInput("Nobody XX-1");
  host.ClearEvents();
  const long before = sim->CommandsReceived();
  program->transfers.LabelClick(5);
  Settle();
  EXPECT_EQ(sim->CommandsReceived(), before);
  for (const std::string& m : host.Messages())
    EXPECT_EQ(m.find("No answer"), std::string::npos) << m;
}

TEST_F(KenwoodFlows, SaveWithNothingCheckedSaysSo) {
  program->transfers.SaveToRig1Click();
  EXPECT_EQ(host.Messages(), std::vector<std::string>{"No saves, no channels checked!"});
  EXPECT_EQ(sim->CommandsReceived(), 0);
}

TEST_F(KenwoodFlows, SaveOfAnEmptyRowWritesTheEmptyChannel) {
  Check({4});
  program->transfers.SaveToRig1Click();
  Settle();
  const auto c = sim->GetChannel(4);
  EXPECT_TRUE(!c.has_value() || c->hz == 0);
}

TEST_F(KenwoodFlows, ClearAsksThenEmptiesTheRigChannelsOnly) {
  Form().SetChannel("03", "7.050.000", "LSB", "KEEP");
  Check({3, 5});
  host.SetConfirmAnswer(false);
  program->RigForm.Terminal.Add("kept");
  program->transfers.ClrMemory1Click();
  EXPECT_EQ(program->RigForm.Terminal.Lines().size(), 1u);
  EXPECT_EQ(sim->GetChannel(3)->hz, 7050000);
  host.SetConfirmAnswer(true);
  program->transfers.ClrMemory1Click();
  Settle();
  for (int n : {3, 5}) {
    const auto c = sim->GetChannel(n);
    EXPECT_TRUE(!c.has_value() || c->hz == 0) << n;
  }
  EXPECT_EQ(sim->GetChannel(4)->hz, 14250000);
  EXPECT_EQ(Form().A[3].Text(), "7.050.000");  // the table is not touched
  EXPECT_EQ(Form().lbChan.Caption(), "Ready");
  // Mended: no lasting "Reset" that would pause every later answer.
  EXPECT_EQ(Form().shared.OperationState.Get(), "Once");
}

// A save works on the rows it started with: Check > All clicked while it
// writes reaches neither the write nor its backup.
TEST_F(KenwoodFlows, ASaveWorksOnTheRowsItStartedWith) {
  Form().SetChannel("04", "14.260.000", "USB", "");
  Check({4});
  bool clicked = false;
  const int token = Form().lbChan.Subscribe([&] {
    if (clicked || Form().lbChan.Caption() != "04") return;
    clicked = true;
    Form().CheckAll1Click();
  });
  program->transfers.SaveToRig1Click();
  Form().lbChan.Unsubscribe(token);
  Settle();
  ASSERT_TRUE(clicked);
  EXPECT_EQ(sim->GetChannel(4)->hz, 14260000);
  for (int n : {3, 5, 10, 11, 12}) {
    ASSERT_TRUE(sim->GetChannel(n).has_value()) << n;
    EXPECT_NE(sim->GetChannel(n)->hz, 0) << "channel " << n << " was emptied";
  }
}

// A refusal ("?;" from a busy rig) is no answer for the backup: without a
// backup of that channel nothing is written.
TEST_F(KenwoodFlows, ABackupReadTheRigRefusedWritesNothing) {
  RigOptions options = program->SetDLG.Options();
  options.backupBeforeWriting = true;
  program->SetDLG.SetOptions(options);
  std::string asked;
  program->transfers.OnBackupIncomplete = [&](const std::string& q) {
    asked = q;
    return false;
  };
  Form().SetChannel("04", "7.000.000", "CW", "");
  Check({4});
  sim->Control("refuse next");
  program->transfers.SaveToRig1Click();
  Settle();
  EXPECT_NE(asked.find("channel 04"), std::string::npos) << asked;
  EXPECT_EQ(sim->GetChannel(4)->hz, 14250000);
  EXPECT_TRUE(program->transfers.LastBackupPath().empty());
}

// Backups never replace one another, and "last" is the newest complete
// one by the time recorded in it: never a temporary or unfinished file,
// an incomplete backup, or a name that merely sorts later.
TEST_F(KenwoodFlows, BackupsNeverCollideAndTheLastIsTheNewestComplete) {
  const std::string folder = home.Path() + "/backups/";
  program->transfers.backupFolder = folder;
  RigOptions options = program->SetDLG.Options();
  options.backupBeforeWriting = true;
  program->SetDLG.SetOptions(options);
  Form().SetChannel("04", "14.250.000", "USB", "");
  Check({4});
  std::set<std::string> made;
  for (int i = 0; i < 3; ++i) {
    program->transfers.SaveToRig1Click();
    made.insert(program->transfers.LastBackupPath());
  }
  ASSERT_EQ(made.size(), 3u);
  const std::string last = program->transfers.LastBackupPath();
  const auto put = [&](const std::string& name, const std::string& text) {
    std::ofstream(folder + name, std::ios::binary) << text;
  };
  const std::string later = "# Varnek backup of the Kenwood TS-570 taken 2999-01-01T00:00:00.000Z\r\n";
  put("Kenwood_TS-570-29990101-000000.000Z.txt.Xy12Ab", later);  // a write's temporary file
  put("Kenwood_TS-570-29990101-000000.000Z.txt", "");            // a name claimed, never written
  put("Kenwood_TS-570-29990101-000001.000Z.txt",
      "# Varnek backup of the Kenwood TS-570 taken 2999-01-01T00:00:01.000Z; incomplete: "
      "no answer for 05\r\n");
  put("Kenwood_TS-570-zzz.txt",
      "# Varnek backup of the Kenwood TS-570 taken 2000-01-01T00:00:00.000Z\r\n");
  EXPECT_EQ(program->transfers.NewestBackup(), last);
  for (const std::string& path : made) {
    std::ifstream in(path);
    std::string first;
    std::getline(in, first);
    EXPECT_EQ(first.rfind("# Varnek backup of the Kenwood TS-570 taken ", 0), 0u) << first;
  }
}

TEST_F(KenwoodFlows, TerminalLogCountsEveryLoggedLine) {
  program->RigForm.cbSave.SetChecked(true);
  program->RigForm.Terminal.Add("#one");
  program->RigForm.Terminal.Add("#two");
  program->RigForm.SendLine("ID;");
  Settle();
  Profile log(Form().shared.DocumentsFolder.Get() + "terminal.ini");
  EXPECT_EQ(log.ReadInteger("MainForm", "Rig", 0), 3);
  EXPECT_EQ(log.ReadString("MainForm", "1"), "#one");
  EXPECT_EQ(log.ReadString("MainForm", "3"), "#ID018;");
  // Another answer adds its own line, not the whole transcript once more.
  program->RigForm.SendLine("ID;");
  Settle();
  Profile again(Form().shared.DocumentsFolder.Get() + "terminal.ini");
  EXPECT_EQ(again.ReadInteger("MainForm", "Rig", 0), 4);
  EXPECT_EQ(again.ReadString("MainForm", "4"), "#ID018;");
  EXPECT_EQ(again.ReadString("MainForm", "5"), "");
  // After the transcript was cleared, its new lines are logged from their
  // first.
  program->RigForm.Terminal.Clear();
  program->RigForm.SendLine("ID;");
  Settle();
  Profile cleared(Form().shared.DocumentsFolder.Get() + "terminal.ini");
  EXPECT_EQ(cleared.ReadInteger("MainForm", "Rig", 0), 5);
  EXPECT_EQ(cleared.ReadString("MainForm", "5"), "#ID018;");
}

// --- answers: pacing, the no-answer report, the read-back ----------------------

class AnsweredFlows : public KenwoodFlows {
 protected:
  void Pace(bool on) { program->SetDLG.SetOptions({on, Form().shared.VerifyAfterWrite}); }
  void Verify(bool on) { program->SetDLG.SetOptions({Form().shared.WaitForAnswers, on}); }
  void DropEvery(int n) {
    sim::Faults f;
    f.drop_every = n;
    sim->SetFaults(f);
  }
  void Load(std::initializer_list<int> channels) {
    Check(channels);
    program->transfers.LoadFromRig1Click();
    ASSERT_TRUE(program->transfers.WaitForLoad(30000));
    Settle();
  }
  std::vector<std::string> MessagesWith(const std::string& part) {
    std::vector<std::string> r;
    for (const auto& m : host.Messages())
      if (m.find(part) != std::string::npos) r.push_back(m);
    return r;
  }
};

// The rig drops its second answer of the run: channel 04's.
TEST_F(AnsweredFlows, ALoadNamesTheChannelsThatGotNoAnswer) {
  for (bool paced : {false, true}) {
    SCOPED_TRACE(paced ? "answer-paced" : "classic");
    if (paced) {
      // A fresh rig: the fault counts answers from its start.
      TearDown();
      SetUp();
    }
    Pace(paced);
    Form().SetChannel("04", "1.000.000", "AM", "old");
    DropEvery(2);
    Load({3, 4, 5});
    EXPECT_EQ(program->transfers.Unanswered(), std::vector<std::string>{"04"});
    const auto m = MessagesWith("No answer");
    ASSERT_EQ(m.size(), 1u) << ::testing::PrintToString(host.Messages());
    EXPECT_EQ(m[0], "No answer from the rig for channel 04; its row is as it was.");
    EXPECT_EQ(Form().A[4].Text(), "1.000.000");
    EXPECT_EQ(Form().A[5].Text(), "  3.699.000");
  }
}

// A load's last messages are shown while its worker waits for them: a new
// load started from there must not wait for that worker (it waits for us).
TEST_F(AnsweredFlows, ALoadStartedWhileTheLastOneReportsIsRefused) {
  DropEvery(2);
  bool again = false;
  host.SetMessageSink(
      [&](const std::string&) {
        if (again) return;
        again = true;
        program->transfers.LoadFromRig1Click();
      },
      nullptr);
  Load({3, 4, 5});
  EXPECT_TRUE(again);
  EXPECT_EQ(MessagesWith("has to wait").size(), 1u) << ::testing::PrintToString(host.Messages());
  EXPECT_FALSE(program->transfers.Busy());
}

TEST_F(AnsweredFlows, AnAnswerPacedLoadWaitsForAnswersInsteadOfChannelIntervals) {
  Form().edIntval.UserInput("300");
  Pace(true);
  host.ClearEvents();
  Load({3, 4, 5, 10});
  EXPECT_EQ(Form().A[10].Text(), "21.300.000");
  EXPECT_TRUE(program->transfers.Unanswered().empty());
  // No fixed pause of a channel interval: every read waited for its answer
  // with the interval as the bound.
  const std::vector<int> sleeps = host.Sleeps();
  EXPECT_EQ(std::count(sleeps.begin(), sleeps.end(), 300), 0) << ::testing::PrintToString(sleeps);
  int waits = 0;
  for (const auto& e : host.Events())
    if (e.kind == HeadlessHost::Event::Wait && e.ms == 300) ++waits;
  EXPECT_EQ(waits, 4);
}

TEST_F(AnsweredFlows, AClickedReadThatNothingAnswersSaysSo) {
  sim::Faults f;
  f.silence = true;
  sim->SetFaults(f);
  program->transfers.LabelClick(5);
  const auto m = MessagesWith("No answer");
  ASSERT_EQ(m.size(), 1u) << ::testing::PrintToString(host.Messages());
  EXPECT_EQ(m[0], "No answer from the rig for channel 05; its row is as it was.");
}

TEST_F(AnsweredFlows, AnswerPacedWritesAndClearsSyncOnTheIdentityQuery) {
  Pace(true);
  Form().SetChannel("20", "14.074.000", "USB", "");
  Form().SetChannel("21", "7.040.000", "LSB", "");
  Check({20, 21});
  program->transfers.SaveToRig1Click();
  ASSERT_TRUE(sim->GetChannel(21).has_value());
  EXPECT_EQ(sim->GetChannel(21)->hz, 7040000);
  EXPECT_TRUE(MessagesWith("No answer").empty()) << ::testing::PrintToString(host.Messages());
  // The rig is silent from now on: every sync query goes unanswered.
  sim::Faults f;
  f.silence = true;
  sim->SetFaults(f);
  host.ClearEvents();
  program->transfers.ClrMemory1Click();
  EXPECT_EQ(program->transfers.Unanswered(), (std::vector<std::string>{"20", "21"}));
  const auto m = MessagesWith("No answer");
  ASSERT_EQ(m.size(), 1u) << ::testing::PrintToString(host.Messages());
  EXPECT_EQ(m[0], "No answer from the rig after clearing channels 20, 21; they may not be empty.");
  EXPECT_FALSE(program->transfers.Busy());
}

TEST_F(AnsweredFlows, VerifyAfterWriteReadsBackWithoutTouchingTheTable) {
  for (bool paced : {false, true}) {
    SCOPED_TRACE(paced ? "answer-paced" : "classic");
    Pace(paced);
    Verify(true);
    // The terminal's "Clear T" empties the transcript after each answer;
    // the read-back still sees what the rig answered.
    program->RigForm.cbClear.SetChecked(paced);
    host.ClearEvents();
    Form().SetChannel("20", "14.074.000", "USB", "");
    Form().SetChannel("21", "", "", "");
    Form().UncheckAll1Click();
    Check({20, 21});
    program->transfers.SaveToRig1Click();
    EXPECT_TRUE(program->transfers.VerifyDifferences().empty())
        << ::testing::PrintToString(host.Messages());
    EXPECT_TRUE(MessagesWith("Verify").empty()) << ::testing::PrintToString(host.Messages());
    EXPECT_EQ(Form().A[20].Text(), "14.074.000");
    EXPECT_EQ(Form().A[21].Text(), "");
  }
}

TEST_F(AnsweredFlows, VerifyAfterWriteListsWhatTheRigDoesNotHold) {
  Pace(true);
  Verify(true);
  Form().SetChannel("03", "14.074.000", "USB", "");
  Form().SetChannel("04", "7.040.000", "LSB", "");
  Check({3, 4});
  // The rig takes nothing: each write goes nowhere, each read is refused.
  sim::Faults f;
  f.refuse_all = true;
  sim->SetFaults(f);
  program->transfers.SaveToRig1Click();
  const std::vector<std::string> want = {"03: the table has 14.074.000 USB, the rig holds it empty",
                                         "04: the table has 7.040.000 LSB, the rig holds it empty"};
  EXPECT_EQ(program->transfers.VerifyDifferences(), want);
  const auto m = MessagesWith("Verify after write");
  ASSERT_EQ(m.size(), 1u) << ::testing::PrintToString(host.Messages());
  EXPECT_EQ(m[0], std::string(kVerifyHeading) + "\n" + want[0] + "\n" + want[1]);

  // A write the rig refuses ("?;") and then answers the identity after: the
  // exchange was answered, the channel was not written.
  sim->SetFaults({.refuse_next = true});
  host.ClearEvents();
  Verify(false);
  Check({3});
  program->transfers.SaveToRig1Click();
  EXPECT_EQ(MessagesWith("Not transferred:\nChannel 03: the rig refused the write").size(), 1u)
      << ::testing::PrintToString(host.Messages());
  // The table is what was meant; the rig's refusals must not replace it.
  EXPECT_EQ(Form().A[3].Text(), "14.074.000");
  EXPECT_EQ(Form().M[4].Text(), "LSB");
}

class IcomFlows : public ProgramFixture {
 protected:
  void SetUp() override {
    sim::Options o;
    o.address = 0x5C;
    Start("Icom IC-CI-V", o);
    Form().edAddr.UserInput("5C");
    Form().edAddr.Exit();
    sim->SetChannel(1, Ch(14250000, "01"));
    sim->SetChannel(2, Ch(145500000, "05"));
  }
};

TEST_F(IcomFlows, LoadReadsWithTheBusEcho) {
  // Reads take the memory's data only in memory mode ("&Memory").
  program->transfers.Memory1Click();
  Check({1, 2});
  program->transfers.LoadFromRig1Click();
  ASSERT_TRUE(program->transfers.WaitForLoad(30000));
  Settle();
  EXPECT_EQ(Trim(Form().A[1].Text()), "14.250.000");
  EXPECT_EQ(Form().M[1].Text(), "USB");
  EXPECT_EQ(Trim(Form().A[2].Text()), "145.500.000");
  EXPECT_EQ(Form().M[2].Text(), "FM");
}

TEST_F(IcomFlows, AnErrorInTheLoadIsReportedAndTheRunEnds) {
  Form().shared.CivAddress = "ZZ";
  Check({1, 2});
  program->transfers.LoadFromRig1Click();
  ASSERT_TRUE(program->transfers.WaitForLoad(20000));
  ASSERT_EQ(host.Errors().size(), 1u);
  EXPECT_NE(host.Errors()[0].find("ZZ"), std::string::npos);
  EXPECT_TRUE(Form().shared.LoadFinished.load());
  EXPECT_FALSE(program->transfers.Busy());
}

// An NG to the frequency is a refusal: the store that would follow puts
// the VFO as it was into the channel, so it is not sent.
class IcomNgFlows : public ProgramFixture {
 protected:
  void SetUp() override {
    sim::Options o;
    o.address = 0x5C;
    o.civ_ng_channel = 3;
    // With fixed pacing the NG is looked for before the store, two frames
    // later: the command interval leaves it ample time on a slow machine.
    Start("Icom IC-CI-V", o, 40, 60);
    Form().edAddr.UserInput("5C");
    Form().edAddr.Exit();
  }
};

TEST_F(IcomNgFlows, AnNgToTheFrequencyRefusesThatChannelOnly) {
  sim->SetChannel(3, Ch(14250000, "01"));
  std::string refused;
  program->transfers.OnRefusals = [&](const std::string& text) { refused = text; };
  for (const bool paced : {false, true}) {
    RigOptions options = program->SetDLG.Options();
    options.waitForAnswers = paced;
    program->SetDLG.SetOptions(options);
    const std::string other = paced ? "7.070.000" : "7.060.000";
    Form().SetChannel("03", "7.050.000", "LSB", "");
    Form().SetChannel("04", other, "LSB", "");
    Check({3, 4});
    refused.clear();
    program->transfers.SaveToRig1Click();
    Settle();
    // Answer-paced the NG is told apart by its frame.
    EXPECT_NE(refused.find(paced ? "Channel 03: the rig refused the frequency (NG)"
                                 : "Channel 03: the rig refused the write (NG)"),
              std::string::npos)
        << "paced " << paced << ": " << refused;
    EXPECT_EQ(refused.find("Channel 04"), std::string::npos) << refused;
    EXPECT_EQ(sim->GetChannel(3)->hz, 14250000) << "paced " << paced;
    ASSERT_TRUE(sim->GetChannel(4).has_value());
    EXPECT_EQ(sim->GetChannel(4)->hz, paced ? 7070000 : 7060000);
    EXPECT_EQ(program->transfers.SentChannels(), std::vector<int>{4});
  }
}

TEST_F(IcomFlows, ClearNeverTouchesChannel00) {
  Form().cb[0].SetEnabled(true);
  Check({0, 1});
  program->transfers.ClrMemory1Click();
  Settle();
  const auto c = sim->GetChannel(1);
  EXPECT_TRUE(!c.has_value() || c->hz == 0);
  // Only channel 01 was selected for clearing.
  const std::string sent = program->RigForm.Terminal.Text();
  EXPECT_EQ(sent.find(" 08 00 00 FD"), std::string::npos) << sent;
}

class YaesuFlows : public ProgramFixture {
 protected:
  void SetUp() override { Start("Yaesu FT-920", {}, 400, 20, 0); }
};

TEST_F(YaesuFlows, SaveThenReadBack) {
  Form().SetChannel("05", "7.050.000", "LSB", "");
  Form().SetChannel("12", "14.250.000", "USB", "");
  Check({5, 12});
  program->transfers.SaveToRig1Click();
  Settle();
  ASSERT_TRUE(sim->GetChannel(5).has_value());
  EXPECT_EQ(sim->GetChannel(5)->hz, 7050000);
  Form().ClearFM1Click();
  program->transfers.LoadFromRig1Click();
  ASSERT_TRUE(program->transfers.WaitForLoad(30000));
  Settle();
  EXPECT_EQ(Trim(Form().A[5].Text()), "7.050.000");
  EXPECT_EQ(Form().M[5].Text(), "LSB");
  EXPECT_EQ(Trim(Form().A[12].Text()), "14.250.000");
  EXPECT_EQ(Form().M[12].Text(), "USB");
}

TEST_F(YaesuFlows, ClearShowsPlainChannelNumbers) {
  Check({5, 12});
  std::vector<std::string> captions;
  Form().lbChan.Subscribe([&] {
    if (captions.empty() || captions.back() != Form().lbChan.Caption())
      captions.push_back(Form().lbChan.Caption());
  });
  program->transfers.ClrMemory1Click();
  Settle();
  const std::vector<std::string> want = {"5", "Empty", "12", "Empty", "Ready"};
  EXPECT_EQ(captions, want);
}

}  // namespace
}  // namespace varnek
