#include "app/startup.h"

#include <gtest/gtest.h>

#include "base/headless_host.h"
#include "app/main_form.h"
#include "settings/rig_settings.h"
#include "support/temp_folder.h"

namespace varnek {
namespace {

using testing::TempFolder;

FolderEnvironment HomeIn(const TempFolder& t, const std::string& programFolder) {
  FolderEnvironment env;
  const std::string home = t / "home";
  env.getEnv = [home](const std::string& name) -> std::optional<std::string> {
    if (name == "HOME") return home;
    return std::nullopt;
  };
  env.programFile = t / programFolder + "varnek";
  return env;
}

TEST(Startup, FirstStartCloseAndNextStart) {
  TempFolder t;
  HeadlessHost host(HeadlessHost::Time::Simulated);
  const std::string settings = t / "home/.config/Kolvir/Varnek/";
  const std::string documents = t / "home/Documents/Kolvir/Varnek/";
  {
    TMainForm form(host);
    RestoreFoldersAndPosition(form, HomeIn(t, "bin/"));
    EXPECT_EQ(form.shared.SettingsFolder.Get(), settings);
    EXPECT_EQ(form.shared.DocumentsFolder.Get(), documents);
    EXPECT_TRUE(DirectoryExists(settings));
    EXPECT_TRUE(DirectoryExists(documents));
    EXPECT_EQ(form.bounds.left, 196);
    EXPECT_EQ(form.bounds.top, 104);
    ClearTerminalLogAndFillRigList(form);
    EXPECT_EQ(form.cbxRig.Items(), RigList());
    EXPECT_EQ(form.cbxRig.Text(), kNoRigText);
    form.bounds.left = 300, form.bounds.top = 40;
    ASSERT_TRUE(SaveWindowPosition(form, false).ok);
  }
  EXPECT_EQ(t.Read("home/.config/Kolvir/Varnek/settings.ini"), "[MainForm]\nfMain=0,40,300\n");
  {
    TMainForm form(host);
    RestoreFoldersAndPosition(form, HomeIn(t, "bin/"));
    EXPECT_EQ(form.bounds.left, 300);
    EXPECT_EQ(form.bounds.top, 40);
    // Minimised at close: the last normal position stays.
    form.bounds.left = -32000, form.bounds.top = -32000;
    ASSERT_TRUE(SaveWindowPosition(form, true).ok);
  }
  EXPECT_EQ(t.Read("home/.config/Kolvir/Varnek/settings.ini"), "[MainForm]\nfMain=0,40,300\n");
  EXPECT_TRUE(host.Errors().empty());
}

TEST(Startup, PortableModeKeepsEverythingBesideTheProgram) {
  TempFolder t;
  t.Write("app/portable.ini", "");
  t.Write("app/settings.ini", "[MainForm]\nfMain=0,50,60\n");
  t.Write("app/terminal.ini", "[MainForm]\nRig=2\n1=a\n2=b\n");
  t.Write("home/Documents/Kolvir/Varnek/terminal.ini", "other");
  HeadlessHost host(HeadlessHost::Time::Simulated);
  TMainForm form(host);
  RestoreFoldersAndPosition(form, HomeIn(t, "app/"));
  EXPECT_EQ(form.shared.SettingsFolder.Get(), t / "app/");
  EXPECT_EQ(form.shared.DocumentsFolder.Get(), t / "app/");
  EXPECT_EQ(form.bounds.top, 50);
  EXPECT_EQ(form.bounds.left, 60);
  ClearTerminalLogAndFillRigList(form);
  EXPECT_FALSE(FileExists(t / "app/terminal.ini"));
  EXPECT_EQ(t.Read("home/Documents/Kolvir/Varnek/terminal.ini"), "other");
  EXPECT_FALSE(DirectoryExists(t / "home/.config"));  // nothing made in the home
  ASSERT_TRUE(SaveWindowPosition(form, false).ok);
  EXPECT_EQ(t.Read("app/settings.ini"), "[MainForm]\nfMain=0,50,60\n");
}

TEST(Startup, ABadPositionIsReportedAndCreationGoesOn) {
  for (const std::string bad : {"0,top,60", "0,50", "garbage"}) {
    SCOPED_TRACE(bad);
    TempFolder t;
    t.Write("app/portable.ini", "");
    t.Write("app/settings.ini", "[MainForm]\nfMain=" + bad + "\n");
    HeadlessHost host(HeadlessHost::Time::Simulated);
    TMainForm form(host);
    RestoreFoldersAndPosition(form, HomeIn(t, "app/"));
    ASSERT_EQ(host.Errors().size(), 1u);
    EXPECT_NE(host.Errors()[0].find("is not a valid integer value"), std::string::npos);
    EXPECT_EQ(form.bounds.left, 196);
    EXPECT_EQ(form.bounds.top, 104);
    EXPECT_EQ(form.shared.SettingsFolder.Get(), t / "app/");
  }
}

}  // namespace
}  // namespace varnek
