// The five-byte Yaesus driven with hand-written commands: P4 P3 P2 P1 opcode.
#include <gtest/gtest.h>

#include "sim/simulator.h"
#include "tests/sim/harness.h"
#include "tests/sim/line.h"

namespace varnek::sim::test {
namespace {

struct Exchange {
  std::string send;
  std::string expect;
};
struct Script {
  std::string label;
  Options options;
  std::string image;
  std::vector<Exchange> steps;
  std::string final_image;
};
void PrintTo(const Script& script, std::ostream* os) {
  *os << script.label;
}

std::string Record(std::initializer_list<int> head, size_t size) {
  std::string r = Bytes(head);
  r.resize(size, '\0');
  return r;
}
// Memory record request: P1 04, channel in P4.
std::string Status(int p4) {
  return Bytes({p4, 0x00, 0x00, 0x04, 0x10});
}

Options Rig(const std::string& name) {
  Options o;
  o.rig = name;
  return o;
}

std::vector<Script> Scripts() {
  std::vector<Script> s;
  const std::string ft1000_image = "2 7040000 02 \"\"\n5 14074000 01 \"\"\n";
  s.push_back({"FT1000",
               Rig("Yaesu FT-1000"),
               ft1000_image,
               {
                   // Channel 5 is 04h on the wire; 14.074 MHz = 22518400 steps of 0.625 Hz.
                   {Status(0x04), Record({0x00, 0x01, 0x57, 0x9A, 0x80, 0, 0, 0x01, 0x00}, 16)},
                   {Status(0x02), Record({0x90}, 16)},
                   {Status(0x01), Record({0x00, 0x00, 0xAB, 0xE0, 0x00, 0, 0, 0x02, 0x00}, 16)},
                   {Status(0x63), ""},
                   {Bytes({0x05, 0x00, 0x00, 0x04, 0x11}), ""},
                   // 14.256.78 MHz, RTTY-U, stored as channel 10 (09h).
                   {Bytes({0x78, 0x56, 0x42, 0x01, 0x0A}), ""},
                   {Bytes({0x00, 0x00, 0x00, 0x09, 0x0C}), ""},
                   {Bytes({0x00, 0x00, 0x00, 0x09, 0x03}), ""},
                   {Status(0x09), Record({0x00, 0x01, 0x5C, 0x10, 0xE0, 0, 0, 0x05, 0x80}, 16)},
                   // Masked it reads as empty; unmasked it is back.
                   {Bytes({0x00, 0x00, 0x01, 0x09, 0x03}), ""},
                   {Status(0x09), Record({0x90}, 16)},
                   {Bytes({0x00, 0x00, 0x02, 0x09, 0x03}), ""},
                   {Status(0x09), Record({0x00, 0x01, 0x5C, 0x10, 0xE0, 0, 0, 0x05, 0x80}, 16)},
                   // Set-mode 05 (AM narrow) is AM (3) in the record.
                   {Bytes({0x00, 0x00, 0x00, 0x05, 0x0C}), ""},
                   {Bytes({0x00, 0x00, 0x00, 0x0A, 0x03}), ""},
                   {Status(0x0A), Record({0x00, 0x01, 0x5C, 0x10, 0xE0, 0, 0, 0x03, 0x00}, 16)},
                   // An unknown mode leaves the VFO alone.
                   {Bytes({0x00, 0x00, 0x00, 0x07, 0x0C}), ""},
                   {Bytes({0x00, 0x00, 0x00, 0x0B, 0x03}), ""},
                   {Status(0x0B), Record({0x00, 0x01, 0x5C, 0x10, 0xE0, 0, 0, 0x03, 0x00}, 16)},
               },
               "2 7040000 02 \"\"\n5 14074000 01 \"\"\n10 14256780 09 \"\"\n11 14256780 05 \"\"\n"
               "12 14256780 05 \"\"\n"});
  Options base1 = Rig("Yaesu FT-1000");
  base1.ft1000_store_base = 1;
  s.push_back({"FT1000StoreCountsFromOne",
               base1,
               "",
               {
                   {Bytes({0x00, 0x00, 0x00, 0x0A, 0x03}), ""},
                   // The VFO's 14.000 MHz = 22400000 steps.
                   {Status(0x09), Record({0x00, 0x01, 0x55, 0xCC, 0x00, 0, 0, 0x01}, 16)},
               },
               "10 14000000 01 \"\"\n"});
  s.push_back({"FT920",
               Rig("Yaesu FT-920"),
               "1 14074000 01 \"\"\n",
               {
                   {Status(0x01), Record({0x00, 0x00, 0xD6, 0xC0, 0x90, 0, 0, 0x40}, 14)},
                   {Status(0x02), Record({0x90}, 14)},
                   {Status(0x00), ""},
                   // 7.040.00 MHz, CW-USB, stored in 1-02.
                   {Bytes({0x00, 0x40, 0x70, 0x00, 0x0A}), ""},
                   {Bytes({0x00, 0x00, 0x00, 0x02, 0x0C}), ""},
                   {Bytes({0x00, 0x00, 0x00, 0x02, 0x03}), ""},
                   {Status(0x02), Record({0x00, 0x00, 0x6B, 0x6C, 0x00, 0, 0, 0x41}, 14)},
                   // Clearing 1-01 really empties it on this rig.
                   {Bytes({0x00, 0x00, 0x01, 0x01, 0x03}), ""},
                   {Status(0x01), Record({0x90}, 14)},
                   {Bytes({0x00, 0x00, 0x02, 0x02, 0x03}), ""},
               },
               "2 7040000 02 \"\"\n"});
  Options empty8b = Rig("Yaesu FT-920");
  empty8b.ft920_empty_byte = 0x8B;
  s.push_back({"FT920Empty8B", empty8b, "", {{Status(0x05), Record({0x8B}, 14)}}, ""});
  return s;
}

class Yaesu5Script : public ::testing::TestWithParam<Script> {};

TEST_P(Yaesu5Script, AnswersAndKeepsMemoryLikeTheRig) {
  const Script& script = GetParam();
  RunningSim rig(script.options, script.image);
  Line line(rig.path);
  for (const Exchange& step : script.steps) {
    line.Send(step.send);
    if (step.expect.empty()) continue;
    EXPECT_EQ(line.Read(step.expect.size()), step.expect) << "step " << (&step - &script.steps[0]);
  }
  EXPECT_EQ(line.Drain(), "") << "answers nobody asked for";
  EXPECT_EQ(ImageBody(rig.sim->Channels()), script.final_image);
}

INSTANTIATE_TEST_SUITE_P(Rigs, Yaesu5Script, ::testing::ValuesIn(Scripts()),
                         [](const auto& info) { return info.param.label; });

TEST(Yaesu5, CommandSplitOverWritesIsStillFiveBytes) {
  RunningSim rig(Rig("Yaesu FT-920"), "3 7000000 00 \"\"\n");
  Line line(rig.path);
  std::string cmd = Status(0x03);
  line.Send(cmd.substr(0, 2));
  EXPECT_EQ(line.Drain(100), "");
  line.Send(cmd.substr(2) + Status(0x03));
  std::string record = Record({0x00, 0x00, 0x6A, 0xCF, 0xC0}, 14);
  EXPECT_EQ(line.Read(28), record + record);
}

}  // namespace
}  // namespace varnek::sim::test
