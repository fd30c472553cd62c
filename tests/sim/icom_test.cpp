// Icom CI-V driven with hand-written frames. With the bus echo on, every frame
// the computer sends comes back first, then the rig's answer.
#include <gtest/gtest.h>

#include <thread>

#include "sim/simulator.h"
#include "tests/sim/harness.h"
#include "tests/sim/line.h"

namespace varnek::sim::test {
namespace {

// A frame from the computer (E0) to `to`.
std::string To(int to, std::initializer_list<int> body, int from = 0xE0) {
  std::string s = Bytes({0xFE, 0xFE, to, from});
  return s + Bytes(body) + Bytes({0xFD});
}
std::string Cmd(std::initializer_list<int> body) {
  return To(0x00, body);
}
// An answer from rig `from` to the computer.
std::string From(int from, std::initializer_list<int> body, int to = 0xE0) {
  return Bytes({0xFE, 0xFE, to, from}) + Bytes(body) + Bytes({0xFD});
}
std::string Ans(std::initializer_list<int> body) {
  return From(0x00, body);
}
const std::string kOk = Ans({0xFB});
const std::string kNg = Ans({0xFA});

struct Exchange {
  std::string send;
  std::string expect;  // the answer, without the echo
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

Options Civ(const std::string& rig, int address, bool echo) {
  Options o;
  o.rig = rig;
  o.address = address;
  o.echo = echo;
  return o;
}

std::vector<Script> Scripts() {
  std::vector<Script> s;
  std::vector<Exchange> generic = {
      {Cmd({0x03}), Ans({0x03, 0x00, 0x00, 0x00, 0x14, 0x00})},
      {Cmd({0x04}), Ans({0x04, 0x01, 0x01})},
      {Cmd({0x05, 0x00, 0x40, 0x07, 0x14, 0x00}), kOk},
      {Cmd({0x03}), Ans({0x03, 0x00, 0x40, 0x07, 0x14, 0x00})},
      {Cmd({0x05, 0x00, 0x40, 0x07, 0x14}), kNg},  // four bytes: an old rig's frequency
      {Cmd({0x05, 0x0A, 0x00, 0x00, 0x00, 0x00}), kNg},
      {Cmd({0x06, 0x03, 0x02}), kOk},
      {Cmd({0x04}), Ans({0x04, 0x03, 0x02})},
      {Cmd({0x06, 0x09}), kNg},
      {Cmd({0x07, 0x01}), kOk},
      {Cmd({0x05, 0x00, 0x00, 0x00, 0x07, 0x00}), kOk},
      {Cmd({0x07, 0x00}), kOk},
      {Cmd({0x03}), Ans({0x03, 0x00, 0x40, 0x07, 0x14, 0x00})},
      {Cmd({0x07, 0xB0}), kNg},
      // Memory mode on channel 1, which is blank.
      {Cmd({0x08}), kOk},
      {Cmd({0x03}), Ans({0x03, 0xFF})},
      {Cmd({0x04}), kNg},
      {Cmd({0x08, 0x00, 0x12}), kOk},
      {Cmd({0x03}), Ans({0x03, 0x00, 0x00, 0x04, 0x07, 0x00})},
      {Cmd({0x04}), Ans({0x04, 0x03, 0x01})},
      {Cmd({0x08, 0x12}), kOk},
      {Cmd({0x08, 0x01, 0x00}), kOk},
      {Cmd({0x03}), Ans({0x03, 0x00, 0x00, 0x10, 0x50, 0x00})},
      {Cmd({0x04}), Ans({0x04, 0x05, 0x02})},
      {Cmd({0x08, 0x01, 0x02}), kNg},
      {Cmd({0x08, 0x1A}), kNg},
      // Tuning a memory changes its working copy; only 09 stores it.
      {Cmd({0x05, 0x00, 0x00, 0x20, 0x50, 0x00}), kOk},
      {Cmd({0x03}), Ans({0x03, 0x00, 0x00, 0x20, 0x50, 0x00})},
      {Cmd({0x08, 0x01, 0x00}), kOk},
      {Cmd({0x03}), Ans({0x03, 0x00, 0x00, 0x10, 0x50, 0x00})},
      {Cmd({0x05, 0x00, 0x00, 0x20, 0x50, 0x00}), kOk},
      {Cmd({0x09}), kOk},
      // VFO into a channel selected while in VFO mode.
      {Cmd({0x07}), kOk},
      {Cmd({0x08, 0x00, 0x20}), kOk},
      {Cmd({0x09}), kOk},
      {Cmd({0x03}), Ans({0x03, 0x00, 0x40, 0x07, 0x14, 0x00})},
      {Cmd({0x08, 0x00, 0x12}), kOk},
      {Cmd({0x0A}), kOk},
      {Cmd({0x03}), Ans({0x03, 0x00, 0x00, 0x04, 0x07, 0x00})},
      {Cmd({0x0B}), kOk},
      {Cmd({0x08}), kOk},
      {Cmd({0x03}), Ans({0x03, 0xFF})},
      {Cmd({0x0A}), kNg},
      {Cmd({0x09}), kNg},
      {Cmd({0x19, 0x00}), Ans({0x19, 0x00, 0x00})},
      {Cmd({0x1C, 0x00}), kNg},
      {To(0x5C, {0x03}), ""},  // for another rig on the bus
  };
  const std::string image = "12 7040000 03 \"\"\n100 50100000 05 \"\" extra=02\n";
  const std::string final_image = "20 14074000 03 \"\" extra=02\n100 50200000 05 \"\" extra=02\n";
  s.push_back({"EchoOn", Civ("Icom IC-CI-V", 0x00, true), image, generic, final_image});
  s.push_back({"EchoOff", Civ("Icom IC-CI-V", 0x00, false), image, generic, final_image});
  s.push_back({"Address94",
               Civ("Icom IC-CI-V", 0x94, true),
               "",
               {
                   {To(0x94, {0x03}), From(0x94, {0x03, 0x00, 0x00, 0x00, 0x14, 0x00})},
                   {To(0x00, {0x07}), From(0x94, {0xFB})},  // broadcast
                   {To(0x5C, {0x07}), ""},
                   {To(0x00, {0x07}), From(0x94, {0xFB})},
                   {To(0x94, {0x07}, 0xE1), From(0x94, {0xFB}, 0xE1)},
                   // Extra preamble bytes are allowed.
                   {Bytes({0xFE}) + To(0x94, {0x19, 0x00}), From(0x94, {0x19, 0x00, 0x94})},
               },
               ""});
  s.push_back({"IC735FourByteFrequency",
               Civ("Icom IC-735", 0x04, false),
               "3 7040000 03 \"\"\n",
               {
                   {To(0x04, {0x03}), From(0x04, {0x03, 0x00, 0x00, 0x00, 0x14})},
                   {To(0x04, {0x05, 0x00, 0x00, 0x10, 0x07}), From(0x04, {0xFB})},
                   {To(0x04, {0x03}), From(0x04, {0x03, 0x00, 0x00, 0x10, 0x07})},
                   {To(0x04, {0x05, 0x00, 0x00, 0x10, 0x07, 0x00}), From(0x04, {0xFA})},
                   {To(0x04, {0x08, 0x03}), From(0x04, {0xFB})},
                   {To(0x04, {0x08}), From(0x04, {0xFB})},
                   {To(0x04, {0x03}), From(0x04, {0x03, 0x00, 0x00, 0x04, 0x07})},
               },
               "3 7040000 03 \"\"\n"});
  return s;
}

class IcomScript : public ::testing::TestWithParam<Script> {};

TEST_P(IcomScript, AnswersAndKeepsMemoryLikeTheRig) {
  const Script& script = GetParam();
  RunningSim rig(script.options, script.image);
  Line line(rig.path);
  for (const Exchange& step : script.steps) {
    line.Send(step.send);
    std::string expect = (script.options.echo.value_or(true) ? step.send : "") + step.expect;
    if (expect.empty()) continue;
    EXPECT_EQ(line.Read(expect.size()), expect) << "step " << (&step - &script.steps[0]);
  }
  EXPECT_EQ(line.Drain(), "") << "answers nobody asked for";
  EXPECT_EQ(ImageBody(rig.sim->Channels()), script.final_image);
}

INSTANTIATE_TEST_SUITE_P(Rigs, IcomScript, ::testing::ValuesIn(Scripts()),
                         [](const auto& info) { return info.param.label; });

Options NoEcho() {
  return Civ("Icom IC-CI-V", 0x00, false);
}

TEST(IcomFraming, SeveralFramesInOneWriteEachAnswered) {
  RunningSim rig(NoEcho());
  Line line(rig.path);
  line.Send(Cmd({0x07}) + Cmd({0x03}) + Cmd({0x04}));
  EXPECT_EQ(line.Read(6 + 11 + 8),
            kOk + Ans({0x03, 0x00, 0x00, 0x00, 0x14, 0x00}) + Ans({0x04, 0x01, 0x01}));
}

TEST(IcomFraming, FrameSplitOverTwoWritesAnsweredOnce) {
  RunningSim rig(NoEcho());
  Line line(rig.path);
  std::string frame = Cmd({0x03});
  line.Send(frame.substr(0, 3));
  EXPECT_EQ(line.Drain(100), "");
  line.Send(frame.substr(3));
  EXPECT_EQ(line.Read(11), Ans({0x03, 0x00, 0x00, 0x00, 0x14, 0x00}));
  EXPECT_EQ(line.Drain(), "");
}

TEST(IcomFraming, NoiseBeforeAFrameAndAnUnterminatedFrameAreSkipped) {
  RunningSim rig(NoEcho());
  Line line(rig.path);
  line.Send(Bytes({0x00, 0x13, 0xFD, 0x55}) + Cmd({0x07}));
  EXPECT_EQ(line.Read(6), kOk);
  // A preamble that never ends: the rig must not wait for it forever.
  line.Send(Bytes({0xFE, 0xFE, 0x00, 0xE0}) + std::string(100, '\x01'));
  line.Send(Cmd({0x07}));
  EXPECT_EQ(line.Read(6), kOk);
}

}  // namespace
}  // namespace varnek::sim::test
