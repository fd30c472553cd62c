// The runs on a hostile line: the simulated rig goes silent, garbles,
// trickles, drops, hangs up, floods or refuses while a load, save, clear,
// click or terminal send is going. Whatever the line does, the program
// must end the run (or let "Stop" end it), touch no row and no memory
// outside the channels in transfer, show the port as it is, and work again
// once the line is sound.
#include <gtest/gtest.h>

#include <chrono>
#include <string_view>
#include <tuple>

#include "rig_bench.h"

namespace varnek::conformance {
namespace {

enum class Fault { Silence, Garbage, Split, Drop, HangUp, Flood, Refuse };
enum class Step { Load, Save, Clear, Click, Send };

const char* FaultName(Fault f) {
  switch (f) {
    case Fault::Silence:
      return "Silence";
    case Fault::Garbage:
      return "Garbage";
    case Fault::Split:
      return "SingleBytes";
    case Fault::Drop:
      return "Dropped";
    case Fault::HangUp:
      return "HangUp";
    case Fault::Flood:
      return "Flood1MB";
    case Fault::Refuse:
      return "RefuseAll";
  }
  return "?";
}

const char* RunName(Step r) {
  switch (r) {
    case Step::Load:
      return "Load";
    case Step::Save:
      return "Save";
    case Step::Clear:
      return "Clear";
    case Step::Click:
      return "Click";
    case Step::Send:
      return "Send";
  }
  return "?";
}

sim::Faults Armed(Fault f) {
  sim::Faults x;
  switch (f) {
    case Fault::Silence:
      x.silence = true;
      break;
    case Fault::Garbage:
      x.garbage = 8;
      break;
    case Fault::Drop:
      x.drop_every = 2;
      break;
    case Fault::HangUp:
      x.hangup_after = 1;  // the line goes dead right after the first command
      break;
    case Fault::Flood:
      x.flood = 1 << 20;
      break;
    case Fault::Refuse:
      x.refuse_all = true;
      break;
    case Fault::Split:
      break;  // an option of the simulator, set at its start
  }
  return x;
}

// "Paced" after a rig's id: the same rig with "Wait for answers" on.
constexpr std::string_view kPaced = "Paced";

RigProfile ProfileById(const std::string& id) {
  const bool paced = id.size() > kPaced.size() && id.ends_with(kPaced);
  const std::string rig = paced ? id.substr(0, id.size() - kPaced.size()) : id;
  for (auto p : AllProfiles()) {
    if (p.id != rig) continue;
    p.waitForAnswers = paced;
    return p;
  }
  return {};
}

using Param = std::tuple<std::string, Fault, Step>;

// Channels 10-13 are checked; "Stop" comes while the second is transferred,
// so 10 and 11 may change and nothing else may.
constexpr int kFirst = 10, kLast = 13, kReached = 11;

class Faults : public RigBench, public ::testing::WithParamInterface<Param> {
 protected:
  void SetUp() override {
    const auto& [id, fault, run] = GetParam();
    RigProfile p = ProfileById(id);
    // A little more room than the conformance runs: answers under load
    // here are noisy on purpose, the pacing should not add its own faults.
    p.channelInterval = p.family == Family::Yaesu5 ? 400 : 60;
    p.clusterDelayMs = p.family == Family::Yaesu5 ? 40 : 15;
    profile_ = p;
    sim::Options o;
    o.rig = p.selection;
    o.echo = p.echo;
    o.address = p.address;
    if (fault == Fault::Split) o.split = 1;
    Start(p.selection, o, p.channelInterval, p.commandInterval, p.clusterDelayMs);
    // Answer-paced, the faults cost one time-out per exchange they hit.
    if (p.waitForAnswers) program->SetDLG.SetOptions({true, false});
    host.ClearEvents();
    // Every cluster taken in adds transcript lines: the line is quiet only
    // when they stop too (a flood keeps the receive path busy long after
    // the rig's last command).
    program->RigForm.Terminal.OnLineAdded = [this](const std::string&) { ++lines_; };
    usb_ = UsbCode(p.family);
    for (int n = kFirst - 1; n <= kLast + 1; ++n)
      sim->SetChannel(n, SimChannel(Rig(n), usb_));
    memory_ = sim->Channels();
    // Every row holds something, so a stray answer shows wherever it lands.
    for (int n = 0; n < TMainForm::kChannels; ++n)
      Form().SetChannel(ChannelText(n), FreqText(Row(n)), "LSB", "KEEP");
  }

  static std::int64_t Rig(int n) { return 14000000 + n * 1000; }
  static std::int64_t Row(int n) { return 3600000 + n * 1000; }

  // Waits for the line to go quiet, within a bound whatever it does.
  void QuietLine(int quietMs = 300, int boundMs = 60000) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(boundMs);
    long last = -1, lastLines = -1;
    int quiet = 0;
    while (quiet < quietMs && std::chrono::steady_clock::now() < end) {
      host.WaitFor([] { return false; }, 50);
      const long n = sim->CommandsReceived();
      const bool queued = program->SerialPort1.FirstClusterSize() >= 0;
      quiet = (n == last && lines_ == lastLines && !queued) ? quiet + 50 : 0;
      last = n;
      lastLines = lines_;
    }
  }

  // The run with the fault armed after everything that prepares it.
  void RunUnderFault(Step run, Fault fault) {
    std::vector<int> channels;
    for (int n = kFirst; n <= kLast; ++n)
      channels.push_back(n);
    if (profile_.family == Family::Icom) {
      if (run == Step::Save) program->transfers.VfoA1Click();
      if (run == Step::Load || run == Step::Click) program->transfers.Memory1Click();
      QuietLine(150);
    }
    CheckOnly(channels);
    for (int n : channels)
      Form().SetChannel(ChannelText(n), FreqText(28000000 + n * 1000), "USB", "");
    if (run == Step::Load) {
      for (int n : channels)
        Form().SetChannel(ChannelText(n), "", "", "");
    }
    if (fault != Fault::Split) sim->SetFaults(Armed(fault));
    progressed_ = 0;
    program->transfers.OnProgress = [this](const std::string&, int done, int) {
      progressed_ = done;
      if (done == kReached - kFirst + 1) Form().MenuItem("Cancel1").Click();
    };
    host.SetConfirmAnswer(true);
    switch (run) {
      case Step::Load:
        program->transfers.LoadFromRig1Click();
        ASSERT_TRUE(program->transfers.WaitForLoad(120000)) << "the load hangs";
        break;
      case Step::Save:
        program->transfers.SaveToRig1Click();
        break;
      case Step::Clear:
        program->transfers.ClrMemory1Click();
        break;
      case Step::Click:
        program->transfers.LabelClick(kFirst);
        break;
      case Step::Send:
        program->RigForm.Edit[0].SetText(SendText());
        program->RigForm.SendBtnClick();
        break;
    }
    QuietLine();
    program->transfers.OnProgress = nullptr;
  }

  // A read of channel 10 typed into the terminal.
  std::string SendText() const {
    switch (profile_.family) {
      case Family::Kenwood:
        return "MR0 10;";
      case Family::Ft2000:
        return "MR010;";
      case Family::Icom:
        return "FE FE 00 E0 03 FD";
      case Family::Yaesu5:
        return "0A 00 00 04 10";
    }
    return {};
  }

  // Rows and memories a run may touch.
  bool InTransfer(int n, Step run) const {
    if (run == Step::Click || run == Step::Send) return n == kFirst;
    return n >= kFirst && n <= kReached;
  }

  void ExpectOnlyTransferredChanged(Step run) {
    for (int n = 0; n < TMainForm::kChannels; ++n) {
      const size_t i = static_cast<size_t>(n);
      if (run == Step::Load || run == Step::Click || run == Step::Send) {
        if (InTransfer(n, run)) continue;
      }
      const bool typed = n >= kFirst && n <= kLast;
      const std::string freq =
          typed ? (run == Step::Load ? "" : FreqText(28000000 + n * 1000)) : FreqText(Row(n));
      const std::string mode = typed ? (run == Step::Load ? "" : "USB") : "LSB";
      EXPECT_EQ(NormalizeFreq(Trim(Form().A[i].Text())), NormalizeFreq(freq)) << "row " << n;
      EXPECT_EQ(Form().M[i].Text(), mode) << "row " << n;
      EXPECT_EQ(Form().T[i].Text(), typed ? "" : "KEEP") << "row " << n;
    }
    const sim::Memory now = sim->Channels();
    for (const auto& [n, c] : memory_) {
      if ((run == Step::Save || run == Step::Clear) && InTransfer(n, run)) continue;
      const auto it = now.find(n);
      ASSERT_NE(it, now.end()) << "memory " << n << " is gone";
      EXPECT_EQ(it->second, c) << "memory " << n;
    }
    for (const auto& [n, c] : now) {
      if ((run == Step::Save || run == Step::Clear) && InTransfer(n, run)) continue;
      EXPECT_TRUE(memory_.count(n) || SimEmpty(c)) << "memory " << n << " appeared";
    }
  }

  // Exactly one lamp, and the one that matches the port.
  void ExpectIndicatorTellsTheTruth() {
    const bool open = program->SerialPort1.Active();
    EXPECT_EQ(Form().Led.Visible(), open) << "port " << (open ? "open" : "closed");
    EXPECT_EQ(Form().NoLed.Visible(), !open) << "port " << (open ? "open" : "closed");
  }

  // A sound line again: the same rig, or after a hang-up (and for the
  // single-byte option, and after a flood whose tail may still be on its way
  // on a loaded machine) a new one with the same memory, and the port opened
  // on it as the settings dialog does.
  void Recover(Fault fault) {
    if (fault == Fault::HangUp || fault == Fault::Split || fault == Fault::Flood) {
      const sim::Memory keep = sim->Channels();
      sim->Stop();
      sim::Options o;
      o.rig = profile_.selection;
      o.echo = profile_.echo;
      o.address = profile_.address;
      sim = std::make_unique<sim::Simulator>(o);
      for (const auto& [n, c] : keep)
        sim->SetChannel(n, c);
      program->SetDLG.portPaths.Set("COM1", sim->Start());
      program->SetDLG.ApplyDialogToPort(program->SerialPort1);
      program->SetDLG.RefreshPortIndicator();
    } else {
      sim->SetFaults({});
    }
    QuietLine(150);
  }

  std::string usb_;
  sim::Memory memory_;
  int progressed_ = 0;
  long lines_ = 0;
};

TEST_P(Faults, RunEndsTouchesOnlyItsChannelsAndTheNextRunWorks) {
  const auto& [id, fault, run] = GetParam();
  RunUnderFault(run, fault);
  if (HasFatalFailure()) return;
  EXPECT_FALSE(program->transfers.Busy());
  EXPECT_FALSE(Form().TransferBusy());
  const bool run3 = run == Step::Load || run == Step::Save || run == Step::Clear;
  ExpectOnlyTransferredChanged(run);
  ExpectIndicatorTellsTheTruth();
  if (fault == Fault::HangUp) {
    EXPECT_FALSE(program->SerialPort1.Active());
    // The line says what happened to the port, the run where it stopped.
    EXPECT_TRUE(Form().lbStatusLine.Visible());
    EXPECT_FALSE(Form().lbStatusLine.Caption().empty());
    if (run3) {
      EXPECT_GE(progressed_, 1);
      EXPECT_LE(progressed_, kReached - kFirst + 1);
      ASSERT_EQ(host.Errors().size(), 1u) << ::testing::PrintToString(host.Errors());
      EXPECT_NE(host.Errors()[0].find("closed at channel"), std::string::npos) << host.Errors()[0];
      EXPECT_NE(Form().lbChan.Caption(), "Ready") << "a run into a dead line ended as done";
    }
  } else {
    EXPECT_TRUE(program->SerialPort1.Active());
    if (run3) {
      EXPECT_EQ(progressed_, kReached - kFirst + 1) << "\"Stop\" did not end the run";
    }
  }

  Recover(fault);
  ASSERT_TRUE(program->SerialPort1.Active());
  ExpectIndicatorTellsTheTruth();
  host.ClearEvents();
  // Channels 12 and 13 were never in transfer: they still read back.
  for (int n = kLast - 1; n <= kLast; ++n)
    Form().SetChannel(ChannelText(n), "", "", "");
  Load({kLast - 1, kLast});
  for (int n = kLast - 1; n <= kLast; ++n)
    EXPECT_EQ(NormalizeFreq(Trim(Form().A[static_cast<size_t>(n)].Text())),
              NormalizeFreq(FreqText(Rig(n))))
        << "channel " << n << " after the fault";
  EXPECT_TRUE(host.Errors().empty()) << ::testing::PrintToString(host.Errors());
}

// One rig of each receive path: ASCII, CI-V with its bus echo, five-byte.
std::vector<Param> Cases() {
  const std::vector<Fault> faults = {Fault::Silence, Fault::Garbage, Fault::Split, Fault::Drop,
                                     Fault::HangUp,  Fault::Flood,   Fault::Refuse};
  const std::vector<Step> runs = {Step::Load, Step::Save, Step::Clear, Step::Click, Step::Send};
  std::vector<Param> cases;
  for (const char* rig : {"TS570", "ICCIV", "FT920", "TS570Paced", "ICCIVPaced", "FT920Paced"}) {
    const std::string id = rig;
    if (Reduced() && id.starts_with("FT920")) continue;
    const bool paced = id.ends_with(kPaced);
    for (Fault f : faults) {
      for (Step r : runs) {
        // The terminal's send is the same in both pacings.
        if (paced && r == Step::Send) continue;
        // A five-byte channel takes most of a second each way: the line
        // faults meet its load and save, which cover its receive path.
        if (id.starts_with("FT920") && r != Step::Load && r != Step::Save) continue;
        // The CI-V receive path pauses for every cluster, so a megabyte of
        // noise keeps it busy for half a minute: one run of it suffices.
        if (id.starts_with("ICCIV") && f == Fault::Flood && r != Step::Load) continue;
        cases.emplace_back(id, f, r);
      }
    }
  }
  return cases;
}

std::string Name(const ::testing::TestParamInfo<Param>& info) {
  return std::get<0>(info.param) + "_" + FaultName(std::get<1>(info.param)) + "_" +
         RunName(std::get<2>(info.param));
}

INSTANTIATE_TEST_SUITE_P(HostileLine, Faults, ::testing::ValuesIn(Cases()), Name);

}  // namespace
}  // namespace varnek::conformance
