#pragma once
// The whole program against one simulated rig, driven as a user drives the
// main window: rows typed into the table, check marks, the menu's runs.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "base/text.h"
#include "rig/freq.h"
#include "rig_profiles.h"
#include "transfer/program_fixture.h"

namespace varnek::conformance {

struct Row {
  int channel;
  std::string freq, mode, name;
};

inline std::string FreqText(std::int64_t hz) {
  char s[32];
  std::snprintf(s, sizeof s, "%lld.%03lld.%03lld", static_cast<long long>(hz / 1000000),
                static_cast<long long>(hz / 1000 % 1000), static_cast<long long>(hz % 1000));
  return s;
}

// The rig's own code for USB, for channels put straight into its memory.
inline std::string UsbCode(Family f) {
  return f == Family::Icom || f == Family::Yaesu5 ? "01" : "2";
}

inline sim::Channel SimChannel(std::int64_t hz, const std::string& mode) {
  sim::Channel c;
  c.hz = hz;
  c.mode = mode;
  return c;
}

inline bool SimEmpty(const std::optional<sim::Channel>& c) {
  return !c.has_value() || c->hz == 0 || c->masked;
}

class RigBench : public varnek::testing::ProgramFixture {
 protected:
  void StartRig(const RigProfile& p) {
    profile_ = p;
    sim::Options o;
    o.rig = p.selection;
    o.echo = p.echo;
    o.address = p.address;
    if (p.ic7300Record) {
      o.ic7300_record = p.ic7300Record;
      simLog_ = ::testing::TempDir() + "sim-" + p.id + ".log";
      o.log_file = simLog_;
    }
    Start(p.selection, o, p.channelInterval, p.commandInterval, p.clusterDelayMs);
    if (p.waitForAnswers) program->SetDLG.SetOptions({true, false});
    if (p.family == Family::Icom) {
      char addr[8];
      std::snprintf(addr, sizeof addr, "%02X", p.address);
      Form().edAddr.UserInput(addr);
      Form().edAddr.Exit();
    }
    host.ClearEvents();
  }
  const RigProfile& Profile() const { return profile_; }

  void Type(const std::vector<Row>& rows) {
    for (const Row& r : rows)
      Form().SetChannel(ChannelText(r.channel), r.freq, r.mode, r.name);
  }
  void CheckOnly(const std::vector<int>& channels) {
    Form().UncheckAll1Click();
    for (int n : channels)
      Form().cb[static_cast<size_t>(n)].SetChecked(true);
  }
  static std::vector<int> Channels(const std::vector<Row>& rows) {
    std::vector<int> c;
    for (const Row& r : rows)
      c.push_back(r.channel);
    return c;
  }

  // The save run over `channels`; stores go from the VFO on CI-V.
  void Save(const std::vector<int>& channels) {
    if (profile_.family == Family::Icom) {
      program->transfers.VfoA1Click();
      Settle(150);
    }
    CheckOnly(channels);
    program->transfers.SaveToRig1Click();
    Settle(150);
  }
  // The load run over `channels` into the table as it stands, whatever
  // mode (VFO or memory) the rig was left in.
  void Load(const std::vector<int>& channels) {
    CheckOnly(channels);
    program->transfers.LoadFromRig1Click();
    ASSERT_TRUE(program->transfers.WaitForLoad(180000)) << "the load did not end";
    Settle(150);
  }
  void Clear(const std::vector<int>& channels) {
    CheckOnly(channels);
    host.SetConfirmAnswer(true);
    program->transfers.ClrMemory1Click();
    Settle(150);
  }

  // The table's row against what was written, as the rig gives it back.
  void ExpectRow(const Row& r, bool withName) {
    const size_t i = static_cast<size_t>(r.channel);
    EXPECT_EQ(NormalizeFreq(Trim(Form().A[i].Text())), NormalizeFreq(r.freq))
        << "channel " << r.channel << " written " << r.freq << " " << r.mode;
    EXPECT_EQ(Form().M[i].Text(), ReadsAs(profile_.id, r.mode))
        << "channel " << r.channel << " written " << r.freq << " " << r.mode;
    if (withName) {
      EXPECT_EQ(Form().T[i].Text(), r.name) << "channel " << r.channel;
    }
  }
  void ExpectEmptyRow(int n) {
    const size_t i = static_cast<size_t>(n);
    EXPECT_EQ(Form().A[i].Text(), "") << "channel " << n;
    EXPECT_EQ(Form().M[i].Text(), "") << "channel " << n;
  }
  // The one message a run shows for the channels it did not write.
  void ExpectRefusals(const std::vector<std::string>& lines) {
    const auto messages = host.Messages();
    if (lines.empty()) {
      EXPECT_TRUE(messages.empty()) << ::testing::PrintToString(messages);
      return;
    }
    std::string want = "Not transferred:";
    for (const auto& l : lines)
      want += "\n" + l;
    ASSERT_EQ(messages.size(), 1u) << ::testing::PrintToString(messages);
    EXPECT_EQ(messages[0], want);
  }

  RigProfile profile_;
  std::string simLog_;  // every byte the simulated IC-7300 received and sent
};

}  // namespace varnek::conformance
