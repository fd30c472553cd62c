#include "files/chirp_csv.h"

#include <gtest/gtest.h>

#include <random>

#include "base/text.h"
#include "rig/memory_extras.h"
#include "support/temp_folder.h"

namespace varnek {
namespace {

const std::string kHeader = std::string(kChirpHeader) + "\r\n";

// The trimmed texts, for comparing what was exported with what came back
// (the importer pads frequencies as the ASCII parser does).
ChannelTable Trimmed(ChannelTable t) {
  for (ChannelRow& r : t)
    r = {Trim(r.freq), r.mode, r.name};
  return t;
}

bool Mentions(const std::vector<std::string>& report, const std::string& part) {
  for (const std::string& line : report)
    if (line.find(part) != std::string::npos) return true;
  return false;
}

std::string Joined(const std::vector<std::string>& report) {
  std::string s;
  for (const std::string& line : report)
    s += line + "\n";
  return s;
}

TEST(ChirpCsv, RoundTripKeepsFrequencyModeAndName) {
  struct Case {
    std::string model;
    std::vector<std::pair<int, ChannelRow>> rows;
  };
  const std::vector<Case> cases = {
      {"TS-570",
       {{0, {"1.838.000", "FSK", "Zero"}},
        {1, {"14.250.000", "USB", "Net, Sunday"}},  // a comma inside the name
        {2, {"3.699.000", "LSB", "say \"hi\""}},
        {3, {"7.030.000", "CW-R", " lead blank"}},
        {4, {"29.600.000", "FM", "Z\xFCrich \x80"}},  // cp1252 ü and the euro sign
        {5, {"145.500.000", "FM-N", ""}},
        {6, {"14.080.000", "FSK-R", "RTTY"}},
        {7, {"27.555.000", "AM", "CB"}},
        {8, {"14.070.000", "DIGI", "PSK"}},
        {9, {"144.800.000", "PKT", "APRS"}},
        {10, {"7.074.500", "CW", "half kHz"}},
        {99, {"10368.100.000", "USB", "3 cm"}}}},
      {"IC-CI-V", {{1, {"14.080.000", "RTTY", ""}}, {2, {"14.083.000", "RTTY-R", ""}}}},
      {"TS-2000", {{1, {"14.025.000", "CW", "CQDX"}}}},
  };
  for (const Case& c : cases) {
    ChannelTable table;
    for (const auto& [n, row] : c.rows)
      table[static_cast<size_t>(n)] = row;
    const ChannelExport out = ChirpCsvText(table, c.model);
    EXPECT_EQ(out.channels, static_cast<int>(c.rows.size())) << c.model;
    EXPECT_TRUE(out.report.empty()) << c.model << "\n" << Joined(out.report);
    const ChannelImport in = ParseChirpCsv(out.bytes, c.model);
    ASSERT_TRUE(in.ok) << in.message;
    // The table keeps rows the rig cannot store; the import says so.
    for (const std::string& line : in.report)
      EXPECT_NE(line.find("a save refuses"), std::string::npos) << c.model << ": " << line;
    ChannelTable back;
    ApplyImport(in, back);
    EXPECT_EQ(Trimmed(back), table) << c.model << "\n" << out.bytes;
  }
}

TEST(ChirpCsv, ExportWritesWhatChirpReads) {
  ChannelTable table;
  table[1] = {"  7.050.000", "CW-R", "Z\xFCrich, Nord"};
  table[2] = {"   ", "USB", "no frequency: no row"};
  table[12] = {"14250", "FM-N", ""};
  const ChannelExport out = ChirpCsvText(table, "TS-570");
  EXPECT_EQ(out.bytes, kHeader +
                           "1,\"Z\xC3\xBCrich, Nord\",7.050000,,0.000000,,88.5,88.5,023,NN,023,"
                           "Tone->Tone,CWR,5.00,,50W,,,,,\r\n"
                           "12,,14.250000,,0.000000,,88.5,88.5,023,NN,023,"
                           "Tone->Tone,NFM,5.00,,50W,,,,,\r\n");
}

TEST(ChirpCsv, ExportReportsWhatItCannotWriteAsItIs) {
  ChannelTable table;
  table[1] = {"abc", "USB", ""};
  table[2] = {"7.0.5", "USB", ""};
  table[3] = {"14.250.000", "", ""};
  table[4] = {"144.300.000", "SSB", ""};
  table[5] = {"3.600.000", "PKT-L", ""};
  table[6] = {"14.250.000", "?", ""};
  const ChannelExport out = ChirpCsvText(table, "TS-570");
  EXPECT_EQ(out.channels, 4);
  const std::vector<std::string> expected = {
      "channel 01: frequency \"abc\" is not a frequency; not written",
      "channel 02: frequency \"7.0.5\" is not a frequency; not written",
      "channel 03: mode \"\" has no CHIRP counterpart; written as Auto",
      "channel 04: mode SSB written as USB",
      "channel 05: mode PKT-L written as DIG",
      "channel 06: mode \"?\" has no CHIRP counterpart; written as Auto",
  };
  EXPECT_EQ(out.report, expected);
  EXPECT_NE(out.bytes.find("4,,144.300000,"), std::string::npos);
}

TEST(ChirpCsv, ModeNamesBothWays) {
  struct Case {
    std::string chirp, kenwood, icom;
  };
  const std::vector<Case> cases = {
      {"USB", "USB", "USB"},
      {"lsb", "LSB", "LSB"},
      {"CWR", "CW-R", "CW-R"},
      {"NFM", "FM-N", "FM-N"},
      {"RTTY", "FSK", "RTTY"},
      {"RTTYR", "FSK-R", "RTTY-R"},
      {"FSK", "FSK", "RTTY"},
      {"DIG", "DIGI", "DIGI"},
      {"DV", "DIGI", "DIGI"},
      {"WFM", "", ""},
      {"NAM", "", ""},
      {"Auto", "", ""},
      {"", "", ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ChirpModeToTable(c.chirp, "TS-570"), c.kenwood) << c.chirp;
    EXPECT_EQ(ChirpModeToTable(c.chirp, "IC-CI-V"), c.icom) << c.chirp;
    EXPECT_EQ(ChirpModeToTable(c.chirp, "FT-2000"), c.icom) << c.chirp;
  }
  EXPECT_EQ(TableModeToChirp("SSB", 7'100'000), "LSB");
  EXPECT_EQ(TableModeToChirp("SSB", 144'300'000), "USB");
  EXPECT_EQ(TableModeToChirp("Error", 0), "");
}

TEST(ChirpCsv, ImportFindsColumnsByNameAndReportsEverythingNotTaken) {
  struct Case {
    std::string label, model, bytes;
    std::vector<ImportedChannel> channels;
    std::vector<std::string> report;  // substrings, one per line, in order
  };
  const std::vector<Case> cases = {
      {"columns reordered, extra ones ignored",
       "TS-570",
       "Frequency,Mode,Extra,Name,Location\n14.074000,USB,whatever,FT8,5\n",
       {{5, "14.074.000", "USB", "FT8"}},
       {}},
      {"quoted header and fields, BOM, CR LF",
       "TS-570",
       "\xEF\xBB\xBF\"Location\",\"Name\",\"Frequency\",\"Mode\"\r\n"
       "\"7\",\"A, B\",\"7.040000\",\"CW\"\r\n",
       {{7, "  7.040.000", "CW", "A, B"}},
       {}},
      {"name with a line end inside quotes",
       "TS-570",
       "Location,Name,Frequency,Mode\n8,\"two\nlines\",3.600000,LSB\n9,x,3.700000,LSB\n",
       {{8, "  3.600.000", "LSB", "two lines"}, {9, "  3.700.000", "LSB", "x"}},
       {"line 2: name \"two lines\": control characters became blanks"}},
      {"unknown mode keeps the band plan's",
       "TS-570",
       "Location,Name,Frequency,Mode\n1,Radio,29.650000,WFM\n2,,14.072000,NAM\n",
       {{1, "29.650.000", "FM", "Radio"}, {2, "14.072.000", "FSK", ""}},
       {"line 2: mode WFM has no counterpart here; channel 01 takes the band-plan mode FM",
        "line 3: mode NAM has no counterpart here; channel 02 takes the band-plan mode FSK"}},
      {"no mode column: the band plan without a report",
       "IC-CI-V",
       "Location,Frequency\n3,14.072\n",
       {{3, "14.072.000", "RTTY", ""}},
       {}},
      {"rows outside the table",
       "TS-570",
       "Location,Name,Frequency,Mode\n120,Far,14.0,USB\nx1,Bad,14.0,USB\n,NoLoc,14.0,USB\n"
       "4,Freq,abc,USB\n5,Zero,0.000000,USB\n6,Fine,14.1234567,USB\n",
       {},
       {"line 2: location 120 is above 99; not taken",
        "line 3: location \"x1\" is not a number; not taken",
        "line 4: location \"\" is not a number; not taken",
        "line 5: frequency \"abc\" is not a number; location 4 not taken",
        "line 6: frequency \"0.000000\" is zero; location 5 not taken",
        "line 7: frequency \"14.1234567\" is finer than 1 Hz; location 6 not taken"}},
      {"UTF-8 names: converted, or reported where cp1252 has no character",
       "TS-570",
       "Location,Name,Frequency,Mode\n1,Z\xC3\xBCrich,7.0,CW\n2,\xE6\x9D\xB1\xE4\xBA\xAC,7.0,CW\n",
       {{1, "  7.000.000", "CW", "Z\xFCrich"}, {2, "  7.000.000", "CW", "??"}},
       {"line 3: name \"??\": characters cp1252 cannot hold became '?'"}},
      {"name too long for the TS-2000",
       "TS-2000",
       "Location,Name,Frequency,Mode\n1,LONGNAME99,14.0,USB\n",
       {{1, "14.000.000", "USB", "LONGNAME"}},
       {"line 2: name \"LONGNAME99\": name cut to the rig's 8 characters"}},
      {"duplex and a channel named twice",
       "TS-570",
       "Location,Name,Frequency,Duplex,Offset,Mode\n1,Rpt,145.600000,-,0.600000,FM\n"
       "1,Again,145.650000,off,0,FM\n",
       {{1, "145.600.000", "FM", "Rpt"}, {1, "145.650.000", "FM", "Again"}},
       {"line 2: the TS-570 keeps no repeater shift",
        "line 2: frequency 145.600.000 is outside what the TS-570 can store",
        "line 3: duplex off (transmit disabled) is not kept",
        "line 3: location 1 again (first on line 2)",
        "line 3: frequency 145.650.000 is outside what the TS-570 can store"}},
      {"what the rig will refuse is said at the import",
       "FT-1000",
       "Location,Frequency,Mode\n0,14.070000,CW\n1,7.030000,CWR\n2,7.1,NFM\n",
       {{0, "14.070.000", "CW", ""},
        {1, "  7.030.000", "CW-R", ""},
        {2, "  7.100.000", "FM-N", ""}},
       {"line 2: the FT-1000 has no channel 00", "line 3: mode CW-R is not one the FT-1000 stores",
        "line 4: mode FM-N is not one the FT-1000 stores"}},
      {"modes and frequencies of the TS-570 and FT-2000",
       "FT-2000",
       "Location,Frequency,Mode\n1,14.0,PKT\n2,145.0,FM\n",
       {{1, "14.000.000", "PKT", ""}, {2, "145.000.000", "FM", ""}},
       {"line 2: mode PKT is not one the FT-2000 stores; a save refuses channel 01",
        "line 3: frequency 145.000.000 is outside what the FT-2000 can store"}},
      {"reversed DCS polarity; names the TS-2000 cannot hold",
       "TS-2000",
       "Location,Name,Frequency,Tone,DtcsCode,DtcsPolarity,Mode\n"
       "1,A;B,145.0,DTCS,023,RN,FM\n2,M\xC3\xBCnchen,145.1,DTCS,023,NN,FM\n",
       {{1, "145.000.000", "FM", "A;B", {"TS-2000", "03000000000000000000000"}},
        {2, "145.100.000", "FM", "M\xFCnchen", {"TS-2000", "03000000000000000000000"}}},
       {"line 2: name \"A;B\": characters the TS-2000 cannot hold (;)",
        "line 2: DtcsPolarity RN is not kept; channel 01 uses normal polarity",
        "line 3: name \"M\xFCnchen\": characters the TS-2000 cannot hold (\xFC)"}},
      {"short rows",
       "TS-570",
       "Location,Name,Frequency,Mode\n3\n4,,7.1\n",
       {{4, "  7.100.000", "LSB", ""}},
       {"line 2: frequency \"\" is not a number; location 3 not taken"}},
  };
  for (const Case& c : cases) {
    const ChannelImport in = ParseChirpCsv(c.bytes, c.model);
    ASSERT_TRUE(in.ok) << c.label << ": " << in.message;
    EXPECT_EQ(in.channels, c.channels) << c.label;
    ASSERT_EQ(in.report.size(), c.report.size()) << c.label << "\n" << Joined(in.report);
    for (size_t i = 0; i < c.report.size(); ++i)
      EXPECT_NE(in.report[i].find(c.report[i]), std::string::npos) << c.label << "\n"
                                                                   << in.report[i];
  }
}

// Tone, shift and skip go out in CHIRP's columns and come back into the
// same model's record; what CHIRP has no column for is said, and what the
// model cannot hold is said at the import.
TEST(ChirpCsv, KeptFieldsTravelInChirpColumns) {
  struct Case {
    std::string label, model, fields;
    std::string columns;  // Duplex..DtcsCode as exported, or "" to skip the check
    std::string skip;
    std::string notCarried;  // part of the export's report line, or ""
    std::string chirpMode = "FM";
  };
  const std::vector<Case> cases = {
      {"TS-2000 repeater: tone 88.5, minus 600 kHz, locked out", "TS-2000",
       "11080000002000600000000", "-,0.600000,Tone,88.5,88.5,023", "S", ""},
      {"TS-2000 tone squelch 100.0 Hz, plus 5 MHz", "TS-2000", "02001200001005000000000",
       "+,5.000000,TSQL,88.5,100.0,023", "", ""},
      {"TS-2000 DTCS 754, step and group", "TS-2000", "03000010300000000000032",
       ",0.000000,DTCS,88.5,88.5,754", "", "step 03, group 2"},
      {"TS-570 tone 250.3 Hz and lockout", "TS-570", "1138", ",0.000000,Tone,250.3,88.5,023", "S",
       ""},
      {"FT-2000 plus shift, clarifier on", "FT-2000", "+01231000001", "+,0.000000,,88.5,88.5,023",
       "", "clarifier"},
      // The TS-590's FM narrow flag is CHIRP's NFM mode, both ways.
      {"TS-590S FM narrow, CTCSS 100.0 Hz", "TS-590S", "02001200000000000000010",
       ",0.000000,TSQL,67.0,100.0,023", "", "", "NFM"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    ChannelTable table;
    table[5] = {"145.600.000", "FM", "RPT", {c.model, c.fields}};
    const ChannelExport out = ChirpCsvText(table, c.model);
    EXPECT_NE(out.bytes.find("145.600000," + c.columns + ",NN,023,Tone->Tone," + c.chirpMode +
                             ",5.00," + c.skip + ","),
              std::string::npos)
        << out.bytes;
    EXPECT_EQ(Mentions(out.report, c.notCarried), !c.notCarried.empty()) << Joined(out.report);
    const ChannelImport in = ParseChirpCsv(out.bytes, c.model);
    ASSERT_EQ(in.channels.size(), 1u);
    EXPECT_EQ(in.channels[0].mode, "FM");
    const KeptFields back = in.channels[0].kept;
    // What CHIRP carries comes back; what it does not (the clarifier,
    // step, group) takes the model's default.
    std::vector<std::string> lostBefore, lostAfter;
    EXPECT_EQ(ExtrasOf(back, &lostAfter), ExtrasOf({c.model, c.fields}, &lostBefore));
    // ExtrasOf names the narrow flag; CHIRP's NFM carries it.
    EXPECT_EQ(lostAfter.empty(), c.chirpMode == "FM");
    if (c.notCarried.empty()) {
      EXPECT_EQ(back, (KeptFields{c.model, c.fields}));
    }
  }

  // A tone the record stores with the tone off goes out as stored, not as
  // CHIRP's default: a TS-570 with 100.0 Hz switched off, a TS-2000 in tone
  // mode that also stores CTCSS 151.4 Hz.
  ChannelTable stored;
  stored[7] = {"145.600.000", "FM", "", {"TS-570", "0012"}};
  EXPECT_NE(ChirpCsvText(stored, "TS-570").bytes.find(",0.000000,,100.0,88.5,023,"),
            std::string::npos);
  stored[7] = {"145.600.000", "FM", "", {"TS-2000", "01122400000000000000000"}};
  EXPECT_NE(ChirpCsvText(stored, "TS-2000").bytes.find(",0.000000,Tone,100.0,151.4,023,"),
            std::string::npos);

  // A split: CHIRP's Offset holds the transmit frequency.
  ChannelTable split;
  split[6] = {"14.250.000", "USB", "", {"TS-570", "0000", "000143500002"}};
  const ChannelExport splitOut = ChirpCsvText(split, "TS-570");
  EXPECT_NE(splitOut.bytes.find("14.250000,split,14.350000,"), std::string::npos) << splitOut.bytes;
  const ChannelImport splitIn = ParseChirpCsv(splitOut.bytes, "TS-570");
  ASSERT_EQ(splitIn.channels.size(), 1u);
  EXPECT_EQ(splitIn.channels[0].kept, split[6].kept);

  // What the selected rig cannot hold is reported per line.
  const std::string rows =
      "Location,Frequency,Duplex,Offset,Tone,rToneFreq,cToneFreq,DtcsCode,Mode,Skip\n"
      "1,29.620000,-,0.100000,TSQL,88.5,103.5,023,FM,S\n"
      "2,29.630000,split,29.530000,Tone,69.3,88.5,023,FM,P\n"
      "3,145.500000,+,0.600000,DTCS,88.5,88.5,999,FM,\n";
  const ChannelImport ts570 = ParseChirpCsv(rows, "TS-570");
  ASSERT_EQ(ts570.channels.size(), 3u);
  EXPECT_EQ(ts570.channels[0].kept, (KeptFields{"TS-570", "1000"}));  // the lockout stays
  EXPECT_EQ(ts570.channels[1].kept.tx, "000295300004");                // the split's FM side
  for (const char* part :
       {"line 2: the TS-570 keeps a tone, no tone squelch", "line 2: the TS-570 keeps no repeater",
        "line 3: tone 69.3 Hz is not one of the TS-570's",
        "line 3: skip P is not kept", "line 4: DtcsCode \"999\"; channel 03 gets no tone"})
    EXPECT_TRUE(Mentions(ts570.report, part)) << part << "\n" << Joined(ts570.report);
  const ChannelImport icom = ParseChirpCsv(rows, "IC-CI-V");
  EXPECT_TRUE(icom.channels[0].kept.Empty());
  EXPECT_TRUE(Mentions(icom.report, "line 2: tone, shift and skip are not kept for the IC-CI-V"));
  EXPECT_TRUE(Mentions(icom.report, "line 3: duplex split is not kept"));
}

TEST(ChirpCsv, BadInputGivesAMessageNeverACrash) {
  std::mt19937 random(7);
  std::string garbage(64 * 1024, '\0');
  for (char& b : garbage)
    b = static_cast<char>(random());
  // 5 MB of rows that are all refused: the report stays readable.
  std::string big = "Location,Name,Frequency,Mode\n";
  while (big.size() < 5u << 20)
    big += "123,\"x,y\",abc,USB\n";
  struct Case {
    std::string label, bytes;
    bool ok;
  };
  const std::vector<Case> cases = {
      {"empty", "", false},
      {"binary garbage", garbage, false},
      {"no header", "1,Name,14.000000,USB\n", false},
      {"header only", "Location,Frequency\n", true},
      {"unbalanced quotes", "Location,Frequency\n\"1,14.0\n2,7.0\n", true},
      {"5 MB", big, true},
  };
  for (const Case& c : cases) {
    const ChannelImport in = ParseChirpCsv(c.bytes, "TS-570");
    EXPECT_EQ(in.ok, c.ok) << c.label << ": " << in.message;
    if (!in.ok) {
      EXPECT_FALSE(in.message.empty()) << c.label;
    }
    EXPECT_LE(in.report.size(), 501u) << c.label;
  }
  const ChannelImport big_in = ParseChirpCsv(big, "TS-570");
  EXPECT_TRUE(big_in.channels.empty());
  EXPECT_TRUE(Mentions(big_in.report, "more"));
  // A garbage tail after a good header still yields the good rows.
  const ChannelImport mixed =
      ParseChirpCsv("Location,Frequency,Mode\n1,14.0,USB\n" + garbage, "TS-570");
  ASSERT_TRUE(mixed.ok);
  ASSERT_FALSE(mixed.channels.empty());
  EXPECT_EQ(mixed.channels[0], (ImportedChannel{1, "14.000.000", "USB", ""}));
}

TEST(ChirpCsvFile, ExportAndImportThroughFiles) {
  testing::TempFolder dir;
  ChannelTable table;
  table[5] = {"14.074.000", "USB", "FT8"};
  const ChannelExport out = ExportChirpCsv(dir / "list.csv", table, "TS-570");
  ASSERT_TRUE(out.ok) << out.message;
  EXPECT_EQ(out.message, "Saved to file " + (dir / "list.csv"));
  EXPECT_EQ(dir.Read("list.csv"), out.bytes);

  const ChannelImport in = ImportChirpCsv(dir / "list.csv", "TS-570");
  ASSERT_TRUE(in.ok) << in.message;
  EXPECT_EQ(in.message, "1 channel from " + (dir / "list.csv"));
  EXPECT_EQ(in.channels, (std::vector<ImportedChannel>{{5, "14.074.000", "USB", "FT8"}}));

  dir.Write("other.csv", "name,freq\n");
  const ChannelImport wrong = ImportChirpCsv(dir / "other.csv", "TS-570");
  EXPECT_FALSE(wrong.ok);
  EXPECT_NE(wrong.message.find("other.csv: no CHIRP CSV header"), std::string::npos)
      << wrong.message;

  // A failed export says so and leaves what was there alone.
  dir.Write("folder.csv/previous", "previous");
  const ChannelExport failed = ExportChirpCsv(dir / "folder.csv", table, "TS-570");
  EXPECT_FALSE(failed.ok);
  EXPECT_NE(failed.message.find("Could not save to file"), std::string::npos);
  EXPECT_EQ(dir.Read("folder.csv/previous"), "previous");
}

}  // namespace
}  // namespace varnek
