// The ASCII rigs driven with hand-written commands; every expected answer is
// spelled out field by field as the rig sends it.
#include <gtest/gtest.h>

#include "sim/simulator.h"
#include "tests/sim/harness.h"
#include "tests/sim/line.h"

namespace varnek::sim::test {
namespace {

struct Exchange {
  std::string send;
  std::string expect;  // empty: the rig must stay silent
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

Options Rig(const std::string& name) {
  Options o;
  o.rig = name;
  return o;
}

// TS-2000 record fields 18-40 as the simulator's default channel has them:
// lockout, tone type, tone, CTCSS, DCS, reverse, shift, offset, step, group.
const std::string k2000Extra =
    "0"
    "0"
    "01"
    "01"
    "000"
    "0"
    "0"
    "000000000"
    "00"
    "0";
const std::string k2000Zero(23, '0');

std::vector<Script> Scripts() {
  std::vector<Script> s;
  s.push_back({"TS570",
               Rig("Kenwood TS-570"),
               "5 14074000 2 \"\"\n12 7040000 3 \"\" extra=0108\n",
               {
                   {"ID;", "ID018;"},
                   {"\r\nFA;\r\n", "FA00014000000;"},
                   {"FA00007050000;", ""},
                   {"FA;", "FA00007050000;"},
                   {"FA7050000;", "?;"},
                   {"MD;", "MD2;"},
                   {"MD8;", "?;"},
                   {"MD3;", ""},
                   {"MD;", "MD3;"},
                   {"MR0 05;",
                    "MR0 05"
                    "00014074000"
                    "2"
                    "0001"
                    " ;"},
                   {"MR0 12;",
                    "MR0 12"
                    "00007040000"
                    "3"
                    "0108"
                    " ;"},
                   {"MR1 05;",
                    "MR1 05"
                    "00014074000"
                    "2"
                    "0001"
                    " ;"},
                   {"MR0 07;",
                    "MR0 07"
                    "00000000000"
                    "0"
                    "0000"
                    " ;"},
                   {"MR0005;", "?;"},
                   {"MR0 5;", "?;"},
                   {"MR0 100;", "?;"},
                   {"MR2 05;", "?;"},
                   {"VM;", "?;"},
                   {"MA;", "?;"},
                   {"OI;", "?;"},
                   {"MC 12;", ""},
                   {"MC;", "MC 12;"},
                   {"MC012;", "?;"},
                   {"FR2;", ""},
                   {"IF;",
                    "IF"
                    "00007040000"
                    "     "
                    "+0000"
                    "00"
                    "0"
                    "12"
                    "0"
                    "3"
                    "2"
                    "0"
                    "0"
                    "0"
                    "01"
                    "0"
                    ";"},
                   {"FR0;", ""},
                   {"FT1;", ""},
                   {"IF;",
                    "IF"
                    "00007050000"
                    "     "
                    "+0000"
                    "00"
                    "0"
                    "12"
                    "0"
                    "3"
                    "0"
                    "0"
                    "1"
                    "0"
                    "01"
                    "0"
                    ";"},
                   {"FR0;", ""},
                   {"MW0 07"
                    "00007050000"
                    "3"
                    "0000"
                    " ;",
                    ""},
                   {"MR0 07;",
                    "MR0 07"
                    "00007050000"
                    "3"
                    "0000"
                    " ;"},
                   {"MW1 07"
                    "00007150000"
                    "3"
                    "0000"
                    " ;",
                    ""},
                   {"MR1 07;",
                    "MR1 07"
                    "00007150000"
                    "3"
                    "0000"
                    " ;"},
                   {"MR0 07;",
                    "MR0 07"
                    "00007050000"
                    "3"
                    "0000"
                    " ;"},
                   // A client that cuts the transmit record short at the mode.
                   {"MW1 0500014074000;", "?;"},
                   // The TS-2000 layout is another rig's.
                   {"MW0005"
                    "00014074000"
                    "2" +
                        k2000Zero + "NAME    ;",
                    "?;"},
                   {"MW0 05"
                    "00014074000"
                    "8"
                    "0000"
                    " ;",
                    "?;"},
                   {"MW0 05"
                    "00014074000"
                    "2"
                    "0000"
                    "X;",
                    "?;"},
                   {"MW0 05"
                    "00000000000"
                    "0"
                    "0000"
                    " ;",
                    ""},
                   {"MR0 05;",
                    "MR0 05"
                    "00000000000"
                    "0"
                    "0000"
                    " ;"},
                   {"MW1 05"
                    "00014074000"
                    "2"
                    "0000"
                    " ;",
                    "?;"},
               },
               "7 7050000 3 \"\" extra=0000 tx=7150000/3\n12 7040000 3 \"\" extra=0108\n"});
  s.push_back({"TS570D",
               Rig("Kenwood TS-570D"),
               "",
               {{"ID;", "ID017;"}, {"SL;", "SL00;"}, {"AI;", "?;"}},
               ""});
  s.push_back({"TS870S",
               Rig("Kenwood TS-870S"),
               "99 50100000 1 \"\"\n",
               {
                   {"ID;", "ID015;"},
                   {"SL;", "?;"},
                   {"AI;", "?;"},
                   {"PS;", "PS1;"},
                   {"MR0 99;",
                    "MR0 99"
                    "00050100000"
                    "1"
                    "0001"
                    " ;"},
                   {"MC005;", "?;"},
                   {"MC 99;", ""},
                   {"MC;", "MC 99;"},
               },
               "99 50100000 1 \"\"\n"});
  s.push_back({"TS2000",
               Rig("Kenwood TS-2000"),
               "5 14074000 2 \"FT8\"\n150 145500000 4 \"S20\"\n",
               {
                   {"ID;", "ID019;"},
                   {"MR0005;",
                    "MR0005"
                    "00014074000"
                    "2" +
                        k2000Extra + "FT8;"},
                   {"MR0 05;",
                    "MR0005"
                    "00014074000"
                    "2" +
                        k2000Extra + "FT8;"},
                   {"MR1005;",
                    "MR1005"
                    "00014074000"
                    "2" +
                        k2000Extra + "FT8;"},
                   {"MR0150;",
                    "MR0150"
                    "00145500000"
                    "4" +
                        k2000Extra + "S20;"},
                   {"MR0007;", "N;"},
                   {"MR1007;", "N;"},
                   {"MR0300;", "?;"},
                   {"MR0 5;", "?;"},
                   {"MC005;", ""},
                   {"MC;", "MC005;"},
                   {"MC150;", ""},
                   {"MC;", "MC150;"},
                   {"FR2;", ""},
                   {"IF;",
                    "IF"
                    "00145500000"
                    "     "
                    "+0000"
                    "00"
                    "1"
                    "50"
                    "0"
                    "4"
                    "2"
                    "0"
                    "0"
                    "0"
                    "01"
                    "0"
                    ";"},
                   {"OI;",
                    "OI"
                    "00007000000"
                    "     "
                    "+0000"
                    "00"
                    "1"
                    "50"
                    "0"
                    "2"
                    "1"
                    "0"
                    "0"
                    "0"
                    "01"
                    "0"
                    ";"},
                   {"AI;", "AI0;"},
                   {"VM;", "?;"},
                   {"MA;", "?;"},
                   {"MW0 07"
                    "00007050000"
                    "3"
                    "0000"
                    " ;",
                    "?;"},
                   {"MW0200"
                    "00007074000"
                    "1" +
                        k2000Extra + "DX;",
                    ""},
                   {"MR0200;",
                    "MR0200"
                    "00007074000"
                    "1" +
                        k2000Extra + "DX;"},
                   {"MW0201"
                    "00007074000"
                    "1" +
                        k2000Extra + "NINECHARS;",
                    "?;"},
                   {"MW0005"
                    "00000000000"
                    "0" +
                        k2000Zero + ";",
                    ""},
                   {"MR0005;", "N;"},
               },
               "150 145500000 4 \"S20\"\n200 7074000 1 \"DX\"\n"});
  Options open = Rig("Kenwood TS-2000");
  open.ts2000_empty = Ts2000Empty::kZeroRecord;
  open.ts2000_pad_names = true;
  open.ts2000_strict_channel = true;
  s.push_back({"TS2000OtherWay",
               open,
               "5 14074000 2 \"FT8\"\n",
               {
                   {"MR0007;",
                    "MR0007"
                    "00000000000"
                    "0" +
                        k2000Zero + "        ;"},
                   {"MR0005;",
                    "MR0005"
                    "00014074000"
                    "2" +
                        k2000Extra + "FT8     ;"},
                   {"MR0 05;", "?;"},
               },
               "5 14074000 2 \"FT8\"\n"});
  Options strict = Rig("Kenwood TS-570");
  strict.ascii_control_refused = true;
  s.push_back({"ControlBytesRefused",
               strict,
               "",
               {{"\r\nID;", "ID018;"}, {"ID\r;", "?;"}, {"ID;", "ID018;"}},
               ""});
  s.push_back({"FT2000",
               Rig("Yaesu FT-2000"),
               "1 14074000 2 \"\"\n7 7040000 3 \"\"\n",
               {
                   {"AI;", "AI0;"},
                   {"ID;", "ID0251;"},
                   {"EX0291;EX029;", "EX0291;"},
                   {"VS;", "VS0;"},
                   {"IF;",
                    "IF"
                    "001"
                    "14000000"
                    "+0000"
                    "00"
                    "2"
                    "0"
                    "0"
                    "00"
                    "0"
                    ";"},
                   {"FA;", "FA14000000;"},
                   {"FB;", "FB07000000;"},
                   {"FT;", "FT0;"},
                   {"MD0;", "MD02;"},
                   {"MD;", "?;"},
                   {"PS;", "PS1;"},
                   {"MR001;",
                    "MR"
                    "001"
                    "14074000"
                    "+0000"
                    "00"
                    "2"
                    "0"
                    "0"
                    "00"
                    "0"
                    ";"},
                   {"MR002;", "?;"},
                   {"MR000;", "?;"},
                   {"MR118;", "?;"},
                   {"FR;", "?;"},
                   {"OI;", "?;"},
                   {"MW002"
                    "07050000"
                    "+0000"
                    "00"
                    "3"
                    "0"
                    "0"
                    "00"
                    "0"
                    ";",
                    ""},
                   {"MR002;",
                    "MR002"
                    "07050000"
                    "+0000"
                    "00"
                    "3"
                    "0"
                    "0"
                    "00"
                    "0"
                    ";"},
                   {"MW0 07"
                    "00007050000"
                    "3"
                    "0000"
                    " ;",
                    "?;"},
                   {"MW003"
                    "07050000"
                    "+0000"
                    "00"
                    "E"
                    "0"
                    "0"
                    "00"
                    "0"
                    ";",
                    "?;"},
                   {"MC007;", ""},
                   {"MC;", "MC007;"},
                   {"VM;", ""},
                   {"IF;",
                    "IF"
                    "007"
                    "07040000"
                    "+0000"
                    "00"
                    "3"
                    "1"
                    "0"
                    "00"
                    "0"
                    ";"},
                   {"MA;", ""},
                   {"FA;", "FA07040000;"},
                   {"FA21074000;", ""},
                   {"MD02;", ""},
                   {"AM;", ""},
                   {"MR007;",
                    "MR007"
                    "21074000"
                    "+0000"
                    "00"
                    "2"
                    "0"
                    "0"
                    "00"
                    "0"
                    ";"},
                   {"MW001"
                    "00000000"
                    "+0000"
                    "00"
                    "2"
                    "0"
                    "0"
                    "00"
                    "0"
                    ";",
                    ""},
                   {"MR001;", "?;"},
               },
               "2 7050000 3 \"\"\n7 21074000 2 \"\"\n"});
  // clang-format off
  // TS-590S/SG and TS-480 records, offsets from the "M": 17 mode; TS-590:
  // 18 DATA, 19 tone type, 20-21 tone, 22-23 CTCSS, 24-26 000, 27 filter,
  // 28-37 zeros, 38-39 FM narrow, 40 lockout; TS-480: 18 lockout, 19 tone
  // type, 20-21 tone, 22-23 CTCSS, 24-37 zeros, 38-39 step, 40 0; name from 41.
  const std::string k590Rx =
      "1" "2" "08" "12" "000" "1" "0" "000000000" "00" "1";
  const std::string k590Tx =
      "0" "0" "00" "00" "000" "0" "0" "000000000" "00" "0";
  const std::string kEmpty35(35, '0');
  std::vector<Exchange> ts590 = {
      {"MR0005;", "MR0005" + kEmpty35 + ";"},
      {"MW0005" "00014070000" "2" +
           k590Rx + "REPEATER;",
       ""},
      {"MR0 05;",
       "MR0005" "00014070000" "2" +
           k590Rx + "REPEATER;"},
      {"MW1005" "00014100000" "2" +
           k590Tx + ";",
       ""},
      // The transmit side keeps its own frequency and mode.
      {"MR1005;",
       "MR1005" "00014100000" "2" +
           k590Rx + "REPEATER;"},
      {"MW0006" "00050000000" "4" "0" "0" "42" "41" "000" "0" "0" "000000000" "01" "0" "N;",
       ""},
      {"MR0006;",
       "MR0006" "00050000000" "4" "0" "0" "42" "41" "000" "0" "0" "000000000" "01" "0" "N;"},
      {"MW0006" + kEmpty35 + ";", ""},  // clear
      {"MR0006;", "MR0006" + kEmpty35 + ";"},
      // Refused: CTCSS 42, tone 43, tone type 4, filter 2, FM narrow 02, a
      // digit in the fixed 24-26, 60.000001 MHz, a nine-letter name, MW1
      // with no channel, channel 120, mode 8.
      {"MW0007" "00014070000" "2" "0" "2" "00" "42" "000" "0" "0" "000000000" "00" "0;",
       "?;"},
      {"MW0007" "00014070000" "2" "0" "1" "43" "00" "000" "0" "0" "000000000" "00" "0;",
       "?;"},
      {"MW0007" "00014070000" "2" "0" "4" "00" "00" "000" "0" "0" "000000000" "00" "0;",
       "?;"},
      {"MW0007" "00014070000" "2" "0" "0" "00" "00" "000" "2" "0" "000000000" "00" "0;",
       "?;"},
      {"MW0007" "00014070000" "4" "0" "0" "00" "00" "000" "0" "0" "000000000" "02" "0;",
       "?;"},
      {"MW0007" "00014070000" "2" "0" "0" "00" "00" "100" "0" "0" "000000000" "00" "0;",
       "?;"},
      {"MW0007" "00060000001" "2" +
           k590Tx + ";",
       "?;"},
      {"MW0007" "00014070000" "2" +
           k590Tx + "NINECHARS;",
       "?;"},
      {"MW1007" "00014070000" "2" +
           k590Tx + ";",
       "?;"},
      {"MR0119;", "MR0119" + kEmpty35 + ";"},
      {"MR0120;", "?;"},
      {"MW0007" "00014070000" "8" +
           k590Tx + ";",
       "?;"},
  };
  const std::string final590 = "5 14070000 2 \"REPEATER\" extra=" + k590Rx + " tx=14100000/2\n";
  std::vector<Exchange> ts590s = {{"ID;", "ID021;"}};
  ts590s.insert(ts590s.end(), ts590.begin(), ts590.end());
  s.push_back({"TS590S", Rig("Kenwood TS-590S"), "", ts590s, final590});
  std::vector<Exchange> ts590sg = {{"ID;", "ID023;"}};
  ts590sg.insert(ts590sg.end(), ts590.begin(), ts590.end());
  s.push_back({"TS590SG", Rig("Kenwood TS-590SG"), "", ts590sg, final590});

  Options ts590_open = Rig("Kenwood TS-590S");
  ts590_open.ts590_echo_blank = true;
  ts590_open.ts590_last_channel = 109;
  ts590_open.kenwood_pad_names = true;
  ts590_open.kenwood_mw1_alone_ignored = true;
  ts590_open.kenwood_clear_needs_name = true;
  s.push_back({"TS590OpenPointsSwitched",
               ts590_open,
               "5 14070000 2 \"AB\"\n",
               {
                   {"MR0 05;",
                    "MR0 05" "00014070000" "2" +
                        std::string(23, '0') + "AB      ;"},
                   {"MR0110;", "?;"},
                   {"MW1007" "00014070000" "2" +
                        k590Tx + ";",
                    ""},
                   {"MW0005" + kEmpty35 + ";", "?;"},
                   {"MW0005" + kEmpty35 + "        ;", ""},
               },
               ""});

  const std::string k480Rx =
      "1" "1" "08" "00" "00000000000000" "03" "0";
  s.push_back({"TS480",
               Rig("Kenwood TS-480"),
               "",
               {
                   {"ID;", "ID020;"},
                   {"MW0003" "00007074000" "1" +
                        k480Rx + "NET;",
                    ""},
                   {"MR0003;",
                    "MR0003" "00007074000" "1" +
                        k480Rx + "NET;"},
                   {"MW0004" "00029000000" "4" "0" "2" "42" "41" "00000000000000" "09" "0;",
                    ""},
                   {"MR0004;",
                    "MR0004" "00029000000" "4" "0" "2" "42" "41" "00000000000000" "09" "0;"},
                   {"MR0109;", "MR0109" + kEmpty35 + ";"},
                   {"MR0110;", "?;"},
                   {"MR0 03;", "?;"},
                   // Refused: step 05 on LSB, step 10 on FM, tone type 3, tone
                   // 43, CTCSS 42, 40 kHz, the name at 40 (CHIRP's live writer).
                   {"MW0005" "00007074000" "1" "0" "0" "00" "00" "00000000000000" "05" "0;",
                    "?;"},
                   {"MW0005" "00029000000" "4" "0" "0" "00" "00" "00000000000000" "10" "0;",
                    "?;"},
                   {"MW0005" "00007074000" "1" "0" "3" "00" "00" "00000000000000" "00" "0;",
                    "?;"},
                   {"MW0005" "00007074000" "1" "0" "1" "43" "00" "00000000000000" "00" "0;",
                    "?;"},
                   {"MW0005" "00007074000" "1" "0" "2" "00" "42" "00000000000000" "00" "0;",
                    "?;"},
                   {"MW0005" "00000040000" "5" "0" "0" "00" "00" "00000000000000" "00" "0;",
                    "?;"},
                   {"MW0005" "00007074000" "1" "0" "0" "00" "00" "00000000000000" "00" "NET;",
                    "?;"},
                   {"MW0004" + kEmpty35 + ";", ""},
               },
               "3 7074000 1 \"NET\" extra=" + k480Rx + "\n"});
  Options ts480_open = Rig("Kenwood TS-480");
  ts480_open.ts480_tones = 50;
  ts480_open.ts480_cross_tone = true;
  ts480_open.ts480_name_at_40 = true;
  ts480_open.ts480_low_khz = 100;
  s.push_back({"TS480OpenPointsSwitched",
               ts480_open,
               "",
               {
                   {"MW0005" "00007074000" "1" "0" "3" "50" "49" "00000000000000" "00" "NET;",
                    ""},
                   {"MR0005;",
                    "MR0005" "00007074000" "1" "0" "3" "50" "49" "00000000000000" "00" "0ET;"},
                   {"MW0006" "00000060000" "5" "0" "0" "00" "00" "00000000000000" "00" "0;",
                    "?;"},
               },
               "5 7074000 1 \"ET\" extra=03504900000000000000000\n"});
  // clang-format on
  return s;
}

class AsciiRigScript : public ::testing::TestWithParam<Script> {};

TEST_P(AsciiRigScript, AnswersAndKeepsMemoryLikeTheRig) {
  const Script& script = GetParam();
  RunningSim rig(script.options, script.image);
  Line line(rig.path);
  for (const Exchange& step : script.steps) {
    line.Send(step.send);
    if (step.expect.empty()) continue;  // a stray answer shows up in the next read
    EXPECT_EQ(line.Read(step.expect.size()), step.expect) << "after " << step.send;
  }
  EXPECT_EQ(line.Drain(), "") << "answers nobody asked for";
  EXPECT_EQ(ImageBody(rig.sim->Channels()), script.final_image);
}

INSTANTIATE_TEST_SUITE_P(Rigs, AsciiRigScript, ::testing::ValuesIn(Scripts()),
                         [](const auto& info) { return info.param.label; });

TEST(AsciiRig, SeveralCommandsInOneWriteAnswerInOrder) {
  RunningSim rig(Rig("Kenwood TS-570"));
  Line line(rig.path);
  line.Send("ID;FA;MD;");
  EXPECT_EQ(line.Read(6 + 14 + 4), "ID018;FA00014000000;MD2;");
}

TEST(AsciiRig, RecoversFromLongNoiseWithoutTerminator) {
  RunningSim rig(Rig("Kenwood TS-570"));
  Line line(rig.path);
  line.Send(std::string(1000, 'X'));
  EXPECT_EQ(line.Drain(), "");
  // What is left of the noise spoils at most the next command.
  line.Send("ID;");
  std::string first = line.ReadUntil(';');
  EXPECT_TRUE(first == "?;" || first == "ID018;") << first;
  line.Send("ID;");
  EXPECT_EQ(line.Read(6), "ID018;");
}

}  // namespace
}  // namespace varnek::sim::test
