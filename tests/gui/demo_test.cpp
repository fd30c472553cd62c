// The demonstration: a simulated rig with sample channels, loaded into the
// window as a new user would.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QTest>
#include <QTimer>
#include <thread>

#include "app/demo.h"
#include "base/headless_host.h"
#include "base/text.h"
#include "app/program.h"
#include "gui/main_window.h"

namespace varnek::gui {
namespace {

TEST(Demo, SampleChannelsLoadIntoTheWindow) {
  Demo demo(kDemoDefaultRig, VARNEK_RIGSIM);
  HeadlessHost host;
  Program program(host, demo.Environment());
  program.MainForm.caption = "Varnek - demo with a simulated " + demo.Rig();
  program.FormCreate();
  MainWindow window(host, program);
  window.show();
  program.FormShow();
  ASSERT_EQ(program.MainForm.cbxRig.Text(), "Kenwood TS-570");
  ASSERT_TRUE(program.SerialPort1.Active()) << demo.Device();
  program.SerialPort1.SetRTOExtraDelayTime(30);
  program.MainForm.edIntval.UserInput("80");
  for (int n = 1; n <= 31; ++n)
    program.MainForm.cb[n].SetChecked(true);
  program.MainForm.MenuItem("LoadFromRig1").Click();
  ASSERT_TRUE(program.transfers.WaitForLoad(60000));
  host.WaitFor([] { return false; }, 500);
  EXPECT_EQ(program.MainForm.A[3].Text(), "  3.699.000");
  EXPECT_EQ(program.MainForm.M[3].Text(), "LSB");
  EXPECT_EQ(program.MainForm.A[21].Text(), "29.600.000");
  EXPECT_EQ(program.MainForm.M[21].Text(), "FM");
  EXPECT_EQ(program.MainForm.A[31].Text(), "");  // an empty channel stores nothing
  QApplication::processEvents();
  QDir().mkpath(VARNEK_SCREENSHOT_DIR);
  EXPECT_TRUE(window.grab().save(VARNEK_SCREENSHOT_DIR "/demo.png"));
}

// The GUI's own event loop turns while a run waits, as in the program.
class PumpingHost : public HeadlessHost {
 public:
  void ProcessMessages() override {
    HeadlessHost::ProcessMessages();
    QCoreApplication::processEvents();
  }
};

// "Close" while a save runs: the save ends at its next channel, the
// settings are saved and the window goes, with no message box after it.
TEST(Demo, CloseDuringASaveEndsTheRunThenTheProgram) {
  Demo demo(kDemoDefaultRig, VARNEK_RIGSIM);
  PumpingHost host;
  Program program(host, demo.Environment());
  program.FormCreate();
  MainWindow window(host, program);
  window.show();
  program.FormShow();
  ASSERT_TRUE(program.SerialPort1.Active()) << demo.Device();
  program.MainForm.edIntval.UserInput("60");
  for (int n = 1; n <= 40; ++n) {
    program.MainForm.SetChannel(ChannelText(n), "7.050.000", "LSB", "");
    program.MainForm.cb[n].SetChecked(true);
  }
  QTimer::singleShot(400, &window, [&] { window.findChild<QAction*>("Close1")->trigger(); });
  window.findChild<QAction*>("SaveToRig1")->trigger();
  EXPECT_TRUE(QTest::qWaitFor([&] { return !window.isVisible(); }, 10000));
  EXPECT_FALSE(program.transfers.Busy());
  EXPECT_GT(program.transfers.SentChannels().size(), 0u);
  EXPECT_LT(program.transfers.SentChannels().size(), 40u);
  EXPECT_FALSE(program.SerialPort1.Active());
  EXPECT_TRUE(host.Messages().empty()) << ::testing::PrintToString(host.Messages());
  EXPECT_TRUE(host.Errors().empty()) << ::testing::PrintToString(host.Errors());
  EXPECT_FALSE(Profile(demo.SettingsFolder() + "settings.ini").ReadString("MainForm", "fMain").empty());
}

TEST(Demo, EveryRigHasSampleChannelsItCanHold) {
  for (const char* rig : {"Kenwood TS-570", "Kenwood TS-870S", "Kenwood TS-2000", "Icom IC-CI-V",
                          "Yaesu FT-920", "Yaesu FT-1000", "Yaesu FT-2000"}) {
    EXPECT_NO_THROW(Demo(rig, VARNEK_RIGSIM)) << rig;
    const std::string image = DemoMemoryImage(rig);
    EXPECT_GE(std::count(image.begin(), image.end(), '\n'), 16) << rig;
  }
  EXPECT_THROW(Demo("Nobody XX-1", VARNEK_RIGSIM), std::runtime_error);
  EXPECT_THROW(Demo(kDemoDefaultRig, "/nonexistent/varnek-rigsim"), std::runtime_error);
}

}  // namespace
}  // namespace varnek::gui
