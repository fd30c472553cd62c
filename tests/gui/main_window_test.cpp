// The main window's view, offscreen: the controls sit where the layout puts
// them, the menu carries every item in order, user input reaches the model.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTest>

#include "base/headless_host.h"
#include "gui/main_window.h"

namespace varnek::gui {
namespace {

class MainWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    window = std::make_unique<MainWindow>(host, form);
    window->show();
    QApplication::processEvents();
  }

  template <class W = QWidget>
  W* Find(const char* name) {
    W* w = window->client()->findChild<W*>(name);
    EXPECT_NE(w, nullptr) << name;
    return w;
  }

  HeadlessHost host;
  TMainForm form{host};
  std::unique_ptr<MainWindow> window;
};

TEST_F(MainWindowTest, TableSitsOnItsGrid) {
  const int checkLeft[4] = {199, 423, 648, 873};
  for (int k = 0; k < 4; ++k) {
    for (int r : {0, 12, 24}) {
      const int n = 25 * k + r;
      const std::string id = std::to_string(n);
      const QRect label = Find(("Label" + id).c_str())->geometry();
      EXPECT_EQ(label.left(), 225 * k) << n;
      EXPECT_NEAR(label.top(), 19 + 22 * r, 2) << n;
      EXPECT_EQ(Find(("A" + id).c_str())->geometry(), QRect(17 + 225 * k, 16 + 22 * r, 70, 21));
      EXPECT_EQ(Find(("M" + id).c_str())->geometry(), QRect(90 + 225 * k, 16 + 22 * r, 39, 21));
      EXPECT_EQ(Find(("T" + id).c_str())->geometry(), QRect(132 + 225 * k, 16 + 22 * r, 63, 21));
      const QRect check = Find(("cb" + id).c_str())->geometry();
      EXPECT_EQ(check.left(), checkLeft[k]) << n;
      EXPECT_NEAR(check.top(), 18 + 22 * r, 1) << n;
      EXPECT_EQ(check.size(), QSize(16, 17)) << n;
      EXPECT_EQ(Find<QLabel>(("Label" + id).c_str())->text(), QString::asprintf("%02d", n));
    }
    const std::string col = std::to_string(k + 1);
    EXPECT_EQ(Find<QLabel>(("Freq" + col).c_str())->text(), "Freq");
    EXPECT_EQ(Find<QLabel>(("Mode" + col).c_str())->text(), "Mode");
    EXPECT_EQ(Find<QLabel>(("Label" + std::to_string(103 + k)).c_str())->text(), "Name");
    for (const char* caption : {"Freq", "Mode"})
      EXPECT_EQ(Find((caption + col).c_str())->geometry().top(), 0);
    auto* button = Find<QPushButton>(("bt" + col).c_str());
    EXPECT_EQ(button->text(), "c");
    EXPECT_EQ(button->size(), QSize(12, 12));
    EXPECT_EQ(button->toolTip(), "Check this column");
    EXPECT_NEAR(button->geometry().left(), checkLeft[k], 4);
  }
  // Labels 90..99 are maroon, the others black; 00 and 01 carry a hint.
  EXPECT_EQ(Find("Label95")->palette().color(QPalette::WindowText), QColor(128, 0, 0));
  EXPECT_EQ(Find("Label89")->palette().color(QPalette::WindowText), QColor(0, 0, 0));
  EXPECT_EQ(Find("Label1")->toolTip(), "Click channel data from rig");
  EXPECT_EQ(Find("Label2")->toolTip(), "");
  EXPECT_EQ(Find("Label7")->cursor().shape(), Qt::PointingHandCursor);
  EXPECT_FALSE(Find("A0")->isEnabled());  // no rig chosen yet
}

TEST_F(MainWindowTest, BottomBar) {
  for (const char* name :
       {"Label107", "Led", "NoLed", "lbChan", "cbCcr", "Label110", "cbxRig", "lbAddr", "edAddr",
        "Label109", "edIntval", "UpDown1", "Label108", "pnCmnd"}) {
    const QRect g = Find(name)->geometry();
    EXPECT_GE(g.top(), 565) << name;
    EXPECT_LE(g.top(), 580) << name;
    EXPECT_LE(g.right(), 898) << name;
  }
  EXPECT_EQ(Find("Led")->geometry(), QRect(58, 576, 14, 15));
  EXPECT_EQ(Find("NoLed")->geometry(), QRect(58, 576, 14, 15));
  EXPECT_TRUE(Find("NoLed")->isVisible());
  EXPECT_FALSE(Find("Led")->isVisible());
  EXPECT_FALSE(Find("lbChan")->isVisible());
  EXPECT_FALSE(Find("cbCcr")->isVisible());
  EXPECT_FALSE(Find("edStatus")->isVisible());
  EXPECT_EQ(Find<QLineEdit>("edIntval")->text(), "400");
  EXPECT_EQ(Find<QLineEdit>("edWait")->text(), "175");
  EXPECT_EQ(Find("edAddr")->toolTip(), "Usually not necessary");
  EXPECT_EQ(Find<QLabel>("Label101")->text(), "Command Interval");
  // Left to right.
  int last = -1;
  for (const char* name : {"Label107", "Led", "Label110", "cbxRig", "lbAddr", "edAddr", "Label109",
                           "edIntval", "UpDown1", "Label108", "pnCmnd"}) {
    const int left = Find(name)->geometry().left();
    EXPECT_GT(left, last) << name;
    last = left;
  }
}

TEST_F(MainWindowTest, MenuCarriesEveryItemInOrder) {
  QStringList seen;
  std::function<void(QMenu*, const QString&)> walk = [&](QMenu* menu, const QString& path) {
    for (QAction* a : menu->actions()) {
      seen << path + a->text();
      if (a->menu()) walk(a->menu(), path + a->text() + "/");
    }
  };
  for (QAction* a : window->menuBar()->actions()) {
    seen << a->text();
    if (a->menu()) walk(a->menu(), a->text() + "/");
  }
  const QStringList want = {
      "&Close",
      "&Edit",
      "&Edit/&Undo",
      "&Edit/&Redo",
      "Vie&w",
      "Vie&w/Memory &List",
      "C&lear",
      "C&lear/&All Freqs, Modes, Names",
      "C&lear/All &Checkings",
      "C&lear/Column &1 checkings",
      "C&lear/Column &2 checkings",
      "C&lear/Column &3 checkings",
      "C&lear/Column &4 checkings",
      "C&lear/Checked &Memory Channels",
      "C&lear/&Reset Rig and SP Settings",
      "&Check",
      "&Check/&All",
      "&Check/&Duplex",
      "&Check/Column &1",
      "&Check/Column &2",
      "&Check/Column &3",
      "&Check/Column &4",
      "&Load",
      "&Load/All from &File",
      "&Load/All checked from &Rig",
      "&Load/C&ompare Checked with Rig",
      "&Load/From C&HIRP CSV\u2026",
      "&Load/From Ha&mlib CSV\u2026",
      "&Load/Last &Backup of this Rig",
      "&Save",
      "&Save/All to &File",
      "&Save/All checked to &Rig",
      "&Save/&Changed Channels to Rig",
      "&Save/To C&HIRP CSV\u2026",
      "&Save/To Ha&mlib CSV\u2026",
      "&Save/Last &Backup to Rig",
      "Stop",
      "&Memory",
      "&VFO A",
      "&Settings",
      "&Terminal",
      "&Help",
      "&Help/&Advice",
      "&Help/&Neuvoja",
      "&Help/&Update",
  };
  EXPECT_EQ(seen, want);
}

TEST_F(MainWindowTest, InputReachesTheModelAndBack) {
  auto* freq = Find<QLineEdit>("A5");
  freq->setFocus();
  QTest::keyClicks(freq, "14230");
  EXPECT_EQ(form.A[5].Text(), "14230");
  EXPECT_EQ(Find<QLineEdit>("M5")->text(), "USB");  // the reaction flows back to the screen
  auto* name = Find<QLineEdit>("T5");
  QTest::keyClicks(name, "dx 1");
  EXPECT_EQ(form.T[5].Text(), "DX 1");
  QTest::mouseClick(Find<QPushButton>("bt2"), Qt::LeftButton);
  EXPECT_TRUE(form.cb[25].Checked());
  EXPECT_TRUE(Find<QCheckBox>("cb49")->isChecked());
  QTest::mouseClick(Find<QCheckBox>("cb49"), Qt::LeftButton);
  EXPECT_FALSE(form.cb[49].Checked());
  form.SetChannel("10", "7.050.000", "LSB", "NET");
  EXPECT_EQ(Find<QLineEdit>("T10")->text(), "NET");
}

TEST_F(MainWindowTest, TypingABadIntervalReportsAndKeepsTheText) {
  auto* interval = Find<QLineEdit>("edIntval");
  interval->setFocus();
  interval->selectAll();
  QTest::keyClicks(interval, "3x");
  EXPECT_EQ(form.shared.ChannelInterval.load(), 3);
  EXPECT_EQ(host.Errors(), std::vector<std::string>{"'3x' is not a valid integer value"});
  EXPECT_EQ(interval->text(), "3x");
}

TEST_F(MainWindowTest, Screenshot) {
  form.SetChannel("01", "1.838.000", "CW", "TOPBAND");
  form.SetChannel("02", "3.699.000", "LSB", "NET");
  form.SetChannel("03", "14.250.000", "USB", "20M");
  form.SetChannel("26", "145.500.000", "FM", "S20");
  form.SetChannel("51", "433.500.000", "FM", "U280");
  form.cb[2].SetChecked(true);
  QApplication::processEvents();
  const QPixmap shot = window->grab();
  EXPECT_GE(shot.width(), 898);
  QDir().mkpath(VARNEK_SCREENSHOT_DIR);
  EXPECT_TRUE(shot.save(VARNEK_SCREENSHOT_DIR "/main_window.png"));
}

}  // namespace
}  // namespace varnek::gui

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
