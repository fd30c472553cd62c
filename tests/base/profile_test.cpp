#include "base/profile.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include "support/temp_folder.h"

namespace varnek {
namespace {

using testing::TempFolder;

TEST(Profile, MissingThingsReadAsTheDefault) {
  TempFolder dir;
  dir.Write("settings.ini", "[MainForm]\nRig=Kenwood TS-570\nEmpty=\n");
  struct Case {
    std::string file, section, key;
  };
  const std::vector<Case> cases = {
      {"none.ini", "MainForm", "Rig"},        // no file
      {"settings.ini", "VerForm", "Rig"},     // no section
      {"settings.ini", "MainForm", "fMain"},  // no key
      {"settings.ini", "MainForm", "Empty"},  // empty value
      {"sub/none.ini", "MainForm", "Rig"},    // no folder
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.file + " " + c.section + "/" + c.key);
    const Profile p(dir / c.file);
    EXPECT_EQ(p.ReadString(c.section, c.key, "dflt"), "dflt");
    EXPECT_EQ(p.ReadInteger(c.section, c.key, -7), -7);
  }
}

TEST(Profile, IntegersReadAsTheLeadingNumber) {
  struct Case {
    std::string text;
    int want;
  };
  const std::vector<Case> cases = {
      {"12", 12},
      {"  12", 12},
      {"12abc", 12},
      {"abc", 0},
      {"-5", -5},
      {"+5", 5},
      {"0x1F", 31},
      {"0X1f", 31},
      {"4294967297", 1},
      {"-", 0},
      {"3 4", 3},
      {"0x", 0},
      {"2147483648", -2147483647 - 1},
  };
  for (const auto& c : cases)
    EXPECT_EQ(ProfileInteger(c.text), c.want) << c.text;

  TempFolder dir;
  Profile p(dir / "terminal.ini");
  ASSERT_TRUE(p.WriteInteger("MainForm", "Rig", 41).ok);
  EXPECT_EQ(p.ReadInteger("MainForm", "Rig", 0), 41);
  EXPECT_EQ(dir.Read("terminal.ini"), "[MainForm]\nRig=41\n");
}

TEST(Profile, NamesCompareWithoutCaseAndKeepTheirSpelling) {
  TempFolder dir;
  dir.Write("settings.ini", "[MainForm]\nfMain=0,104,196\nRig=Kenwood TS-570\n");
  Profile p(dir / "settings.ini");
  EXPECT_EQ(p.ReadString("mainform", "RIG"), "Kenwood TS-570");
  ASSERT_TRUE(p.WriteString("MAINFORM", "rig", "Icom IC-CI-V").ok);
  // The one Rig key is replaced, not joined by a second one.
  EXPECT_EQ(dir.Read("settings.ini"), "[MainForm]\nfMain=0,104,196\nRig=Icom IC-CI-V\n");
}

TEST(Profile, AWriteKeepsTheRestOfTheFile) {
  TempFolder dir;
  // A file as the original's Windows build left it: CR LF, a comment, blanks
  // around '=' and a section this program does not own.
  dir.Write("settings.ini",
            "; kept\r\n[MainForm]\r\nfMain = 0,10,20\r\nKenwood TS-570=0_6_4_0_0_0_1_1__400___2\r\n"
            "\r\n[VerForm]\r\nServer=1\r\n");
  Profile p(dir / "settings.ini");
  ASSERT_TRUE(p.WriteString("MainForm", "Rig", "Kenwood TS-570").ok);
  ASSERT_TRUE(p.WriteString("RigForm", "fRig", "0,5,6").ok);
  EXPECT_EQ(dir.Read("settings.ini"),
            "; kept\n\n[MainForm]\nfMain=0,10,20\nKenwood TS-570=0_6_4_0_0_0_1_1__400___2\n"
            "Rig=Kenwood TS-570\n\n[VerForm]\nServer=1\n\n[RigForm]\nfRig=0,5,6\n");
  EXPECT_EQ(p.ReadString("MainForm", "Kenwood TS-570"), "0_6_4_0_0_0_1_1__400___2");
  EXPECT_EQ(p.ReadString("MainForm", "fMain"), "0,10,20");
  // Writing the same again changes nothing.
  const std::string before = dir.Read("settings.ini");
  ASSERT_TRUE(p.WriteString("RigForm", "fRig", "0,5,6").ok);
  EXPECT_EQ(dir.Read("settings.ini"), before);
}

TEST(Profile, ValuesAndKeysAreKeptAsBytes) {
  TempFolder dir;
  Profile p(dir / "settings.ini");
  const std::string value = "\xE4\xF6\xB4\x81\x8D\xFF x_y=z [w]";
  const std::string key = "J\xE4rjestelm\xE4 r\xF6ssi";
  ASSERT_TRUE(p.WriteString("MainForm", key, value).ok);
  EXPECT_EQ(Profile(dir / "settings.ini").ReadString("MainForm", key), value);
  EXPECT_EQ(dir.Read("settings.ini"), "[MainForm]\n" + key + "=" + value + "\n");
}

TEST(Profile, RefusesWhatWouldNotReadBackAndLeavesTheFile) {
  TempFolder dir;
  const std::string original = "[MainForm]\nRig=Kenwood TS-570\n";
  dir.Write("settings.ini", original);
  Profile p(dir / "settings.ini");
  struct Case {
    std::string section, key, value;
  };
  const std::vector<Case> cases = {
      {"MainForm", "Rig", "a\nRig=evil"},
      {"MainForm", "Rig", "a\rb"},
      {"MainForm", "Rig", std::string("a\0b", 3)},
      {"MainForm", "a=b", "v"},
      {"MainForm", "", "v"},
      {"MainForm", " Rig", "v"},
      {"MainForm", "Rig ", "v"},
      {"MainForm", ";Rig", "v"},
      {"MainForm", "#Rig", "v"},
      {"MainForm", "[Rig", "v"},
      {"Main]Form", "Rig", "v"},
      {"", "Rig", "v"},
      {"MainForm", "a\nb", "v"},
  };
  for (const auto& c : cases) {
    const FileResult r = p.WriteString(c.section, c.key, c.value);
    EXPECT_FALSE(r.ok) << c.section << "/" << c.key;
    EXPECT_NE(r.message.find("settings.ini"), std::string::npos);
  }
  EXPECT_EQ(dir.Read("settings.ini"), original);
}

TEST(Profile, AFailedWriteLeavesTheOldFileAndNoLitter) {
  TempFolder dir;
  // A folder where the file should be: the write must fail and leave
  // nothing beside it.
  const std::string name = "settings.ini";
  dir.Write(name + "/inside.txt", "x");
  Profile p(dir / name);
  const FileResult r = p.WriteString("MainForm", "Rig", "new");
  EXPECT_FALSE(r.ok);
  EXPECT_NE(r.message.find(name), std::string::npos);
  EXPECT_EQ(dir.Read(name + "/inside.txt"), "x");
  EXPECT_EQ(dir.Names(), std::vector<std::string>{name});
  // A folder that does not exist: the profile is not created somewhere else.
  EXPECT_FALSE(Profile(dir / "no/settings.ini").WriteString("MainForm", "Rig", "x").ok);
}

TEST(Profile, AnUnreadableFileIsNotReplaced) {
  if (::geteuid() == 0) GTEST_SKIP() << "root reads every file";
  TempFolder dir;
  dir.Write("settings.ini", "[MainForm]\nfMain=0,1,2\n");
  ASSERT_EQ(::chmod((dir / "settings.ini").c_str(), 0200), 0);
  Profile p(dir / "settings.ini");
  EXPECT_FALSE(p.WriteString("MainForm", "Rig", "x").ok);
  ASSERT_EQ(::chmod((dir / "settings.ini").c_str(), 0600), 0);
  EXPECT_EQ(dir.Read("settings.ini"), "[MainForm]\nfMain=0,1,2\n");
}

TEST(Profile, AWriteKeepsThePermissionBits) {
  TempFolder dir;
  dir.Write("settings.ini", "[MainForm]\n");
  ASSERT_EQ(::chmod((dir / "settings.ini").c_str(), 0640), 0);
  ASSERT_TRUE(Profile(dir / "settings.ini").WriteString("MainForm", "Rig", "x").ok);
  struct stat st {};
  ASSERT_EQ(::stat((dir / "settings.ini").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0640u);
}

}  // namespace
}  // namespace varnek
