// Devices and pipes are not files: reading one must fail at once, never
// read forever.
#include <gtest/gtest.h>

#include "base/file_io.h"
#include "base/profile.h"
#include "files/channel_file.h"

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
