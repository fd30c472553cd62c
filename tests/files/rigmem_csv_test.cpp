#include "files/rigmem_csv.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <random>

#include "base/text.h"
#include "rig/memory_extras.h"
#include "tests/sim/harness.h"
#include "tests/sim/process.h"

namespace varnek {
namespace {

using sim::test::Process;
using sim::test::ReadFile;
using sim::test::RunningSim;
using sim::test::WriteFile;

const std::string kRigmem = "/usr/bin/rigmem";

std::string Joined(const std::vector<std::string>& report) {
  std::string s;
  for (const std::string& line : report)
    s += line + "\n";
  return s;
}

ChannelTable Trimmed(ChannelTable t) {
  for (ChannelRow& r : t)
    r = {Trim(r.freq), r.mode, r.name};
  return t;
}

TEST(RigmemCsv, ExportLayoutPerRig) {
  ChannelTable table;
  table[0] = {"3.600.000", "FSK", "Zero"};
  table[5] = {"145.500.000", "FM", "S20"};
  struct Case {
    std::string model;
    char separator;
    std::string bytes;
  };
  const std::vector<Case> cases = {
      {"TS-570", ',',
       "num,freq,mode,tx_freq,tx_mode,split,ctcss_tone,\n"
       "0,3600000,RTTY,0,,off,0,\n"
       "5,145500000,FM,0,,off,0,\n"},
      {"TS-2000", ';',
       "num;channel_desc;freq;mode;tx_freq;tx_mode;split;rptr_shift;rptr_offs;tuning_step;funcs;"
       "ctcss_tone;ctcss_sql;dcs_code;dcs_sql;scan_group;flags;\n"
       "0;Zero;3600000;RTTY;0;;off;None;0;1000;0;0;0;0;0;0;0;\n"
       "5;S20;145500000;FM;0;;off;None;0;5000;0;0;0;0;0;0;0;\n"},
      {"FT-2000", ',',
       "num,freq,mode,rptr_shift,rit,xit,ctcss_tone,ctcss_sql,\n"
       "5,145500000,FM,None,0,0,0,0,\n"},
      {"IC-CI-V", ',', "num,channel_desc,freq,mode,\n5,S20,145500000,FM,\n"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(RigmemCsvText(table, c.model, c.separator).bytes, c.bytes) << c.model;
}

TEST(RigmemCsv, ExportReportsWhatItCannotWriteAsItIs) {
  ChannelTable table;
  table[0] = {"7.000.000", "CW", ""};
  table[1] = {"14.250.000", "USB", "LONGNAME99"};
  table[2] = {"14.250.000", "USB", "a;b,c"};
  table[3] = {"14.250.000", "?", ""};
  table[4] = {"x", "USB", ""};
  const ChannelExport ts2000 = RigmemCsvText(table, "TS-2000");
  EXPECT_EQ(ts2000.channels, 3);
  EXPECT_EQ(ts2000.report, (std::vector<std::string>{
                               "channel 01: name \"LONGNAME99\" cut to the rig's 8 characters",
                               "channel 01: name \"LONGNAME\": rigmem sends only its first 6 "
                               "characters to the TS-2000",
                               "channel 02: name \"a;b,c\": characters rigmem cannot carry became "
                               "blanks",
                               "channel 03: mode \"?\" has no Hamlib counterpart; not written",
                               "channel 04: frequency \"x\" is not a frequency; not written"}));
  EXPECT_NE(ts2000.bytes.find("\n2,a b c,14250000,"), std::string::npos) << ts2000.bytes;

  // rigmem's columns hold one frequency: a split is reported, not dropped.
  ChannelTable split;
  split[6] = {"14.250.000", "USB", "", {"TS-570", "0000", "000143500002"}};
  EXPECT_NE(Joined(RigmemCsvText(split, "TS-570").report)
                .find("channel 06: the split's transmit side 14.350.000"),
            std::string::npos)
      << Joined(RigmemCsvText(split, "TS-570").report);

  const ChannelExport ft2000 = RigmemCsvText(table, "FT-2000");
  EXPECT_EQ(ft2000.report.front(), "channel 00: this rig has no channel 00; not written");
  EXPECT_NE(Joined(ft2000.report).find("channel 01: name \"LONGNAME99\" not written"),
            std::string::npos);
}

TEST(RigmemCsv, ModeNamesBothWays) {
  struct Case {
    std::string hamlib, kenwood, icom;
  };
  const std::vector<Case> cases = {
      {"USB", "USB", "USB"},
      {"CWR", "CW-R", "CW-R"},
      {"RTTY", "FSK", "RTTY"},
      {"RTTYR", "FSK-R", "RTTY-R"},
      {"FMN", "FM-N", "FM-N"},
      {"PKTUSB", "PKT-U", "PKT-U"},
      {"PKTLSB", "PKT-L", "PKT-L"},
      {"PKTFM", "PKT-FM", "PKT-FM"},
      {"WFM", "", ""},
      {"AMS", "", ""},
      {"", "", ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(HamlibModeToTable(c.hamlib, "TS-2000"), c.kenwood) << c.hamlib;
    EXPECT_EQ(HamlibModeToTable(c.hamlib, "IC-CI-V"), c.icom) << c.hamlib;
  }
  for (const char* m : {"FSK", "RTTY", "DIGI", "PKT"})
    EXPECT_EQ(TableModeToHamlib(m, 14'080'000), "RTTY") << m;
  EXPECT_EQ(TableModeToHamlib("SSB", 3'700'000), "LSB");
}

TEST(RigmemCsv, ImportFindsColumnsAndSeparatorAndReportsTheRest) {
  struct Case {
    std::string label, model, bytes;
    std::vector<ImportedChannel> channels;
    std::vector<std::string> report;  // substrings, one per line
  };
  const std::vector<Case> cases = {
      {"TS-570 as rigmem saves it",
       "TS-570",
       "num,freq,mode,tx_freq,tx_mode,split,ctcss_tone,\n5,14074000,USB,0,,off,0,\n"
       "32,7100000,CWR,0,,off,0,\n33,14070000,RTTYR,0,,off,0,\n",
       {{5, "14.074.000", "USB", ""},
        {32, "  7.100.000", "CW-R", ""},
        {33, "14.070.000", "FSK-R", ""}},
       {}},
      {"semicolons, names with commas",
       "TS-2000",
       "num;channel_desc;freq;mode;tx_freq;\n12;A,B;7040000;CW;0;\n30;;3600000;RTTY;0;\n",
       {{12, "  7.040.000", "CW", "A,B"}, {30, "  3.600.000", "FSK", ""}},
       {}},
      {"names holding the separator (rigmem writes them unquoted), padded names",
       "TS-2000",
       "num,channel_desc,freq,mode,\n12,A,B,C,7040000,CW,\n13,FT8     ,14074000,USB,\n",
       {{12, "  7.040.000", "CW", "A,B,C"}, {13, "14.074.000", "USB", "FT8"}},
       {}},
      {"columns in another order, upper case",
       "IC-CI-V",
       "NUM,MODE,FREQ,\n1,RTTY,14080000,\n",
       {{1, "14.080.000", "RTTY", ""}},
       {}},
      {"rows outside the table",
       "TS-2000",
       "num,channel_desc,freq,mode,tx_freq,split,\n150,S20,145500000,FM,0,off,\n"
       "x,,7000000,CW,0,off,\n6,,7.0MHz,CW,0,off,\n7,,0,,0,off,\n"
       "8,Rpt,145500000,WFM,144900000,on,\n",
       {{8, "145.500.000", "FM", "Rpt"}},
       {"line 2: channel 150 is above 99; not taken",
        "line 3: channel number \"x\" is not a number; not taken",
        "line 4: frequency \"7.0MHz\" is not a number; channel 6 not taken",
        "line 6: mode \"WFM\" has no counterpart here; channel 08 takes the band-plan mode FM",
        "line 6: the transmit side (144900000 Hz) of split channel 8 is not kept",
        "1 channel is empty in the file (frequency 0); the table's is left (line 5)"}},
      {"quotes are part of a name: rigmem never quotes",
       "TS-2000",
       "num,channel_desc,freq,mode,\n1,\"Home,7040000,CW,\n2,Club\",7050000,CW,\n"
       "3,\"Q\",7060000,CW,\n",
       {{1, "  7.040.000", "CW", "\"Home"},
        {2, "  7.050.000", "CW", "Club\""},
        {3, "  7.060.000", "CW", "\"Q\""}},
       {}},
      {"banks",
       "IC-CI-V",
       "num,bank_num,freq,mode,\n1,0,7000000,CW,\n1,1,7100000,LSB,\n",
       {{1, "  7.000.000", "CW", ""}},
       {"line 3: channel 1 of bank 1: only bank 0 is taken"}},
  };
  for (const Case& c : cases) {
    const ChannelImport in = ParseRigmemCsv(c.bytes, c.model);
    ASSERT_TRUE(in.ok) << c.label << ": " << in.message;
    EXPECT_EQ(in.channels, c.channels) << c.label;
    ASSERT_EQ(in.report.size(), c.report.size()) << c.label << "\n" << Joined(in.report);
    for (size_t i = 0; i < c.report.size(); ++i)
      EXPECT_NE(in.report[i].find(c.report[i]), std::string::npos) << c.label << "\n"
                                                                   << in.report[i];
  }
}

TEST(RigmemCsv, BadInputGivesAMessageNeverACrash) {
  std::mt19937 random(11);
  std::string garbage(64 * 1024, '\0');
  for (char& b : garbage)
    b = static_cast<char>(random());
  std::string big = "num,freq,mode,\n";
  while (big.size() < 5u << 20)
    big += "1,\x01\x02\xFF,\"USB\n";
  struct Case {
    std::string label, bytes;
    bool ok;
  };
  const std::vector<Case> cases = {
      {"empty", "", false},
      {"garbage", garbage, false},
      {"CHIRP instead", "Location,Name,Frequency\n", false},
      {"num without a separator", "num\n1\n", false},
      {"tab separated", "num\tfreq\t\n", false},
      {"no freq column", "num,mode,\n1,USB,\n", false},
      {"garbage after the header", "num,freq,mode,\n" + garbage, true},
      {"5 MB", big, true},
  };
  for (const Case& c : cases) {
    const ChannelImport in = ParseRigmemCsv(c.bytes, "TS-2000");
    EXPECT_EQ(in.ok, c.ok) << c.label << ": " << in.message;
    if (!in.ok) {
      EXPECT_FALSE(in.message.empty()) << c.label;
    }
    EXPECT_LE(in.report.size(), 501u) << c.label;
  }
}

// ---- Through Hamlib's rigmem and the simulated rig ----

struct RigCase {
  std::string label, rig, model;  // simulator's rig name, Varnek's model code
  int hamlibModel, baud;
  char separator;
  bool names;
  std::vector<std::pair<int, ChannelRow>> rows;
  // Mode code the rig's memory must hold for each row, in order.
  std::vector<std::string> codes;
  std::vector<std::string> exportReport = {};
};
void PrintTo(const RigCase& c, std::ostream* os) {
  *os << c.label;
}

std::vector<RigCase> RigCases() {
  return {
      {"TS570",
       "Kenwood TS-570",
       "TS-570",
       2016,
       9600,
       ',',
       false,
       {{0, {"3.600.000", "FSK", ""}},
        {1, {"14.250.000", "USB", ""}},
        {2, {"  7.050.000", "LSB", ""}},
        {3, {"14.025.000", "CW", ""}},
        {4, {"7.030.000", "CW-R", ""}},
        // A 10 m repeater: tone 88.5 Hz, locked out.
        {5, {"29.600.000", "FM", "", {"TS-570", "1108"}}},
        {6, {"27.555.000", "AM", ""}},
        {7, {"14.083.000", "FSK-R", ""}},
        {99, {"28.500.000", "USB", ""}}},
       {"6", "2", "1", "3", "7", "4", "5", "9", "2"},
       {"channel 05: lockout (rigmem writes it as 0, off) of the TS-570 not carried by rigmem "
        "CSV"}},
      {"TS570Semicolon",
       "Kenwood TS-570",
       "TS-570",
       2016,
       9600,
       ';',
       false,
       {{10, {"21.074.000", "USB", ""}}, {11, {"3.700.000", "LSB", ""}}},
       {"2", "1"}},
      {"TS2000",
       "Kenwood TS-2000",
       "TS-2000",
       2014,
       9600,
       ',',
       true,
       {{0, {"14.074.000", "USB", "FT8"}},
        {1, {"  7.040.000", "CW", "CQ DX"}},
        // Repeaters: tone 88.5 Hz, minus 600 kHz, locked out; CTCSS 100.0 Hz,
        // plus 5 MHz; DCS 754.
        {2, {"145.500.000", "FM", "S20", {"TS-2000", "11080000002000600000000"}}},
        {3, {"3.600.000", "FSK", ""}},
        {4, {"430.000.000", "FM", "UHF", {"TS-2000", "02001200001005000000000"}}},
        {6, {"145.600.000", "FM", "", {"TS-2000", "03000010300000000000000"}}},
        {5, {"14.030.000", "CW-R", "REV"}},
        {98, {"28.500.000", "LSB", "ABCDEFGH"}}},
       {"2", "3", "4", "6", "4", "4", "7", "1"},
       // Hamlib 4.5's TS-2000 write cuts names to six characters.
       {"channel 98: name \"ABCDEFGH\": rigmem sends only its first 6 characters to the "
        "TS-2000"}},
      {"TS2000Semicolon",
       "Kenwood TS-2000",
       "TS-2000",
       2014,
       9600,
       ';',
       true,
       {{20, {"50.150.000", "USB", "SIX M"}}, {21, {"50.200.000", "USB", "SIX-2"}}},
       {"2", "2"}},
      {"FT2000",
       "Yaesu FT-2000",
       "FT-2000",
       1029,
       38400,
       ',',
       false,
       {{1, {"14.074.000", "USB", ""}},
        {9, {"21.074.000", "USB", ""}},
        {17, {"7.040.000", "CW", ""}}},
       {"2", "2", "3"}},
  };
}

class RigmemThroughRig : public ::testing::TestWithParam<RigCase> {
 protected:
  void SetUp() override {
    if (access(kRigmem.c_str(), X_OK) != 0)
      GTEST_SKIP() << kRigmem
                   << " is missing (Debian libhamlib-utils): the round trip through "
                      "Hamlib cannot run";
  }
  int Rigmem(RunningSim& rig, const std::string& command, const std::string& file, std::string* err,
             char separator = ',') {
    const RigCase& c = GetParam();
    Process p({kRigmem, "-m", std::to_string(c.hamlibModel), "-r", rig.path, "-s",
               std::to_string(c.baud), "-p", std::string(1, separator), "-C", "post_write_delay=0",
               command, file});
    const int status = p.Wait(90000);
    *err = p.Err().substr(p.Err().size() > 2000 ? p.Err().size() - 2000 : 0);
    return status;
  }
};

// Varnek's table → rigmem CSV → rigmem load → the rig's memory, and back:
// the rig's memory → rigmem save → Varnek's table.
TEST_P(RigmemThroughRig, TableReachesTheRigAndComesBack) {
  const RigCase& c = GetParam();
  ChannelTable table;
  for (const auto& [n, row] : c.rows)
    table[static_cast<size_t>(n)] = row;
  sim::Options o;
  o.rig = c.rig;
  RunningSim rig(o);

  // rigmem 4.5 loads only ',' files (a ';' key line is "Invalid"), so the
  // ';' cases go to the rig through ',' and test ';' on the way back.
  const std::string load = rig.dir.File("load.csv");
  const ChannelExport out = ExportRigmemCsv(load, table, c.model);
  ASSERT_TRUE(out.ok) << out.message;
  EXPECT_EQ(out.report, c.exportReport);
  std::string err;
  ASSERT_EQ(Rigmem(rig, "load", load, &err), 0) << err << "\n" << out.bytes;

  for (size_t i = 0; i < c.rows.size(); ++i) {
    const auto& [n, row] = c.rows[i];
    const std::optional<sim::Channel> ch = rig.sim->GetChannel(n);
    ASSERT_TRUE(ch) << "channel " << n << " did not reach the rig";
    long long hz = 0;
    ASSERT_TRUE(TableFreqHertz(row.freq, hz));
    EXPECT_EQ(ch->hz, hz) << "channel " << n;
    EXPECT_EQ(ch->mode, c.codes[i]) << "channel " << n;
    if (c.names) {
      EXPECT_EQ(Trim(ch->name), row.name.substr(0, 6)) << "channel " << n;
    }
  }

  const std::string save = rig.dir.File("save.csv");
  ASSERT_EQ(Rigmem(rig, "save", save, &err, c.separator), 0) << err;
  const ChannelImport in = ImportRigmemCsv(save, c.model);
  ASSERT_TRUE(in.ok) << in.message;
  // Some rigs' backups hold their empty channels too (frequency 0); a
  // TS-570 tone is taken with a warning (rigmem reads it one step high).
  for (const std::string& line : in.report)
    EXPECT_TRUE(line.find("empty in the file") != std::string::npos ||
                line.find("one step too high") != std::string::npos)
        << line;
  ChannelTable back;
  ApplyImport(in, back);
  ChannelTable expected = Trimmed(table);
  for (ChannelRow& r : expected)
    r.name = r.name.substr(0, 6);
  EXPECT_EQ(Trimmed(back), expected) << ReadFile(save) << Joined(in.report);
  // Tone, shift and skip come back as far as rigmem carries them.
  for (const auto& [n, row] : c.rows) {
    if (row.kept.Empty()) continue;
    std::optional<MemoryExtras> sent = ExtrasOf(row.kept, nullptr);
    ASSERT_TRUE(sent);
    if (c.model == "TS-570") {
      // rigmem writes the lockout as off, and saves the tone one step high.
      sent->skip = false;
      sent->toneDeciHz = 915;
    }
    EXPECT_EQ(ExtrasOf(back[static_cast<size_t>(n)].kept, nullptr), sent)
        << "channel " << n << "\n" << ReadFile(save);
  }
}

TEST_P(RigmemThroughRig, ExportHeaderIsTheOneRigmemWrites) {
  const RigCase& c = GetParam();
  sim::Options o;
  o.rig = c.rig;
  RunningSim rig(o);
  const std::string save = rig.dir.File("save.csv");
  std::string err;
  ASSERT_EQ(Rigmem(rig, "save", save, &err, c.separator), 0) << err;
  const std::string text = ReadFile(save);
  EXPECT_EQ(text.substr(0, text.find('\n')), RigmemHeader(c.model, c.separator));
}

INSTANTIATE_TEST_SUITE_P(Hamlib, RigmemThroughRig, ::testing::ValuesIn(RigCases()),
                         [](const auto& info) { return info.param.label; });

// Not covered through Hamlib: rigmem 4.5.4 load stops at a ';' key line
// ("Invalid (possibly too long or empty) key line"), so ';' files go only
// from rigmem save into Varnek; and Hamlib has no memory round trip for the
// TS-870S, the FT-920 and the FT-1000.
}  // namespace
}  // namespace varnek
