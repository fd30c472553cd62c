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
  // IC-7300 "1A 00" records, byte by byte from the rig's notes. Channel 12:
  // split on, select group 2 | 14.070000 USB FIL2, DATA on, TSQL, repeater
  // tone 88.5, TSQL tone 100.0 | transmit 14.100000 USB FIL1, no tone | name.
  const std::string rx12 =
      Bytes({0x00, 0x00, 0x07, 0x14, 0x00, 0x01, 0x02, 0x12, 0x00, 0x08, 0x85, 0x00, 0x10, 0x00});
  const std::string tx12 =
      Bytes({0x00, 0x00, 0x10, 0x14, 0x00, 0x01, 0x01, 0x00, 0x00, 0x08, 0x85, 0x00, 0x08, 0x85});
  const std::string split12 = Bytes({0x00, 0x12, 0x12}) + rx12 + tx12 + "FT8 SPLIT ";
  // Channel 5 from the image: LSB 7.074000 FIL1, TONE 88.5; no transmit block
  // of its own, so the 41-byte form repeats the receive block.
  const std::string rx5 =
      Bytes({0x00, 0x40, 0x07, 0x07, 0x00, 0x00, 0x01, 0x01, 0x00, 0x08, 0x85, 0x00, 0x08, 0x85});
  const std::string image5 = "5 7074000 00 \"ABCDEFGHIJ\" extra=000101000885000885\n";
  auto rec = [](int ch_hi, int ch_lo, const std::string& body) {
    return Bytes({0xFE, 0xFE, 0x94, 0xE0, 0x1A, 0x00, ch_hi, ch_lo}) + body + Bytes({0xFD});
  };
  auto ans = [](int ch_hi, int ch_lo, const std::string& body) {
    return Bytes({0xFE, 0xFE, 0xE0, 0x94, 0x1A, 0x00, ch_hi, ch_lo}) + body + Bytes({0xFD});
  };
  const std::string ok94 = From(0x94, {0xFB}), ng94 = From(0x94, {0xFA});
  auto with = [](std::string r, size_t at, int byte) {  // r with one data byte changed
    r[at] = static_cast<char>(byte);
    return r;
  };
  const std::string r41 = split12.substr(2);
  const std::string r27 = Bytes({0x00}) + rx5 + "ABCDEFGHIJ";
  std::vector<Exchange> ic7300_41 = {
      {rec(0x00, 0x05, ""), ans(0x00, 0x05, Bytes({0x00}) + rx5 + rx5 + "ABCDEFGHIJ")},
      {rec(0x00, 0x12, ""), ans(0x00, 0x12, Bytes({0xFF}))},
      {rec(0x00, 0x12, r41), ok94},
      {rec(0x00, 0x12, ""), ans(0x00, 0x12, r41)},
      {rec(0x01, 0x01, r41), ok94},  // P2
      {rec(0x01, 0x01, Bytes({0xFF})), ok94},
      {rec(0x01, 0x01, ""), ans(0x01, 0x01, Bytes({0xFF}))},
      // Refused: the 27-byte form, channels 00 00 and 01 02, WFM, FIL4, the
      // tone 88.6, 74.9 MHz, a transmit frequency that is no BCD, select
      // group 4, a split flag of 2, a name character below blank.
      {rec(0x00, 0x13, r27), ng94},
      {rec(0x00, 0x00, r41), ng94},
      {rec(0x00, 0x00, ""), ng94},
      {rec(0x01, 0x02, ""), ng94},
      {rec(0x00, 0x13, with(r41, 6, 0x06)), ng94},
      {rec(0x00, 0x13, with(r41, 7, 0x04)), ng94},
      {rec(0x00, 0x13, with(r41, 11, 0x86)), ng94},
      {rec(0x00, 0x13, with(with(r41, 3, 0x90), 4, 0x74)), ng94},
      {rec(0x00, 0x13, with(r41, 17, 0x0A)), ng94},
      {rec(0x00, 0x13, with(r41, 0, 0x14)), ng94},
      {rec(0x00, 0x13, with(r41, 0, 0x22)), ng94},
      {rec(0x00, 0x13, with(r41, 31, 0x07)), ng94},
      {rec(0x00, 0x13, ""), ans(0x00, 0x13, Bytes({0xFF}))},
      // The older commands still work; no WFM through 06 either.
      {To(0x94, {0x06, 0x06}), ng94},
      {To(0x94, {0x08, 0x00, 0x12}), ok94},
      {To(0x94, {0x08}), ok94},
      {To(0x94, {0x03}), From(0x94, {0x03, 0x00, 0x00, 0x07, 0x14, 0x00})},
      {To(0x94, {0x04}), From(0x94, {0x04, 0x01, 0x02})},
      {To(0x94, {0x19, 0x00}), From(0x94, {0x19, 0x00, 0x94})},
      {To(0xE0, {0x03}), ""},  // E0 to E0: not for the rig
  };
  const std::string final41 =
      "5 7074000 00 \"ABCDEFGHIJ\" extra=000101000885000885\n"
      "12 14070000 01 \"FT8 SPLIT\" extra=1202120008850010000100000885000885 tx=14100000/01\n";
  s.push_back(
      {"IC7300Record41NoEcho", Civ("Icom IC-7300", 0x94, false), image5, ic7300_41, final41});
  s.push_back({"IC7300Record41Echo", Civ("Icom IC-7300", 0x94, true), image5, ic7300_41, final41});
  Options short_form = Civ("Icom IC-7300", 0x94, false);
  short_form.ic7300_record = 27;
  s.push_back({"IC7300Record27",
               short_form,
               image5,
               {
                   {rec(0x00, 0x05, ""), ans(0x00, 0x05, r27)},
                   {rec(0x00, 0x12, r41), ng94},
                   {rec(0x00, 0x07, with(r27, 0, 0x12)), ok94},
                   {rec(0x00, 0x07, ""), ans(0x00, 0x07, with(r27, 0, 0x12))},
               },
               image5 + "7 7074000 00 \"ABCDEFGHIJ\" extra=120101000885000885\n"});
  // Transceive on: every second command brings an unrequested frequency
  // frame, then a mode frame, to address 00, in front of the answer.
  Options transceive = Civ("Icom IC-7300", 0x94, false);
  transceive.civ_transceive = 2;
  s.push_back(
      {"IC7300Transceive",
       transceive,
       "",
       {
           {To(0x94, {0x07}), ok94},
           {To(0x94, {0x07}), From(0x94, {0x00, 0x00, 0x00, 0x00, 0x14, 0x00}, 0x00) + ok94},
           {To(0x94, {0x07}), ok94},
           {To(0x94, {0x07}), From(0x94, {0x01, 0x01, 0x01}, 0x00) + ok94},
       },
       ""});
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
