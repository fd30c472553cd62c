// The program's life without a screen: first start, rig changes, resets,
// what settings.ini keeps across a restart.
#include "app/program.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <fstream>
#include <thread>

#include "base/headless_host.h"
#include "settings/rig_settings.h"
#include "base/text.h"
#include "../serial/pty_fixture.h"
#include "support/temp_folder.h"
#include "support/test_environment.h"

namespace varnek {
namespace {

class ProgramLife : public ::testing::Test {
 protected:
  std::unique_ptr<Program> Start() {
    auto p = std::make_unique<Program>(host, testing::TestEnvironment(home.Path()));
    p->FormCreate();
    p->FormShow();
    return p;
  }
  std::string SettingsFile() { return home.Path() + ".config/Kolvir/Varnek/settings.ini"; }
  std::string Item(const TComboBox& box) {
    return box.ItemIndex() < 0 ? std::string() : box.Items()[static_cast<size_t>(box.ItemIndex())];
  }

  HeadlessHost host;
  testing::TempFolder home;
};

TEST_F(ProgramLife, FirstStartWithoutSettings) {
  auto p = Start();
  EXPECT_EQ(p->MainForm.cbxRig.Text(), "Select radio");
  EXPECT_EQ(p->MainForm.cbxRig.Items(), RigList());
  EXPECT_FALSE(p->MainForm.A[0].Enabled());
  EXPECT_TRUE(p->MainForm.shared.LoadFinished.load());
  EXPECT_EQ(p->MainForm.shared.OperationState.Get(), "Once");
  p->FormClose(false);
  const Profile settings(SettingsFile());
  EXPECT_EQ(settings.ReadString("MainForm", "Rig"), "Select radio");
  EXPECT_FALSE(settings.ReadString("MainForm", "Select radio").empty());
  EXPECT_EQ(settings.ReadString("MainForm", "fMain"), "0,104,196");
}

TEST_F(ProgramLife, SelectingARigResetsItToItsFamily) {
  auto p = Start();
  p->MainForm.cbxRig.UserSelect(4);  // "Yaesu FT-920"
  EXPECT_EQ(p->MainForm.shared.ModelCode.Get(), "FT-920");
  EXPECT_EQ(Item(p->SetDLG.CBBaud), "4800");
  EXPECT_EQ(Item(p->SetDLG.CBStop), "2 Bits");
  EXPECT_FALSE(p->SetDLG.chkDtr.Checked());
  EXPECT_FALSE(p->SetDLG.chkRTS.Checked());
  EXPECT_EQ(p->MainForm.edIntval.Text(), "200");
  EXPECT_EQ(p->MainForm.shared.ChannelInterval.load(), 200);
  EXPECT_EQ(p->MainForm.shared.CommandInterval.load(), 150);
  EXPECT_EQ(p->SerialPort1.BaudRate(), 4800u);
  EXPECT_EQ(p->SerialPort1.StopBits(), 2);
  EXPECT_TRUE(p->MainForm.pnCmnd.Visible());

  p->MainForm.cbxRig.UserSelect(3);  // "Icom IC-CI-V": the mended reset agrees with itself
  EXPECT_EQ(p->MainForm.edWait.Text(), "150");
  EXPECT_EQ(p->MainForm.shared.CommandInterval.load(), 150);
  EXPECT_EQ(p->MainForm.shared.IcomLoopWait.load(), 75);
  EXPECT_EQ(p->MainForm.edIntval.Text(), "300");

  // The IC-7300 leaves the factory at 94: an empty address field proposes
  // it, where 00 would be the broadcast.
  p->MainForm.edAddr.SetText("");
  p->MainForm.cbxRig.UserSelect(7);  // "Icom IC-7300"
  EXPECT_EQ(p->MainForm.shared.ModelCode.Get(), "IC-7300");
  EXPECT_EQ(p->MainForm.edAddr.Text(), "94");
  EXPECT_EQ(p->MainForm.shared.CivAddress.Get(), "94");
}

TEST_F(ProgramLife, EachRigKeepsItsOwnSettings) {
  auto p = Start();
  p->MainForm.cbxRig.UserSelect(0);  // "Kenwood TS-570"
  EXPECT_TRUE(p->MainForm.A[0].Enabled());
  EXPECT_FALSE(p->MainForm.pnCmnd.Visible());
  p->SetDLG.CBPort.SetItemIndex(3);
  p->SetDLG.CBBaud.SetItemIndex(8);
  p->MainForm.edIntval.UserInput("350");
  p->SetDLG.rbPoint.SetChecked(true);
  p->SetDLG.OKBtnClick();
  p->MainForm.cbxRig.UserSelect(5);  // "Yaesu FT-1000"
  EXPECT_EQ(Item(p->SetDLG.CBBaud), "4800");
  p->MainForm.cbxRig.UserSelect(0);
  EXPECT_EQ(Item(p->SetDLG.CBPort), "COM4");
  EXPECT_EQ(Item(p->SetDLG.CBBaud), "19200");
  EXPECT_EQ(p->MainForm.edIntval.Text(), "350");
  EXPECT_EQ(p->MainForm.shared.ChannelInterval.load(), 350);
  EXPECT_TRUE(p->SetDLG.rbPoint.Checked());
  p->FormClose(false);

  // The next start comes back with the same rig and settings.
  p.reset();
  auto again = Start();
  EXPECT_EQ(again->MainForm.cbxRig.Text(), "Kenwood TS-570");
  EXPECT_EQ(again->MainForm.shared.ModelCode.Get(), "TS-570");
  EXPECT_EQ(Item(again->SetDLG.CBPort), "COM4");
  EXPECT_EQ(again->MainForm.edIntval.Text(), "350");
  EXPECT_TRUE(again->MainForm.A[0].Enabled());
}

TEST_F(ProgramLife, ARigChangeOpensOnlyTheNewRigsDevice) {
  const std::string old = home.Path() + "old-tty", fresh = home.Path() + "new-tty";
  home.Write(".config/Kolvir/Varnek/settings.ini",
             "[MainForm]\nRig=Kenwood TS-570\nKenwood TS-570=2_6_4_0_0_0_1_1__400___2\n"
             "Yaesu FT-1000=3_4_4_2_0_0_0_0__200_150__2\n[Ports]\nCOM3=" + old +
                 "\nCOM4=" + fresh + "\n");
  auto p = Start();
  std::vector<std::string> shown;
  p->MainForm.lbStatusLine.Subscribe([&] { shown.push_back(p->MainForm.lbStatusLine.Caption()); });
  p->MainForm.cbxRig.UserSelect(5);  // "Yaesu FT-1000"
  int onOld = 0, onNew = 0;
  for (const std::string& text : shown) {
    onOld += text.find(old) != std::string::npos;
    onNew += text.find(fresh) != std::string::npos;
  }
  EXPECT_EQ(onOld, 0);
  EXPECT_GT(onNew, 0);
}

// Start on a Yaesu (the address edit hidden until the end), change to the
// CI-V rig and close: its address and loop wait are still saved.
TEST_F(ProgramLife, CivAddressAndLoopWaitSurviveAStartOnAYaesu) {
  home.Write(".config/Kolvir/Varnek/settings.ini",
             "[MainForm]\nRig=Yaesu FT-920\nYaesu FT-920=0_4_4_2_0_0_0_0__200_150__2\n"
             "Icom IC-CI-V=0_6_4_0_0_0_1_1_5A_300_150_80_2\n");
  auto p = Start();
  EXPECT_FALSE(p->MainForm.edAddr.Visible());
  p->MainForm.cbxRig.UserSelect(3);  // "Icom IC-CI-V"
  EXPECT_TRUE(p->MainForm.edAddr.Visible());
  EXPECT_EQ(p->MainForm.edAddr.Text(), "5A");
  p->FormClose(false);
  const std::string line = Profile(SettingsFile()).ReadString("MainForm", "Icom IC-CI-V");
  EXPECT_EQ(line, "0_6_4_0_0_0_1_1_5A_300_150_80_2");
}

TEST_F(ProgramLife, ADeviceTakenBackToItsDefaultStaysSo) {
  auto p = Start();
  p->MainForm.cbxRig.UserSelect(0);
  p->SetDLG.Show();
  p->SetDLG.CBPort.UserSelect(2);  // COM3
  p->SetDLG.CBDevice.UserInput(home.Path() + "usb-adapter");
  p->SetDLG.OKBtnClick();
  p->SetDLG.Show();
  p->SetDLG.CBDevice.UserInput("");
  p->SetDLG.OKBtnClick();
  p.reset();
  auto again = Start();
  EXPECT_EQ(again->SetDLG.portPaths.Entries().count("COM3"), 0u);
}

TEST_F(ProgramLife, AnOpenThatWorksClearsTheSerialErrorShown) {
  testing::PtyPair pty;
  ASSERT_TRUE(pty.Ok());
  auto p = Start();
  p->SetDLG.portPaths.Set("COM1", home.Path() + "unplugged");
  p->SetDLG.NoLedClick();
  EXPECT_TRUE(p->MainForm.lbStatusLine.Visible());
  p->SetDLG.portPaths.Set("COM1", pty.SlavePath());
  p->SetDLG.NoLedClick();
  ASSERT_TRUE(p->SerialPort1.Active());
  EXPECT_FALSE(p->MainForm.lbStatusLine.Visible());
}

// The program ends while the serial thread hands over a hang-up's report:
// the report must reach none of the program's parts already gone (found by
// AddressSanitizer when the window was closed after the rig went away).
TEST(ProgramEnd, AHangUpHandedOverAtTheEndReachesNothingGone) {
  struct Host : HeadlessHost {
    std::atomic<int> handedOver{0};
    void RunOnGuiThread(const std::function<void()>& work) override {
      if (!IsGuiThread()) ++handedOver;
      HeadlessHost::RunOnGuiThread(work);
    }
  } host;
  testing::TempFolder home;
  testing::PtyPair pty;
  ASSERT_TRUE(pty.Ok());
  auto p = std::make_unique<Program>(host, testing::TestEnvironment(home.Path()));
  p->FormCreate();
  p->FormShow();
  p->SetDLG.portPaths.Set("COM1", pty.SlavePath());
  p->SetDLG.NoLedClick();
  ASSERT_TRUE(p->SerialPort1.Active());
  host.ProcessMessages();
  const int before = host.handedOver;
  pty.CloseMaster();
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (host.handedOver == before && std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  ASSERT_GT(host.handedOver, before);
  p.reset();
}

TEST_F(ProgramLife, AMinimisedWindowKeepsTheLastPosition) {
  auto p = Start();
  p->MainForm.bounds.top = 50;
  p->MainForm.bounds.left = 60;
  p->FormClose(false);
  p->MainForm.bounds.top = -32000;
  p->FormClose(true);
  EXPECT_EQ(Profile(SettingsFile()).ReadString("MainForm", "fMain"), "0,50,60");
  p.reset();
  auto again = Start();
  EXPECT_EQ(again->MainForm.bounds.top, 50);
  EXPECT_EQ(again->MainForm.bounds.left, 60);
}

TEST_F(ProgramLife, DamagedSettingsAreShownAndTheStartGoesOn) {
  home.Write(
      ".config/Kolvir/Varnek/settings.ini",
      "[MainForm]\nfMain=0,x,5\nRig=Kenwood TS-570\nKenwood TS-570=0_z_4_0_0_0_1_1__400___2\n");
  auto p = Start();
  EXPECT_EQ(host.Errors().size(), 2u);
  EXPECT_EQ(p->MainForm.bounds.left, 196);  // the designed place
  EXPECT_EQ(p->MainForm.cbxRig.Items(), RigList());
  EXPECT_TRUE(p->MainForm.shared.LoadFinished.load());
  EXPECT_EQ(p->MainForm.shared.ModelCode.Get(), "TS-570");
}

TEST_F(ProgramLife, TheTerminalLogOfTheLastRunIsGone) {
  home.Write("Documents/Kolvir/Varnek/terminal.ini", "[MainForm]\nRig=1\n1=#old\n");
  auto p = Start();
  EXPECT_FALSE(FileExists(home.Path() + "Documents/Kolvir/Varnek/terminal.ini"));
}

TEST_F(ProgramLife, PortableModeKeepsEverythingBesideTheProgram) {
  home.Write("bin/portable.ini", "");
  auto p = Start();
  EXPECT_EQ(p->MainForm.shared.SettingsFolder.Get(), home.Path() + "bin/");
  p->FormClose(false);
  EXPECT_TRUE(FileExists(home.Path() + "bin/settings.ini"));
  EXPECT_FALSE(FileExists(SettingsFile()));
}

TEST_F(ProgramLife, ChannelFilesFromTheMenu) {
  auto p = Start();
  const std::string file = home.Path() + "table.txt";
  p->AskFileName = [&](bool, const FileDialogSetup&) { return file; };
  p->MainForm.SetChannel("07", "14.250.000", "USB", "DX");
  p->MainForm.MenuItem("SaveToFile1").Click();
  EXPECT_EQ(host.Messages().back(), "Saved to file " + file);
  p->MainForm.ClearFM1Click();
  p->MainForm.MenuItem("LoadFromFile1").Click();
  EXPECT_EQ(p->MainForm.A[7].Text(), "  14.250.000");  // padded to line up
  EXPECT_EQ(p->MainForm.M[7].Text(), "USB");
  EXPECT_EQ(p->MainForm.T[7].Text(), "DX");
  p->AskFileName = [](bool, const FileDialogSetup&) { return std::string(); };  // cancelled
  p->MainForm.MenuItem("LoadFromFile1").Click();
  EXPECT_EQ(p->MainForm.A[7].Text(), "  14.250.000");  // padded to line up
  // Lines that are not channels are named; a file of none is refused whole.
  p->AskFileName = [&](bool, const FileDialogSetup&) { return file; };
  home.Write("table.txt", "My list\r\n8\t7.050.000\tCW\tX\r\n");
  p->MainForm.MenuItem("LoadFromFile1").Click();
  EXPECT_EQ(p->MainForm.A[8].Text(), "    7.050.000");
  EXPECT_NE(host.Messages().back().find("\rline 1 skipped: 'My list'"), std::string::npos)
      << host.Messages().back();
  home.Write("table.txt", "Location,Name,Frequency\r\n7,A,7.1\r\n");
  p->MainForm.MenuItem("LoadFromFile1").Click();
  EXPECT_NE(host.Errors().back().find("Not a channel file"), std::string::npos);
  EXPECT_EQ(p->MainForm.A[7].Text(), "  14.250.000");
}

TEST_F(ProgramLife, ChannelListsOfOtherProgramsFromTheMenu) {
  auto p = Start();
  p->MainForm.cbxRig.UserSelect(2);  // "Kenwood TS-2000": names travel too
  std::string file;
  p->AskFileName = [&](bool, const FileDialogSetup& setup) {
    EXPECT_EQ(setup.startFolder, p->MainForm.shared.DocumentsFolder.Get());
    return file;
  };
  p->MainForm.SetChannel("07", "14.250.000", "USB", "DX");
  p->MainForm.SetChannel("12", "145.500.000", "FM", "S20");
  for (const char* format : {"Chirp1", "Rigmem1"}) {
    file = home.Path() + format + ".csv";
    p->MainForm.MenuItem(std::string("SaveTo") + format).Click();
    ASSERT_TRUE(FileExists(file)) << format;
    p->MainForm.ClearFM1Click();
    p->MainForm.MenuItem(std::string("LoadFrom") + format).Click();
    EXPECT_EQ(Trim(p->MainForm.A[7].Text()), "14.250.000") << format;
    EXPECT_EQ(p->MainForm.M[7].Text(), "USB") << format;
    EXPECT_EQ(p->MainForm.T[7].Text(), "DX") << format;
    EXPECT_EQ(Trim(p->MainForm.A[12].Text()), "145.500.000") << format;
    EXPECT_EQ(p->MainForm.M[12].Text(), "FM") << format;
  }
  EXPECT_TRUE(host.Errors().empty());
}

TEST_F(ProgramLife, HelpTexts) {
  auto p = Start();
  p->MainForm.MenuItem("Advice1").Click();
  p->MainForm.MenuItem("Neuvoja1").Click();
  ASSERT_EQ(host.Messages().size(), 2u);
  EXPECT_EQ(host.Messages()[0].rfind("- Only checked channels", 0), 0u);
  EXPECT_NE(host.Messages()[1].find("rigist\xE4"), std::string::npos);
}

}  // namespace
}  // namespace varnek
