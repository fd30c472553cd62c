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
#include <QTest>

#include "app/headless_host.h"
#include "app/program.h"
#include "gui/main_window.h"
#include "support/temp_folder.h"
#include "support/test_environment.h"

namespace varnek::gui {
namespace {

class NoNetwork : public Downloader {
 public:
  DownloadResult Fetch(const std::string&, const std::string&) override {
    return {false, "offline"};
  }
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
  EXPECT_EQ(window->settingsWindow()->size(), QSize(353, 369));
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
  Trigger("Update1");
  auto* first = window->updateWindow();
  ASSERT_NE(first, nullptr);
  EXPECT_TRUE(first->windowFlags() & Qt::WindowStaysOnTopHint);
  EXPECT_EQ(program->VerForm->StatusBar1.Caption(), "Contact not got");
  Trigger("Update1");
  EXPECT_EQ(window->updateWindow(), first);
  Shoot(first, "update.png");
  first->close();
  QApplication::processEvents();
  EXPECT_EQ(program->VerForm, nullptr);
}

}  // namespace
}  // namespace varnek::gui
