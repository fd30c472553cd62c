// The whole program's windows, offscreen: terminal, settings and update
// windows open from the menu, the indicator follows the port.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QComboBox>
#include <QTableView>
#include <QTest>
#include <QTimer>

#include "base/headless_host.h"
#include "app/program.h"
#include "gui/main_window.h"
#include "gui/memory_list_window.h"
#include "gui/qt_host.h"
#include "sim/simulator.h"
#include "support/temp_folder.h"
#include "support/test_environment.h"

namespace varnek::gui {
namespace {

class NoNetwork : public Downloader {
 public:
  DownloadResult Fetch(const std::string&, const std::string&) override {
    if (during) during();
    return {false, "offline"};
  }
  std::function<void()> during;  // runs while the "download" lasts
};

class ProgramWindows : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::string home = folder.Path();
    program = std::make_unique<Program>(host, testing::TestEnvironment(home));
    program->downloader = std::make_unique<NoNetwork>();
    program->FormCreate();
    // No rig here: COM1 stands for a device that does not exist.
    program->SetDLG.portPaths.Set("COM1", home + "no-such-tty");
    window = std::make_unique<MainWindow>(host, *program);
    window->show();
    program->FormShow();
    QApplication::processEvents();
  }
  void TearDown() override {
    window.reset();
    program.reset();
  }
  void Trigger(const char* name) {
    auto* a = window->findChild<QAction*>(name);
    ASSERT_NE(a, nullptr) << name;
    a->trigger();
    QApplication::processEvents();
  }
  // A person's click: the widget under the pointer, then keys to whatever
  // has the focus afterwards.
  static void ClickAndType(QWidget* target, const QString& keys) {
    QApplication::setActiveWindow(target->window());
    QTest::mouseClick(target, Qt::LeftButton, {}, QPoint(4, 4));
    QWidget* focused = QApplication::focusWidget();
    if (focused) QTest::keyClicks(focused, keys);
  }
  void Shoot(QWidget* w, const char* file) {
    QDir().mkpath(VARNEK_SCREENSHOT_DIR);
    EXPECT_TRUE(w->grab().save(QString(VARNEK_SCREENSHOT_DIR "/") + file));
  }

  HeadlessHost host;
  testing::TempFolder folder;
  std::unique_ptr<Program> program;
  std::unique_ptr<MainWindow> window;
};

TEST_F(ProgramWindows, TerminalOpensAndShowsWhatTheRigSaid) {
  Trigger("Commands1");
  ASSERT_NE(window->terminalWindow(), nullptr);
  EXPECT_TRUE(window->terminalWindow()->isVisible());
  EXPECT_TRUE(program->RigForm.visible);
  program->RigForm.Terminal.Add(" FE FE E0 00 FB FD       : \xFE\xFE\xE0.\xFB\xFD  ");
  auto* memo = window->terminalWindow()->findChild<QPlainTextEdit*>("Terminal");
  ASSERT_NE(memo, nullptr);
  EXPECT_TRUE(memo->toPlainText().startsWith(" FE FE E0 00 FB FD"));
  program->MainForm.shared.ModelCode = "TS-570";
  program->RigForm.edChannel.SetText("5");
  QTest::mouseClick(window->terminalWindow()->findChild<QLabel*>("lbChannel"), Qt::LeftButton);
  EXPECT_EQ(window->terminalWindow()->findChild<QLineEdit*>("Edit1")->text(), "MR0 05;");
  Shoot(window->terminalWindow(), "terminal.png");
  window->terminalWindow()->close();
  QApplication::processEvents();
  EXPECT_FALSE(program->RigForm.visible);
}

TEST_F(ProgramWindows, SettingsDialogAndIndicator) {
  Trigger("Settings1");
  ASSERT_NE(window->settingsWindow(), nullptr);
  EXPECT_TRUE(window->settingsWindow()->isVisible());
  // The original's 343 rows and one more row for the answer options.
  EXPECT_EQ(window->settingsWindow()->size(), QSize(353, 389));
  auto* wait = window->settingsWindow()->findChild<QCheckBox*>("cbWaitAnswers");
  ASSERT_NE(wait, nullptr);
  EXPECT_EQ(wait->text(), "Wait for answers");
  wait->click();
  EXPECT_TRUE(program->MainForm.shared.WaitForAnswers);
  wait->click();
  EXPECT_FALSE(program->MainForm.shared.WaitForAnswers);
  Shoot(window->settingsWindow(), "settings.png");
  // The port could not be opened: the indicator says closed, the status
  // line says why.
  EXPECT_FALSE(program->SerialPort1.Active());
  EXPECT_TRUE(window->client()->findChild<QLabel*>("lbStatusLine")->isVisible());
  EXPECT_TRUE(window->client()->findChild<QLabel*>("NoLed")->isVisible());
  EXPECT_FALSE(window->client()->findChild<QLabel*>("Led")->isVisible());
  window->settingsWindow()->findChild<QPushButton*>("CancelBtn")->click();
  QApplication::processEvents();
  EXPECT_FALSE(window->settingsWindow()->isVisible());
}

TEST_F(ProgramWindows, UpdateWindowOneAtATime) {
  // While the server is asked the window is on screen saying so, and the
  // GUI thread is free to turn (the download is not on it).
  bool shownDuring = false, offGuiThread = false;
  std::string statusDuring;
  static_cast<NoNetwork&>(*program->downloader).during = [&] {
    offGuiThread = !host.IsGuiThread();
    host.RunOnGuiThread([&] {
      shownDuring = window->updateWindow() && window->updateWindow()->isVisible();
      statusDuring = program->VerForm->StatusBar1.Caption();
    });
  };
  Trigger("Update1");
  EXPECT_TRUE(shownDuring);
  EXPECT_TRUE(offGuiThread);
  EXPECT_EQ(statusDuring.rfind("Connecting to ", 0), 0u) << statusDuring;
  auto* first = window->updateWindow();
  ASSERT_NE(first, nullptr);
  EXPECT_TRUE(first->windowFlags() & Qt::WindowStaysOnTopHint);
  EXPECT_EQ(program->VerForm->StatusBar1.Caption(), "Contact not got: offline");
  Trigger("Update1");
  EXPECT_EQ(window->updateWindow(), first);
  Shoot(first, "update.png");
  first->close();
  QApplication::processEvents();
  EXPECT_EQ(program->VerForm, nullptr);
}

TEST_F(ProgramWindows, EveryEditableBoxTakesTheKeysOfAClick) {
  Trigger("Commands1");
  Trigger("Settings1");
  for (QWidget* window_ : {static_cast<QWidget*>(window.get()),
                           static_cast<QWidget*>(window->terminalWindow()),
                           static_cast<QWidget*>(window->settingsWindow())})
    for (QLineEdit* e : window_->findChildren<QLineEdit*>()) {
      if (e->isReadOnly() || !e->isVisible() || !e->isEnabled()) continue;
      QApplication::setActiveWindow(e->window());
      QTest::mouseClick(e, Qt::LeftButton, {}, QPoint(4, 4));
      const QWidget* focused = QApplication::focusWidget();
      EXPECT_TRUE(focused == e || (focused && focused->isAncestorOf(e)) ||
                  (focused && e->parentWidget() == focused))
          << e->objectName().toStdString() << " in " << window_->objectName().toStdString();
    }
  // What the terminal's samples read, typed as a person types it.
  QWidget* terminal = window->terminalWindow();
  ClickAndType(terminal->findChild<QLineEdit*>("edChannel"), "7");
  ClickAndType(terminal->findChild<QLineEdit*>("edFreq"), "14.250");
  ClickAndType(terminal->findChild<QLineEdit*>("edMode"), "usb");
  EXPECT_EQ(program->RigForm.edChannel.Text(), "7");
  EXPECT_EQ(program->RigForm.edFreq.Text(), "14.250");
  EXPECT_EQ(program->RigForm.edMode.Text(), "USB");
}

// A run may still add a transcript line or disable a menu item after the
// view is gone; nothing may reach the deleted widgets.
TEST_F(ProgramWindows, ModelsOutliveTheirViews) {
  Trigger("Commands1");
  window.reset();
  program->RigForm.Terminal.Add(" FE FE E0 00 FB FD");
  for (const char* item : {"SaveToRig1", "LoadFromRig1", "Cancel1"}) {
    program->MainForm.MenuItem(item).SetEnabled(false);
    program->MainForm.MenuItem(item).SetEnabled(true);
  }
  EXPECT_EQ(program->RigForm.Terminal.OnLineAdded, nullptr);
}

// A new device list of the same length still reaches the dialog.
TEST_F(ProgramWindows, DeviceListShowsNewNamesOfTheSameLength) {
  Trigger("Settings1");
  auto* devices = window->settingsWindow()->findChild<QComboBox*>("CBDevice");
  window->settingsWindow()->findChild<QPushButton*>("CancelBtn")->click();
  program->SetDLG.CBDevice.SetItems({"/dev/ttyUSB7"});  // what the list held before
  QApplication::processEvents();
  program->SetDLG.CBDevice.SetItems({"/dev/ttyUSB9"});  // the same length, another name
  QApplication::processEvents();
  ASSERT_EQ(devices->count(), 1);
  EXPECT_EQ(devices->itemText(0), "/dev/ttyUSB9");
}

TEST_F(ProgramWindows, TerminalPositionSavedAtEveryClose) {
  const std::string ini = program->MainForm.shared.SettingsFolder.Get() + "settings.ini";
  for (const int left : {130, 170, 210}) {
    Trigger("Commands1");
    window->terminalWindow()->move(left, 90);
    QApplication::processEvents();
    window->terminalWindow()->close();
    QApplication::processEvents();
    EXPECT_NE(Profile(ini).ReadString("RigForm", "fRig").find(std::to_string(left)),
              std::string::npos)
        << left;
  }
}

TEST_F(ProgramWindows, SettingsOpenTwiceKeepsTheUsersChangesAndPlace) {
  Trigger("Settings1");
  QWidget* dialog = window->settingsWindow();
  auto* baud = dialog->findChild<QComboBox*>("CBBaud");
  ASSERT_NE(baud, nullptr);
  const int changed = (baud->currentIndex() + 1) % baud->count();
  program->SetDLG.CBBaud.UserSelect(changed);
  dialog->move(40, 50);
  QApplication::processEvents();
  const QPoint placed = dialog->pos();
  // Again from the menu, and from the terminal's button: brought forward.
  Trigger("Settings1");
  Trigger("Commands1");
  window->terminalWindow()->findChild<QPushButton*>("BasicSettingsBtn")->click();
  QApplication::processEvents();
  EXPECT_EQ(baud->currentIndex(), changed);
  EXPECT_EQ(dialog->pos(), placed);
  EXPECT_FALSE(dialog->isModal());
  dialog->findChild<QPushButton*>("CancelBtn")->click();
  QApplication::processEvents();
  // Closed: the terminal's button shows it modally, loaded from the port,
  // and OK applies it.
  bool wasModal = false;
  int shownBaud = -1;
  QTimer::singleShot(0, [&] {
    wasModal = dialog->isVisible() && QApplication::activeModalWidget() == dialog;
    shownBaud = baud->currentIndex();
    program->SetDLG.CBBaud.UserSelect(changed);
    dialog->findChild<QPushButton*>("OKbtn")->click();
  });
  window->terminalWindow()->findChild<QPushButton*>("BasicSettingsBtn")->click();
  EXPECT_TRUE(wasModal);
  EXPECT_NE(shownBaud, changed);
  EXPECT_FALSE(dialog->isVisible());
  EXPECT_EQ(program->SerialPort1.BaudRate(), BaudOfItem(program->SetDLG.CBBaud.Items()[changed]));
}

// An import's report of hundreds of lines stays a box of its own size
// that scrolls, its OK button on the screen.
// Compare through the window: the differing row is tinted and its hint
// says what the rig holds; "Changed Channels to Rig" writes that row only.
TEST(CompareInTheWindow, MarksTheDifferingRowAndWritesOnlyIt) {
  sim::Options o;
  o.rig = "Kenwood TS-570";
  sim::Simulator rig(o);
  const std::string device = rig.Start();
  for (int n : {1, 2}) {
    sim::Channel c;
    c.hz = 14240000 + 10000 * n;
    c.mode = "2";
    rig.SetChannel(n, c);
  }
  HeadlessHost host;
  testing::TempFolder folder;
  Program program(host, testing::TestEnvironment(folder.Path()));
  program.FormCreate();
  program.SetDLG.portPaths.Set("COM1", device);
  MainWindow window(host, program);
  window.show();
  program.FormShow();
  program.MainForm.cbxRig.UserInput("Kenwood TS-570");
  program.SetDLG.CBPort.SetItemIndex(0);
  program.SetDLG.ApplyDialogToPort(program.SerialPort1);
  program.SetDLG.SetOptions({true, false});  // answer-paced
  program.MainForm.SetChannel("01", "14.250.000", "USB", "");
  program.MainForm.SetChannel("02", "14.260.000", "USB", "");
  for (int n : {1, 2})
    program.MainForm.cb[static_cast<size_t>(n)].SetChecked(true);
  auto* a2 = window.client()->findChild<QLineEdit*>("A2");
  ASSERT_NE(a2, nullptr);
  a2->selectAll();
  QTest::keyClicks(a2, "7.05");
  const auto trigger = [&](const char* name) {
    auto* action = window.findChild<QAction*>(name);
    ASSERT_NE(action, nullptr) << name;
    action->trigger();
    QApplication::processEvents();
  };
  trigger("CompareWithRig1");
  auto* a1 = window.client()->findChild<QLineEdit*>("A1");
  EXPECT_NE(a2->palette().color(QPalette::Base), a1->palette().color(QPalette::Base));
  EXPECT_TRUE(a2->toolTip().startsWith("rig: 14.260.000 USB")) << a2->toolTip().toStdString();
  EXPECT_TRUE(a1->toolTip().isEmpty()) << a1->toolTip().toStdString();
  sim::Channel moved = *rig.GetChannel(1);
  moved.hz += 1000;  // changed behind the program's back: not to be overwritten
  rig.SetChannel(1, moved);
  trigger("SaveChangedToRig1");
  EXPECT_EQ(rig.GetChannel(2)->hz, 7050000);
  EXPECT_EQ(rig.GetChannel(1)->hz, 14251000);
  window.close();
}

TEST(QtHostReport, ALongReportScrolls) {
  QtHost qt;
  const std::vector<std::string> lines(
      400, "line 2: mode FM-N is not one the TS-570 stores; a save refuses channel 01");
  int height = 0;
  bool scrolls = false;
  QTimer::singleShot(0, [&] {
    QWidget* box = QApplication::activeModalWidget();
    if (!box) return;
    auto* list = box->findChild<QPlainTextEdit*>("report");
    scrolls = list && list->verticalScrollBar()->maximum() > 0;
    height = box->height();
    box->close();
  });
  qt.ShowReport("400 channels from channels.csv", lines);
  EXPECT_TRUE(scrolls);
  EXPECT_GT(height, 0);
  EXPECT_LT(height, 600);
}

}  // namespace
}  // namespace varnek::gui

namespace varnek::gui {
namespace {

// The memory list and the main window are one table: an edit in either
// shows in the other at once, and the window's Ctrl+Z (typed where the
// focus is, a box) takes back a Clear menu command in both.
TEST_F(ProgramWindows, MemoryListAndMainWindowAreOneTable) {
  program->MainForm.cbxRig.UserInput("Kenwood TS-2000");
  Trigger("MemoryList1");
  MemoryListWindow* list = window->memoryList();
  ASSERT_TRUE(list->isVisible());
  QTableView* table = list->table();
  const int freq = program->MemoryList.ColumnOf("Frequency");
  const QModelIndex cell = table->model()->index(5, freq);
  QApplication::setActiveWindow(list);
  table->setCurrentIndex(cell);
  table->edit(cell);
  auto* editor = table->viewport()->findChild<QLineEdit*>();
  ASSERT_NE(editor, nullptr);
  QTest::keyClicks(editor, "14230");
  QTest::keyClick(editor, Qt::Key_Return);
  QApplication::processEvents();  // the view commits an editor's data queued
  EXPECT_EQ(window->findChild<QLineEdit*>("A5")->text(), "14230");
  EXPECT_EQ(window->findChild<QLineEdit*>("M5")->text(), "USB");  // the band plan, as typed there

  ClickAndType(window->findChild<QLineEdit*>("T6"), "relay");
  EXPECT_EQ(table->model()->index(6, program->MemoryList.ColumnOf("Name")).data().toString(),
            "RELAY");
  Shoot(list, "memory_list.png");

  Trigger("ClearFM1");
  EXPECT_EQ(window->findChild<QLineEdit*>("A5")->text(), "");
  EXPECT_EQ(window->findChild<QAction*>("Undo1")->text(), "&Undo Clear All Freqs, Modes, Names");
  QApplication::setActiveWindow(window.get());
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(window->findChild<QLineEdit*>("A5")->text(), "14230");
  EXPECT_EQ(window->findChild<QLineEdit*>("T6")->text(), "RELAY");
  EXPECT_EQ(cell.data().toString(), "14230");
  QApplication::setActiveWindow(list);
  QTest::keyClick(table, Qt::Key_W, Qt::ControlModifier);
  EXPECT_FALSE(list->isVisible());
  EXPECT_TRUE(host.Messages().empty());
}

}  // namespace
}  // namespace varnek::gui
