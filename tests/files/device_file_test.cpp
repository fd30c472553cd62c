// Devices and pipes are not files: reading one must fail at once, never
// read forever.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "base/file_io.h"
#include "base/profile.h"
#include "files/channel_file.h"
#include "support/temp_folder.h"

namespace varnek {
namespace {

TEST(DeviceFiles, AreRefusedAtOnce) {
  for (const char* path : {"/dev/zero", "/dev/urandom", "/dev/null"}) {
    std::string bytes, error;
    EXPECT_EQ(ReadWholeFile(path, bytes, &error), ReadStatus::Failed) << path;
    EXPECT_NE(error.find("not a regular file"), std::string::npos) << error;
    int applied = 0;
    const ChannelFileResult r =
        LoadChannelFile(path, FreqNotation::TwoPoints, [&](const ChannelLine&) { ++applied; });
    EXPECT_FALSE(r.ok) << path;
    EXPECT_EQ(applied, 0);
    EXPECT_EQ(Profile(path).ReadString("MainForm", "Rig", "none"), "none");
  }
}

// A save goes to the file the name means: through a link to its target,
// never over a device, pipe or folder, and for any name the system
// allows.
TEST(SaveTargets, LinksAreFollowedAndNonFilesRefused) {
  testing::TempFolder dir;
  ChannelTable t{};
  t[1] = {"7.050.000", "CW", "new"};
  const std::string old = "01\t3.700.000\tLSB\told\r\n";
  const std::string want = "01\t7.050.000\tCW\tnew\r\n";
  dir.Write("real/target.txt", old);
  ASSERT_EQ(::symlink("real/target.txt", (dir / "link.txt").c_str()), 0);
  ASSERT_EQ(::symlink("link.txt", (dir / "chain.txt").c_str()), 0);
  ASSERT_EQ(::symlink("real/new.txt", (dir / "dangling.txt").c_str()), 0);
  ASSERT_EQ(::symlink("loop.txt", (dir / "loop.txt").c_str()), 0);
  ASSERT_EQ(::mkfifo((dir / "fifo").c_str(), 0644), 0);
  ASSERT_EQ(::symlink("fifo", (dir / "to-fifo").c_str()), 0);
  const std::string longName = std::string(255 - 4, 'c') + ".txt";
  struct Case {
    std::string name;  // saved to
    bool ok;
    std::string file;  // whose bytes then are `ok ? want : unchanged`
  };
  const std::vector<Case> cases = {
      {"link.txt", true, "real/target.txt"},
      {"chain.txt", true, "real/target.txt"},
      {"dangling.txt", true, "real/new.txt"},
      {longName, true, longName},
      {"loop.txt", false, ""},
      {"fifo", false, ""},
      {"to-fifo", false, ""},
      {"real", false, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    dir.Write("real/target.txt", old);
    const ChannelFileResult r = SaveChannelFile(dir / c.name, t, FreqNotation::TwoPoints);
    EXPECT_EQ(r.ok, c.ok) << r.message;
    if (!c.ok) {
      EXPECT_NE(r.message.find(dir / c.name), std::string::npos) << r.message;
    }
    if (!c.file.empty()) {
      EXPECT_EQ(dir.Read(c.file), want);
    }
  }
  struct stat st {};
  for (const char* link : {"link.txt", "chain.txt", "dangling.txt", "to-fifo"})
    EXPECT_TRUE(::lstat((dir / link).c_str(), &st) == 0 && S_ISLNK(st.st_mode)) << link;
  EXPECT_TRUE(::lstat((dir / "fifo").c_str(), &st) == 0 && S_ISFIFO(st.st_mode));
  // No temporary file is left anywhere.
  EXPECT_EQ(dir.Names().size(), 8u);
  size_t inReal = 0;
  for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(dir / "real"))
    ++inReal;
  EXPECT_EQ(inReal, 2u);  // target.txt and new.txt
}

}  // namespace
}  // namespace varnek

namespace varnek {
namespace {

TEST(ChannelFileFields, ATabOrLineBreakInsideAFieldCannotBreakTheFile) {
  ChannelTable table{};
  table[7] = {"14.250.000", "USB", "A\tB\r\nC"};
  table[8] = {"7.050.000", "L\tSB", "N"};
  const std::string text = ChannelFileText(table, FreqNotation::TwoPoints);
  EXPECT_EQ(text, "07\t14.250.000\tUSB\tA B  C\r\n08\t7.050.000\tL SB\tN\r\n");
  ChannelTable back{};
  ApplyChannelFile(text, FreqNotation::TwoPoints, back);
  EXPECT_EQ(back[7].name, "A B  C");
  EXPECT_EQ(back[8].mode, "L SB");
}

}  // namespace
}  // namespace varnek
