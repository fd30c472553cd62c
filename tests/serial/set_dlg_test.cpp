// The settings dialog model against a real port on a pseudo-terminal.
#include "serial/set_dlg.h"

#include <filesystem>
#include <fstream>

#include <gtest/gtest.h>

#include "base/errors.h"
#include "app/main_form.h"
#include "pty_fixture.h"

namespace varnek::testing {
namespace {

class SetDlgTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(pty.Ok());
    port.OnProcessError = [this](TSerialPort&, uint32_t place, uint32_t, const std::string&,
                                 uint8_t noise) {
      if (noise == 0) errors.push_back(place);
    };
    // COM1 and COM3 are the pty; COM2 is a device that is not there.
    dlg.portPaths.Set("COM1", pty.SlavePath());
    dlg.portPaths.Set("COM3", pty.SlavePath());
    dlg.portPaths.Set("COM2", "/dev/no-such-serial-device");
    port.SetCommPort("COM1");
  }

  void SelectLists(int portPos, int baud, int data, int stop, int parity, int flow) {
    dlg.CBPort.SetItemIndex(portPos);
    dlg.CBBaud.SetItemIndex(baud);
    dlg.CBData.SetItemIndex(data);
    dlg.CBStop.SetItemIndex(stop);
    dlg.CBParity.SetItemIndex(parity);
    dlg.CBFlow.SetItemIndex(flow);
  }

  HeadlessHost host;
  PtyPair pty;
  TMainForm main{host};
  TSerialPort port{host};
  TSetDLG dlg{main, port};
  std::vector<uint32_t> errors;
};

TEST_F(SetDlgTest, LoadShowsThePortsSettings) {
  struct Case {
    std::string commPort;
    uint32_t baud;
    uint8_t data, stop, parity;
    int32_t flow;
    int portPos, baudPos, dataPos, stopPos, parityPos, flowPos;
    std::string device;
  } cases[] = {
      {"COM30", 4800, 8, 0, 0, FlowRtsCts, 1, 5, 4, 0, 0, 2, "/dev/no-such-serial-device"},
      {"COM5", 1000, 7, 2, 3, 0x123, 4, 6, 3, 2, 3, 0, "/dev/ttyS4"},
      {"COM1", 115200, 9, 0, 4, FlowXonXoff, 0, 12, 4, 0, 4, 1, pty.SlavePath()},
      {"COM25", 256000, 5, 9, 9, FlowDsrDtr, 24, 14, 1, -1, -1, 3, "/dev/ttyS24"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.commPort);
    port.SetCommPort(c.commPort);
    port.SetBaudRate(c.baud);
    port.SetDataBits(c.data);
    port.SetStopBits(c.stop);
    port.SetParityType(c.parity);
    port.SetFlowControl(c.flow);
    dlg.LoadDialogFromPort(port);
    EXPECT_EQ(dlg.CBPort.ItemIndex(), c.portPos);
    EXPECT_EQ(dlg.CBBaud.ItemIndex(), c.baudPos);
    EXPECT_EQ(dlg.CBData.ItemIndex(), c.dataPos);
    EXPECT_EQ(dlg.CBStop.ItemIndex(), c.stopPos);
    EXPECT_EQ(dlg.CBParity.ItemIndex(), c.parityPos);
    EXPECT_EQ(dlg.CBFlow.ItemIndex(), c.flowPos);
    EXPECT_EQ(dlg.CBDevice.Text(), c.device);
  }
  EXPECT_EQ(dlg.CBBaud.Items()[12], "115200");
}

TEST_F(SetDlgTest, ApplyGivesThePortTheListsAndOpensIt) {
  struct Case {
    const char* what;
    int portPos, baud, data, stop, parity, flow;
    bool dtr;
    std::string commPort;
    uint32_t baudRate;
    uint8_t dataBits, stopBits, parityType;
    int32_t flowControl;
  } cases[] = {
      {"plain", 0, 6, 4, 0, 0, 0, true, "COM1", 9600, 8, 0, 0, FlowNone},
      {"115200 at its old place", 2, 12, 4, 2, 2, 2, false, "COM3", 115200, 8, 2, 2, FlowRtsCts},
      {"xon/xoff, odd", 0, 11, 4, 0, 1, 1, true, "COM1", 57600, 8, 0, 1, FlowXonXoff},
      // No selection (an out-of-range position in a settings line): the
      // port keeps what it had.
      {"nothing selected", -1, -1, -1, -1, -1, -1, true, "COM1", 57600, 8, 0, 1, FlowXonXoff},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    errors.clear();
    SelectLists(c.portPos, c.baud, c.data, c.stop, c.parity, c.flow);
    dlg.chkDtr.SetChecked(c.dtr);
    dlg.chkRTS.SetChecked(true);
    dlg.ApplyDialogToPort(port);
    EXPECT_TRUE(port.Active());
    EXPECT_EQ(port.CommPort(), c.commPort);
    EXPECT_EQ(port.BaudRate(), c.baudRate);
    EXPECT_EQ(port.DataBits(), c.dataBits);
    EXPECT_EQ(port.StopBits(), c.stopBits);
    EXPECT_EQ(port.ParityType(), c.parityType);
    EXPECT_EQ(port.FlowControl(), c.flowControl);
    EXPECT_EQ(port.DTRState(), c.dtr);
    EXPECT_TRUE(port.RTSState());
    EXPECT_TRUE(errors.empty());
  }
}

TEST_F(SetDlgTest, ParseFillsTheDialogTheMainWindowAndTheTimings) {
  struct Case {
    std::string line;
    int portPos, baudPos, dataPos;
    bool dtr, rts;
    std::string addr, intval, wait, loop;
    int channel, command, loopWait;
    FreqNotation notation;
  } cases[] = {
      {"0_6_4_0_0_0_1_1__400___2", 0, 6, 4, true, true, "", "400", "", "", 400, 150, 75,
       FreqNotation::TwoPoints},
      {"2_12_3_2_1_2_0_0_A4_300_175_100_1", 2, 12, 3, false, false, "A4", "300", "175", "100", 300,
       175, 100, FreqNotation::Point},
      // Field 13 out of its range keeps the choice; a data-bit field that is
      // not a number means 8 bits; empty list fields keep the lists.
      {"__x____1_1__200_abc__9", 2, 12, 4, true, true, "", "200", "abc", "", 200, 150, 75,
       FreqNotation::Point},
      {"0_6_4_0_0_0_1_1__400___3", 0, 6, 4, true, true, "", "400", "", "", 400, 150, 75,
       FreqNotation::Comma},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.line);
    dlg.ParseRigSettings(c.line);
    EXPECT_EQ(dlg.CBPort.ItemIndex(), c.portPos);
    EXPECT_EQ(dlg.CBBaud.ItemIndex(), c.baudPos);
    EXPECT_EQ(dlg.CBData.ItemIndex(), c.dataPos);
    EXPECT_EQ(dlg.chkDtr.Checked(), c.dtr);
    EXPECT_EQ(dlg.chkRTS.Checked(), c.rts);
    EXPECT_TRUE(port.Active());
    // The boxes reached the line even where they did not change.
    EXPECT_EQ(port.DTRState(), c.dtr);
    EXPECT_EQ(port.RTSState(), c.rts);
    EXPECT_EQ(main.edAddr.Text(), c.addr);
    EXPECT_EQ(main.edIntval.Text(), c.intval);
    EXPECT_EQ(main.edWait.Text(), c.wait);
    EXPECT_EQ(dlg.edLoopWait.Text(), c.loop);
    EXPECT_EQ(main.shared.CivAddress.Get(), c.addr);
    EXPECT_EQ(main.shared.ChannelInterval, c.channel);
    EXPECT_EQ(main.shared.CommandInterval, c.command);
    EXPECT_EQ(main.shared.IcomLoopWait, c.loopWait);
    EXPECT_EQ(dlg.Notation(), c.notation);
    EXPECT_EQ(dlg.rbPoint.Checked() + dlg.rbTwoPnts.Checked() + dlg.rbComma.Checked(), 1);
  }
}

TEST_F(SetDlgTest, ABadStrictFieldStopsTheRestAndLeavesThePortAlone) {
  SelectLists(1, 6, 4, 0, 0, 0);
  EXPECT_THROW(dlg.ParseRigSettings("0_x_3_0_0_0_0_0__100___1"), EConvertError);
  EXPECT_EQ(dlg.CBPort.ItemIndex(), 0);  // before the bad field: applied
  EXPECT_EQ(dlg.CBBaud.ItemIndex(), 6);  // the bad field and after: kept
  EXPECT_EQ(dlg.CBData.ItemIndex(), 4);
  EXPECT_FALSE(port.Active());
  EXPECT_EQ(main.edIntval.Text(), "400");
  EXPECT_EQ(dlg.Notation(), FreqNotation::TwoPoints);
}

TEST_F(SetDlgTest, AnOutOfRangePositionKeepsThePortsValue) {
  port.SetBaudRate(19200);
  dlg.ParseRigSettings("0_15_4_0_0_0_1_1__400___2");
  EXPECT_EQ(dlg.CBBaud.ItemIndex(), -1);
  dlg.ApplyDialogToPort(port);
  EXPECT_TRUE(port.Active());
  EXPECT_EQ(port.BaudRate(), 19200u);
}

TEST_F(SetDlgTest, SaveBuildsTheLineFromWhatIsShown) {
  std::vector<std::pair<std::string, std::string>> saved;
  dlg.SaveRigLine = [&](const std::string& rig, const std::string& line) {
    saved.emplace_back(rig, line);
  };
  struct Case {
    const char* rig;
    bool addrShown, cmdShown, icomShown;
    std::string expected;
  } cases[] = {
      {"Kenwood TS-570", true, false, false, "0_6_4_0_0_0_1_1__400___2"},
      {"Icom IC-CI-V", true, true, true, "0_6_4_0_0_0_1_1_5E_400_175_100_2"},
      {"Yaesu FT-1000", false, true, false, "0_6_4_0_0_0_1_1__400_175__2"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.rig);
    saved.clear();
    main.cbxRig.SetText(c.rig);
    main.edAddr.SetVisible(c.addrShown);
    main.edAddr.SetText(c.addrShown && c.icomShown ? "5E" : "");
    main.pnCmnd.SetVisible(c.cmdShown);
    dlg.pnIcom.SetVisible(c.icomShown);
    dlg.edLoopWait.SetText("100");
    SelectLists(0, 6, 4, 0, 0, 0);
    dlg.chkDtr.SetChecked(true);
    dlg.chkRTS.SetChecked(true);
    dlg.SaveSettings();
    ASSERT_EQ(saved.size(), 1u);
    EXPECT_EQ(saved[0].first, c.rig);
    EXPECT_EQ(saved[0].second, c.expected);
  }
  // Saving does not touch the port: a closed one stays closed.
  EXPECT_FALSE(port.Active());
}

TEST_F(SetDlgTest, IndicatorShowsWhatHappened) {
  struct Step {
    const char* what;
    std::function<void()> act;
    bool open;
  } steps[] = {
      {"open port", [&] { dlg.btOpenPort.Click(); }, true},
      {"close port", [&] { dlg.btClosePort.Click(); }, false},
      {"open a missing device",
       [&] {
         dlg.CBPort.SetItemIndex(1);
         dlg.ApplyDialogToPort(port);
         dlg.btOpenPort.Click();
       },
       false},
      {"NoLed with a missing device", [&] { main.NoLed.Click(); }, false},
      {"NoLed with the pty",
       [&] {
         dlg.CBPort.SetItemIndex(0);
         main.NoLed.Click();
       },
       true},
      {"Led", [&] { main.Led.Click(); }, false},
  };
  dlg.LoadDialogFromPort(port);
  for (const auto& s : steps) {
    SCOPED_TRACE(s.what);
    s.act();
    EXPECT_EQ(port.Active(), s.open);
    EXPECT_EQ(main.Led.Visible(), s.open);
    EXPECT_EQ(main.NoLed.Visible(), !s.open);
  }
}

TEST_F(SetDlgTest, LineBoxesActAtOnceEvenWhenCancelled) {
  dlg.Show();
  dlg.btOpenPort.Click();
  ASSERT_TRUE(port.Active());
  bool closed = false;
  dlg.OnCloseDialog = [&] { closed = true; };
  dlg.chkDtr.Toggle();
  EXPECT_FALSE(port.DTRState());
  dlg.chkRTS.Toggle();
  EXPECT_FALSE(port.RTSState());
  dlg.CBBaud.UserSelect(0);  // a list change is not applied by Cancel
  dlg.CancelBtn.Click();
  EXPECT_TRUE(closed);
  EXPECT_FALSE(dlg.Visible());
  EXPECT_FALSE(port.DTRState());
  EXPECT_EQ(port.BaudRate(), 9600u);
}

TEST_F(SetDlgTest, OkSavesAppliesAndCloses) {
  std::string line;
  dlg.SaveRigLine = [&](const std::string&, const std::string& l) { line = l; };
  dlg.Show();
  dlg.CBBaud.UserSelect(12);
  dlg.OKbtn.Click();
  EXPECT_EQ(line.substr(0, 5), "0_12_");
  EXPECT_TRUE(port.Active());
  EXPECT_EQ(port.BaudRate(), 115200u);
  EXPECT_TRUE(main.Led.Visible());
  EXPECT_FALSE(dlg.Visible());
}

TEST_F(SetDlgTest, IcomPanelAppearsOnceAndStays) {
  EXPECT_FALSE(dlg.pnIcom.Visible());
  for (const char* code : {"TS-570", "IC-CI-V", "FT-1000"}) {
    main.shared.ModelCode = code;
    dlg.Show();
  }
  EXPECT_TRUE(dlg.pnIcom.Visible());
}

TEST_F(SetDlgTest, ClickToRigAndNotationChoices) {
  dlg.cbCcr.Toggle();
  EXPECT_TRUE(main.cbCcr.Checked());
  EXPECT_TRUE(main.cbCcr.Visible());
  dlg.cbCcr.Toggle();
  EXPECT_FALSE(main.cbCcr.Checked());
  EXPECT_FALSE(main.cbCcr.Visible());

  struct Pick {
    TRadioButton& rb;
    FreqNotation notation;
  } picks[] = {{dlg.rbComma, FreqNotation::Comma},
               {dlg.rbPoint, FreqNotation::Point},
               {dlg.rbTwoPnts, FreqNotation::TwoPoints}};
  for (auto& p : picks) {
    p.rb.Toggle();
    EXPECT_EQ(dlg.Notation(), p.notation);
    EXPECT_EQ(dlg.rbPoint.Checked() + dlg.rbTwoPnts.Checked() + dlg.rbComma.Checked(), 1);
  }
}

TEST_F(SetDlgTest, DeviceBoxMapsThePortName) {
  dlg.Show();
  dlg.CBPort.UserSelect(3);
  EXPECT_EQ(dlg.CBDevice.Text(), "/dev/ttyS3");
  dlg.CBDevice.UserInput(pty.SlavePath());
  EXPECT_EQ(dlg.portPaths.Resolve("COM4"), pty.SlavePath());
  dlg.ApplyDialogToPort(port);
  EXPECT_TRUE(port.Active());
  EXPECT_EQ(port.DevicePath(), pty.SlavePath());
  // Emptying the box goes back to the default.
  dlg.CBDevice.UserInput("");
  EXPECT_EQ(dlg.portPaths.Resolve("COM4"), "/dev/ttyS3");
}

TEST(SerialDevices, AreListedStableNamesFirstAndInNumberOrder) {
  namespace fs = std::filesystem;
  const fs::path root = fs::temp_directory_path() / ("varnek-dev-" + std::to_string(getpid()));
  fs::create_directories(root / "serial" / "by-id");
  for (const char* name : {"serial/by-id/usb-FTDI_FT232R-if00", "ttyUSB1", "ttyUSB0", "ttyS10",
                           "ttyS2", "ttyACM0", "null", "tty0"})
    std::ofstream(root / name).put('\n');
  const std::string r = root.string();
  EXPECT_EQ(
      ListSerialDevices(r),
      (std::vector<std::string>{r + "/serial/by-id/usb-FTDI_FT232R-if00", r + "/ttyUSB0",
                                r + "/ttyUSB1", r + "/ttyACM0", r + "/ttyS2", r + "/ttyS10"}));
  fs::remove_all(root);
  EXPECT_TRUE(ListSerialDevices(r).empty());
}

}  // namespace
}  // namespace varnek::testing
