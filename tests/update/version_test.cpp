#include "update/version.h"

#include <gtest/gtest.h>

namespace varnek {
namespace {

TEST(Version, Comparison) {
  struct Case {
    std::string candidate, running;
    bool newer;
  };
  const std::vector<Case> cases = {
      {"1.2.3", "1.2.3.4", false},
      {"1.2.3.4", "1.2.3", false},  // a build number is no release
      {"1.2.3.9", "1.2.3.4", false},
      {"1.10.0", "1.9.0.0", true},
      {"1.10.0", "2.0.0.0", false},
      {"2.0.0.0", "1.10.0", true},
      {"1.2.4", "1.2.3.4", true},
      {"1.2.3 beta", "1.2.3.0", false},
      {"1.2.4 beta", "1.2.3.0", true},
      {"", "1.0.0.0", false},
      {"", "", false},
      {"v1.3", "1.2.9.9", true},
      {"0.1.0.0", "0.1.0.0", false},
      {"99999999999999999999999", "1", true},
  };
  for (const auto& c : cases)
    EXPECT_EQ(IsNewerVersion(c.candidate, c.running), c.newer)
        << c.candidate << " vs " << c.running;
}

TEST(Version, Parts) {
  EXPECT_EQ(VersionNumber("Version: 1.2.3.4"), (std::vector<unsigned long long>{1, 2, 3, 4}));
  EXPECT_EQ(VersionNumber("1..2"), (std::vector<unsigned long long>{1, 0, 2}));
  EXPECT_TRUE(VersionNumber("none").empty());
  EXPECT_EQ(VersionNumber(ProgramVersion()).size(), 4u);
  for (const char* good : {"1", "1.4.0", "2.0.0.17", "999999999.0"})
    EXPECT_TRUE(IsVersionText(good)) << good;
  for (const char* bad :
       {"", "1.", ".1", "1..2", "1.2.3.4.5", "1.2.3-beta", "v1.2", "1234567890", "<html>"})
    EXPECT_FALSE(IsVersionText(bad)) << bad;
  EXPECT_TRUE(IsVersionText(ProgramVersion()));
}

}  // namespace
}  // namespace varnek
