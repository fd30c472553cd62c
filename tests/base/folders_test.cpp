#include "base/folders.h"

#include <gtest/gtest.h>

#include <map>

#include "base/file_io.h"
#include "support/temp_folder.h"

namespace varnek {
namespace {

using testing::TempFolder;

FolderEnvironment Env(std::map<std::string, std::string> vars, std::string programFile) {
  FolderEnvironment env;
  env.getEnv = [vars = std::move(vars)](const std::string& name) -> std::optional<std::string> {
    const auto it = vars.find(name);
    if (it == vars.end()) return std::nullopt;
    return it->second;
  };
  env.programFile = std::move(programFile);
  return env;
}

TEST(Folders, NormalPortableAndHomeless) {
  TempFolder t;
  const std::string home = t / "home";
  const std::string prog = t / "opt/varnek/";
  t.Write("opt/varnek/varnek", "");
  t.Write("home/.config/user-dirs.dirs",
          "# written by xdg-user-dirs-update\nXDG_DESKTOP_DIR=\"$HOME/Desktop\"\n"
          "XDG_DOCUMENTS_DIR=\"$HOME/Asiakirjat\"\n");
  t.Write("xdg/user-dirs.dirs", "XDG_DOCUMENTS_DIR=\"/srv/docs/\"\n");
  t.Write("portable/varnek", "");
  t.Write("portable/portable.ini", "");

  struct Case {
    const char* what;
    std::map<std::string, std::string> vars;
    std::string program;
    std::string settings, documents;
    bool portable;
  };
  const std::vector<Case> cases = {
      {"user-dirs names the documents",
       {{"HOME", home}},
       prog + "varnek",
       home + "/.config/Kolvir/Varnek/",
       home + "/Asiakirjat/Kolvir/Varnek/",
       false},
      {"XDG_CONFIG_HOME moves settings and user-dirs",
       {{"HOME", home}, {"XDG_CONFIG_HOME", t / "xdg/"}},
       prog + "varnek",
       t / "xdg/Kolvir/Varnek/",
       "/srv/docs/Kolvir/Varnek/",
       false},
      {"no user-dirs: ~/Documents",
       {{"HOME", home}, {"XDG_CONFIG_HOME", t / "empty"}},
       prog + "varnek",
       t / "empty/Kolvir/Varnek/",
       home + "/Documents/Kolvir/Varnek/",
       false},
      {"relative XDG_CONFIG_HOME is ignored",
       {{"HOME", home}, {"XDG_CONFIG_HOME", "rel"}},
       prog + "varnek",
       home + "/.config/Kolvir/Varnek/",
       home + "/Asiakirjat/Kolvir/Varnek/",
       false},
      {"no home: the program's folder", {}, prog + "varnek", prog, prog, false},
      {"empty HOME counts as none", {{"HOME", ""}}, prog + "varnek", prog, prog, false},
      {"portable.ini beside the program wins",
       {{"HOME", home}},
       t / "portable/varnek",
       t / "portable/",
       t / "portable/",
       true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const Folders f = FindFolders(Env(c.vars, c.program));
    EXPECT_EQ(f.settings, c.settings);
    EXPECT_EQ(f.documents, c.documents);
    EXPECT_EQ(f.portable, c.portable);
    EXPECT_EQ(f.settings.back(), '/');
    EXPECT_EQ(f.documents.back(), '/');
  }
}

TEST(Folders, DocumentsLineOfUserDirs) {
  struct Case {
    std::string text;
    std::optional<std::string> want;
  };
  const std::vector<Case> cases = {
      {"XDG_DOCUMENTS_DIR=\"$HOME/Documents\"", "/home/u/Documents"},
      {"  XDG_DOCUMENTS_DIR=\"$HOME/My \\\"Docs\\\"\"\r\n", "/home/u/My \"Docs\""},
      {"XDG_DOCUMENTS_DIR=\"/data/docs//\"", "/data/docs"},
      {"XDG_DOCUMENTS_DIR=\"$HOME/\"", "/home/u"},
      {"#XDG_DOCUMENTS_DIR=\"/x\"", std::nullopt},
      {"XDG_DOCUMENTS_DIR=\"relative\"", std::nullopt},
      {"XDG_DOCUMENTS_DIR=\"$HOMEWORK/x\"", std::nullopt},
      {"XDG_DOCUMENTS_DIR=\"/a\"\nXDG_DOCUMENTS_DIR=\"/b\"", "/b"},
      {"XDG_MUSIC_DIR=\"/m\"", std::nullopt},
      {"", std::nullopt},
  };
  for (const auto& c : cases)
    EXPECT_EQ(DocumentsDirFromUserDirs(c.text, "/home/u"), c.want) << c.text;
  EXPECT_EQ(DocumentsDirFromUserDirs("XDG_DOCUMENTS_DIR=\"$HOME/D\"", ""), std::nullopt);
}

TEST(Folders, ProgramFolderAndCreation) {
  EXPECT_EQ(ProgramFolder("/usr/bin/varnek"), "/usr/bin/");
  EXPECT_EQ(ProgramFolder("/varnek"), "/");
  EXPECT_EQ(ProgramFolder(""), "./");

  TempFolder t;
  const Folders f{t / "cfg/Kolvir/Varnek/", t / "doc/Kolvir/Varnek/", false};
  CreateFolders(f);
  EXPECT_TRUE(DirectoryExists(f.settings));
  EXPECT_TRUE(DirectoryExists(f.documents));
  CreateFolders(f);  // existing folders are fine

  // The real system: some program file is found and the paths end in '/'.
  const FolderEnvironment sys = SystemFolderEnvironment();
  EXPECT_FALSE(sys.programFile.empty());
  const Folders real = FindFolders(sys);
  EXPECT_EQ(real.settings.back(), '/');
}

}  // namespace
}  // namespace varnek
