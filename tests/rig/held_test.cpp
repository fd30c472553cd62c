// What a look-only read (a backup, the read-back after a save) takes as
// the rig's word on one channel. Only a model's own empty answer is an
// empty channel; a refusal, an error, a record cut short, a record of
// another channel or an acknowledgement without the frequency says nothing
// about it. Taken as empty, a restore would clear a channel that held a
// memory.
#include <gtest/gtest.h>

#include "base/text.h"
#include "rig/command_set.h"
#include "rig/family.h"

namespace varnek {
namespace {

using S = ChannelAnswer::Status;

std::vector<std::string> Ascii(std::initializer_list<const char*> clusters) {
  std::vector<std::string> lines;
  for (const char* c : clusters)
    lines.push_back(std::string("#") + c);
  return lines;
}

// Binary answers as the transcript holds them; `first` is the line a
// five-byte read writes before its record.
std::vector<std::string> Dump(const std::string& hex, const std::string& first = {}) {
  std::vector<std::string> lines;
  if (!first.empty()) lines.push_back(first);
  HexDumpLines(HexTextToBytes(hex), lines);
  return lines;
}

TEST(HeldAnswer, OnlyTheModelsEmptyAnswerIsEmpty) {
  const std::string ts570 = "MR0 05000142500002" "0000 ;";
  const std::string ts570Zero = "MR0 05000000000000" "0000 ;";
  const std::string ts2000Zero = "MR0005000000000000" "00000000000000000000000;";
  const std::string ft920 = "00 00 D9 70 10 00 00 40 00 00 00 00 00 00";  // 14.25 MHz USB
  const struct {
    const char* model;
    std::vector<std::string> lines;
    S want;
    const char* freq;
  } cases[] = {
      {"TS-570", Ascii({ts570.c_str()}), S::Channel, "14.250.000"},
      {"TS-570", Ascii({ts570Zero.c_str()}), S::Empty, ""},
      {"TS-570", Ascii({"?;"}), S::Nothing, ""},  // busy, transmitting
      {"TS-570", Ascii({"E;"}), S::Nothing, ""},
      {"TS-570", Ascii({"O;"}), S::Nothing, ""},
      {"TS-570", Ascii({"MR0 0500014250"}), S::Nothing, ""},  // cut short
      {"TS-570", Ascii({"MR0 04000142500002" "0000 ;"}), S::Nothing, ""},
      // A late answer of channel 04 before this one's, alone or in one cluster.
      {"TS-570", Ascii({"MR0 04000070000001" "0000 ;", ts570.c_str()}), S::Channel, "14.250.000"},
      {"TS-570", Ascii({("MR0 04000070000001" "0000 ;" + ts570).c_str()}), S::Channel,
       "14.250.000"},
      {"TS-2000", Ascii({"N;"}), S::Empty, ""},
      {"TS-2000", Ascii({ts2000Zero.c_str()}), S::Empty, ""},
      {"TS-2000", Ascii({"?;"}), S::Nothing, ""},
      {"FT-2000", Ascii({"?;"}), S::Empty, ""},
      {"FT-2000", Ascii({"E;"}), S::Nothing, ""},
      {"IC-CI-V", Dump("FE FE 94 E0 08 00 05 FD FE FE E0 94 FB FD FE FE E0 94 03 FF FD"), S::Empty,
       ""},
      // The select acknowledged, the frequency answer never came.
      {"IC-CI-V", Dump("FE FE 94 E0 08 00 05 FD FE FE E0 94 FB FD"), S::Nothing, ""},
      {"IC-CI-V", Dump("FE FE E0 94 FA FD"), S::Nothing, ""},
      {"IC-CI-V", Dump("FE FE 94 E0 08 00 04 FD FE FE E0 94 03 00 00 25 14 00 FD"), S::Nothing,
       ""},
      {"IC-CI-V", Dump("FE FE 94 E0 08 00 05 FD FE FE E0 94 03 00 00 25 14 00 FD"), S::Channel,
       "14.250.000"},
      // The read before's frequency, late, ahead of this read's select.
      {"IC-CI-V", Dump("FE FE E0 94 03 00 00 05 07 00 FD FE FE 94 E0 08 00 05 FD FE FE E0 94 FB FD"),
       S::Nothing, ""},
      {"FT-920", Dump("90 00 00 00 00 00 00 00 00 00 00 00 00 00", "#05"), S::Empty, ""},
      {"FT-920", Dump("", "#05"), S::Nothing, ""},
      {"FT-920", Dump(ft920, "#04"), S::Nothing, ""},
      {"FT-920", Dump(ft920, "#05"), S::Channel, "14.250.000"},
  };
  for (const auto& c : cases) {
    const ChannelAnswer a = CommandSetOf(c.model).Held(c.lines, c.model, "05");
    const std::string what = std::string(c.model) + " " + ::testing::PrintToString(c.lines);
    EXPECT_EQ(a.status, c.want) << what;
    EXPECT_EQ(Trim(a.freq), c.freq) << what;
  }
}

}  // namespace
}  // namespace varnek
