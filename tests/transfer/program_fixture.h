#pragma once
// The whole program without a screen, talking to a simulated rig over a
// pseudo-terminal, with its settings in a temporary home folder.
#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>

#include "base/headless_host.h"
#include "app/program.h"
#include "sim/simulator.h"
#include "support/temp_folder.h"
#include "support/test_environment.h"

namespace varnek::testing {

class ProgramFixture : public ::testing::Test {
 protected:
  // Starts the simulated `rig`, selects the same rig in the program and
  // points COM1 at the simulator.
  void Start(const std::string& selection, sim::Options options, int channelInterval = 40,
             int commandInterval = 10, int clusterDelayMs = 15) {
    options.rig = options.rig.empty() ? selection : options.rig;
    sim = std::make_unique<sim::Simulator>(options);
    const std::string device = sim->Start();
    program = std::make_unique<Program>(host, TestEnvironment(home.Path()));
    program->FormCreate();
    program->SetDLG.portPaths.Set("COM1", device);
    program->FormShow();
    Form().cbxRig.UserInput(selection);
    program->SetDLG.CBPort.SetItemIndex(0);
    // Clusters are handed over this long after the last byte: short, so the
    // small intervals of the tests still see each answer before the next
    // request.
    // (A five-byte Yaesu paces its record byte by byte: it needs the usual
    // delay to arrive as one cluster.)
    if (clusterDelayMs > 0) program->SerialPort1.SetRTOExtraDelayTime(clusterDelayMs);
    program->SetDLG.ApplyDialogToPort(program->SerialPort1);
    ASSERT_TRUE(program->SerialPort1.Active()) << device;
    Form().edIntval.UserInput(std::to_string(channelInterval));
    Form().edWait.SetText(std::to_string(commandInterval));
    Form().shared.CommandInterval = commandInterval;
    program->SetDLG.edLoopWait.SetText("10");
    Form().shared.IcomLoopWait = 10;
    host.ClearEvents();
  }
  void TearDown() override {
    program.reset();
    if (sim) sim->Stop();
  }

  TMainForm& Form() { return program->MainForm; }
  // Lets received answers be parsed until `done` holds.
  bool Until(const std::function<bool()>& done, int timeoutMs = 8000) {
    return host.WaitFor(done, timeoutMs);
  }
  // Lets the line go quiet: everything the rig still sends is parsed.
  void Settle(int quietMs = 300) {
    long last = -1;
    int quiet = 0;
    while (quiet < quietMs) {
      host.WaitFor([] { return false; }, 50);
      const long n = sim->CommandsReceived();
      const int32_t queued = program->SerialPort1.FirstClusterSize();
      quiet = (n == last && queued < 0) ? quiet + 50 : 0;
      last = n;
    }
  }
  void Check(std::initializer_list<int> channels) {
    for (int n : channels)
      Form().cb[n].SetChecked(true);
  }

  HeadlessHost host;
  TempFolder home;
  std::unique_ptr<sim::Simulator> sim;
  std::unique_ptr<Program> program;
};

}  // namespace varnek::testing
