#include "files/channel_exchange.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "base/headless_host.h"
#include "app/main_form.h"
#include "support/temp_folder.h"

namespace varnek {
namespace {

TEST(ChannelExchangeFreq, TableTextsToHertz) {
  struct Case {
    std::string text;
    long long hertz;  // -1: not a frequency
  };
  const std::vector<Case> cases = {
      {"14.250.000", 14250000},
      {"  7.050.000", 7050000},  // as the ASCII parser pads it
      {"     7.050.000", 7050000},
      {"14250", 14250000},
      {"14250.5", 14250500},
      {"14267,00", 14267000},  // the comma notation of the channel file
      {"14267.00", 14267000},
      {"144.800", 144800000},
      {"3.699.000", 3699000},
      {"10368.100.000", 10368100000},
      {"7.05", 7050000},  // MHz with a fraction
      {"0.999.000", 999000},
      {"14.250.000.5", -1},
      {"abc", -1},
      {"", -1},
      {"   ", -1},
      {"-14250", -1},
      {"0", -1},
      {"14 250", -1},
  };
  for (const Case& c : cases) {
    long long hz = -1;
    const bool ok = TableFreqHertz(c.text, hz);
    EXPECT_EQ(ok ? hz : -1, c.hertz) << "\"" << c.text << "\"";
  }
}

TEST(ChannelExchangeFreq, DecimalsToHertz) {
  struct Case {
    std::string text;
    int decimals;
    long long hertz;  // -1: refused
    std::string why;
  };
  const std::vector<Case> cases = {
      {"14.250000", 6, 14250000, ""},
      {"7.074", 6, 7074000, ""},
      {" 146.520000 ", 6, 146520000, ""},
      {"146.520000000", 6, 146520000, ""},
      {"146", 6, 146000000, ""},
      {"146.", 6, 146000000, ""},
      {"146.5200001", 6, -1, "finer"},
      {"1e6", 6, -1, "not a number"},
      {".5", 6, -1, "not a number"},
      {"", 6, -1, "not a number"},
      {"-7.0", 6, -1, "not a number"},
      {"7.0.0", 6, -1, "not a number"},
      {"100000", 6, -1, "range"},  // 100 GHz
      {"99999999999999999999", 6, -1, "range"},
      {"14074000", 0, 14074000, ""},
      {"14074000.000000", 0, 14074000, ""},
      {"14074000.5", 0, -1, "finer"},
      {"0", 0, 0, ""},
  };
  for (const Case& c : cases) {
    long long hz = -1;
    std::string why;
    const bool ok = DecimalHertz(c.text, c.decimals, hz, why);
    EXPECT_EQ(ok ? hz : -1, c.hertz) << "\"" << c.text << "\"";
    if (!c.why.empty()) {
      EXPECT_NE(why.find(c.why), std::string::npos) << c.text << ": " << why;
    }
  }
  EXPECT_EQ(HertzText(14250000, 6), "14.250000");
  EXPECT_EQ(HertzText(500, 6), "0.000500");
  EXPECT_EQ(HertzText(7040000, 0), "7040000");
}

TEST(ChannelExchangeName, ToTableText) {
  struct Case {
    std::string in;
    size_t max;
    std::string out;
    std::vector<std::string> notes;  // substrings, in order
  };
  const std::vector<Case> cases = {
      {"Z\xC3\xBCrich", 0, "Z\xFCrich", {}},  // UTF-8 ü to cp1252
      {"\xE2\x82\xAC"
       "5",
       0,
       "\x80"
       "5",
       {}},  // € has a cp1252 byte
      {"\xE6\x97\xA5\xE6\x9C\xAC", 0, "??", {"cp1252 cannot hold"}},
      {"Z\xFCrich", 0, "Z\xFCrich", {}},  // not UTF-8: already cp1252
      {"a\tb\nc\r", 0, "a b c ", {"control"}},
      {"LONGNAME12", 8, "LONGNAME", {"cut"}},
      {"LONGNAME12", 0, "LONGNAME12", {}},
      {" lead", 8, " lead", {}},
      {"", 8, "", {}},
  };
  for (const Case& c : cases) {
    std::vector<std::string> notes;
    EXPECT_EQ(ImportedName(c.in, c.max, notes), c.out) << c.in;
    ASSERT_EQ(notes.size(), c.notes.size()) << c.in;
    for (size_t i = 0; i < notes.size(); ++i)
      EXPECT_NE(notes[i].find(c.notes[i]), std::string::npos) << notes[i];
  }
}

TEST(ChannelExchangeName, ReportTextIsShortAndStaysReadable) {
  std::string e = "x";
  for (int i = 0; i < 100; ++i)
    e += "\xC3\xA9";  // é: the cut must not split a UTF-8 sequence
  EXPECT_EQ(ReportText(e), "x" + std::string(36, '\xE9') + "...");
  EXPECT_EQ(ReportText("a\nb"), "a b");
}

TEST(ChannelExchangeCsv, RecordsAsLibcsvSplitsThem) {
  struct Case {
    std::string label, bytes;
    char delimiter;
    std::vector<std::vector<std::string>> fields;
    std::vector<int> lines;
  };
  const std::vector<Case> cases = {
      {"plain", "a,b\r\nc,d\n", ',', {{"a", "b"}, {"c", "d"}}, {1, 2}},
      {"quoted comma", "\"a,b\",c\n", ',', {{"a,b", "c"}}, {1}},
      {"doubled quote", "\"say \"\"hi\"\"\",x\n", ',', {{"say \"hi\"", "x"}}, {1}},
      {"line end inside quotes",
       "h\n\"two\nlines\",x\nnext\n",
       ',',
       {{"h"}, {"two\nlines", "x"}, {"next"}},
       {1, 2, 4}},
      {"blank lines skipped", "a\n\n\nb\n", ',', {{"a"}, {"b"}}, {1, 4}},
      {"blanks kept", " a , b \n", ',', {{" a ", " b "}}, {1}},
      {"no last line end", "a,b", ',', {{"a", "b"}}, {1}},
      {"trailing separator", "num;freq;\n", ';', {{"num", "freq", ""}}, {1}},
      {"semicolon keeps commas", "a,b;c\n", ';', {{"a,b", "c"}}, {1}},
      {"quote left open", "a,\"open\n", ',', {{"a", "open\n"}}, {1}},
      {"empty", "", ',', {}, {}},
  };
  for (const Case& c : cases) {
    std::string error;
    const std::vector<CsvRecord> records = ReadCsvRecords(c.bytes, c.delimiter, &error);
    EXPECT_EQ(error, "") << c.label;
    ASSERT_EQ(records.size(), c.fields.size()) << c.label;
    for (size_t i = 0; i < records.size(); ++i) {
      EXPECT_EQ(records[i].fields, c.fields[i]) << c.label << " record " << i;
      EXPECT_EQ(records[i].line, c.lines[i]) << c.label << " record " << i;
    }
  }
}

TEST(ChannelExchangeCsv, FieldsQuotedOnlyWhenNeeded) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"plain", "plain"},
      {"a,b", "\"a,b\""},
      {"say \"hi\"", "\"say \"\"hi\"\"\""},
      {"two\nlines", "\"two\nlines\""},
      {" lead", "\" lead\""},
      {"", ""},
      {"a;b", "a;b"},
  };
  for (const auto& [in, out] : cases) {
    EXPECT_EQ(CsvField(in, ','), out) << in;
    // Whatever is written reads back as it was.
    const std::vector<CsvRecord> back = ReadCsvRecords(CsvField(in, ',') + ",x\n", ',', nullptr);
    ASSERT_EQ(back.size(), 1u);
    EXPECT_EQ(back[0].fields[0], in);
  }
}

TEST(ChannelExchangeReport, BoundedWithACount) {
  std::vector<std::string> lines;
  ImportReport report(lines, 3);
  for (int i = 0; i < 10; ++i)
    report.Add("line " + std::to_string(i));
  report.Finish();
  EXPECT_EQ(lines, (std::vector<std::string>{"line 0", "line 1", "line 2", "... and 7 more"}));
}

TEST(ChannelExchangeApply, TableAndFormTakeTheSameRows) {
  ChannelImport import;
  import.ok = true;
  import.channels = {{7, "  7.050.000", "CW", "Net"},
                     {99, "14.250.000", "FSK", ""},
                     { 7,
                       "  7.040.000",
                       "LSB",
                       "Late" }};  // a later row wins
  ChannelTable table;
  table[3] = {"3.699.000", "LSB", "kept"};
  ApplyImport(import, table);
  EXPECT_EQ(table[7], (ChannelRow{"  7.040.000", "LSB", "Late"}));
  EXPECT_EQ(table[99], (ChannelRow{"14.250.000", "FSK", ""}));
  EXPECT_EQ(table[3], (ChannelRow{"3.699.000", "LSB", "kept"}));

  HeadlessHost host{HeadlessHost::Time::Simulated};
  TMainForm form{host};
  form.SetChannel("03", "3.699.000", "LSB", "kept");
  ApplyImport(import, form);
  EXPECT_EQ(TableOf(form), table);  // the mode written after the frequency stands
}

TEST(ChannelExchangeFiles, UnreadableInputIsRefusedBeforeReading) {
  testing::TempFolder dir;
  std::string bytes;
  ChannelImport failure;
  EXPECT_FALSE(ReadImportFile(dir / "missing.csv", bytes, failure));
  EXPECT_NE(failure.message.find("missing.csv: No such file"), std::string::npos);
  // A device would be read forever.
  EXPECT_FALSE(ReadImportFile("/dev/zero", bytes, failure));
  EXPECT_NE(failure.message.find("not a regular file"), std::string::npos);
  EXPECT_FALSE(ReadImportFile(dir.Path(), bytes, failure));
  EXPECT_FALSE(failure.message.empty());
  // Too big to be a channel list (sparse, so the test writes nothing).
  dir.Write("huge.csv", "Location,Frequency\n");
  std::filesystem::resize_file(dir / "huge.csv", kImportFileLimit + 1);
  EXPECT_FALSE(ReadImportFile(dir / "huge.csv", bytes, failure));
  EXPECT_NE(failure.message.find("larger than"), std::string::npos);
  EXPECT_TRUE(bytes.empty());
}

}  // namespace
}  // namespace varnek
