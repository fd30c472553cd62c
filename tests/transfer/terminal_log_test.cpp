#include "transfer/terminal_log.h"

#include <gtest/gtest.h>

#include <random>

#include "base/profile.h"
#include "support/temp_folder.h"

namespace varnek {
namespace {

// Appending batch after batch gives the INI file the INI layer writes for
// the same lines (the count moves behind them, still one key); a file
// another program changed in between is taken as it now is.
TEST(TerminalLog, AppendsWhatTheIniLayerWouldWrite) {
  testing::TempFolder dir;
  const std::string path = dir / "terminal.ini", reference = dir / "reference.ini";
  std::mt19937 rng(7);
  const std::string alphabet("#;=[] \t\r\n\0ab19FE", 16);
  TerminalLog log;
  int count = 0;
  for (int batch = 0; batch < 40; ++batch) {
    std::vector<std::string> lines(1 + rng() % 4);
    for (std::string& line : lines)
      for (size_t i = rng() % 12; i > 0; --i)
        line += alphabet[rng() % alphabet.size()];
    std::vector<ProfileEntry> entries;
    for (const std::string& line : lines)
      entries.push_back({"MainForm", std::to_string(++count), LogValue(line)});
    entries.push_back({"MainForm", "Rig", std::to_string(count)});
    ASSERT_TRUE(Profile(reference).Write(entries).ok);
    if (batch == 20) {  // another program's key, written through the INI layer
      ASSERT_TRUE(Profile(path).WriteString("Other", "Key", "1").ok);
      ASSERT_TRUE(Profile(reference).WriteString("Other", "Key", "1").ok);
    }
    ASSERT_TRUE(log.Append(path, lines).ok);
    const Profile got(path), want(reference);
    for (int n = 1; n <= count + 1; ++n)
      ASSERT_EQ(got.ReadString("MainForm", std::to_string(n)),
                want.ReadString("MainForm", std::to_string(n)))
          << "batch " << batch << " key " << n;
    ASSERT_EQ(got.ReadInteger("MainForm", "Rig", 0), count) << "batch " << batch;
    ASSERT_EQ(got.ReadString("Other", "Key"), want.ReadString("Other", "Key"));
    const std::string text = dir.Read("terminal.ini");
    ASSERT_EQ(text.find("\nRig="), text.rfind("\nRig=")) << "one count key";
  }
}

}  // namespace
}  // namespace varnek
