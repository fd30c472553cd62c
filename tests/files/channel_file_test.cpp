#include "files/channel_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <random>

#include "base/headless_host.h"
#include "app/main_form.h"
#include "support/temp_folder.h"

namespace varnek {
namespace {

using testing::TempFolder;
constexpr auto kPoint = FreqNotation::Point;
constexpr auto kTwo = FreqNotation::TwoPoints;
constexpr auto kComma = FreqNotation::Comma;

TEST(ChannelFileFreq, ThreeNotations) {
  struct Case {
    std::string in, point, comma;
  };
  const std::vector<Case> cases = {
      {"14.267.000", "14267.00", "14267,00"},
      {"1.830.000", "1830.00", "1830,00"},
      {"14.267.005", "14267.00", "14267,00"},  // cut, not rounded
      {"7.050", "7.05", "7,05"},
      {"0.999.000", "0999.00", "0999,00"},  // 999.00 would read as 999 MHz
      {"14.2505", "14.2505", "14,2505"},
      {"14267.00", "14267.00", "14267,00"},
      {"14267", "14267", "14267"},
      {"14267,00", "14267.00", "14267,00"},
      {"7,050", "7.05", "7,05"},
      {"1.2.3.4", "12.3", "12,3"},  // a fourth piece is dropped
      {"144.800.000.5", "144800.00", "144800,00"},
      {"3699.0", "3699.0", "3699,0"},
      {".123", ".12", ",12"},
      {"", "", ""},
      {"abc", "abc", "abc"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(FreqForFile(c.in, kPoint), c.point) << c.in;
    EXPECT_EQ(FreqForFile(c.in, kComma), c.comma) << c.in;
    EXPECT_EQ(FreqForFile(c.in, kTwo), c.in) << c.in;
  }
}

TEST(ChannelFileSave, LinesForRowsWithAFrequency) {
  ChannelTable t;
  t[0] = {"14.267.000", "USB", "Net"};
  t[1] = {"   ", "CW", "blank frequency"};
  t[7] = {" 7.050.000 ", "", ""};
  t[14] = {"14.267.000", "  USB ", "  Net "};
  // Kept fields as a typed row writes them stay out; any other stays in,
  // shown in the hint or not (tone 08 stored with the tone off).
  t[20] = {"14.250.000", "USB", "", {"TS-570", "0000"}};
  t[21] = {"14.250.000", "USB", "", {"TS-570", "0008"}};
  t[22] = {"145.500.000", "FM", "", {"TS-2000", "00000000000000000000000"}};
  t[23] = {"145.500.000", "FM", "", {"TS-2000", "00000800000000000000000"}};
  t[99] = {"145.500.000", "FM", "\xE4\xF6 calling"};
  EXPECT_EQ(ChannelFileText(t, kTwo),
            "00\t14.267.000\tUSB\tNet\r\n"
            "07\t7.050.000\t\t\r\n"
            "14\t14.267.000\tUSB\t  Net \r\n"
            "20\t14.250.000\tUSB\t\r\n"
            "21\t14.250.000\tUSB\t\tTS-570:0008\r\n"
            "22\t145.500.000\tFM\t\r\n"
            "23\t145.500.000\tFM\t\tTS-2000:00000800000000000000000\r\n"
            "99\t145.500.000\tFM\t\xE4\xF6 calling\r\n");
  EXPECT_EQ(ChannelFileText(t, kComma).substr(0, 22), "00\t14267,00\tUSB\tNet\r\n0");
  EXPECT_EQ(ChannelFileText(ChannelTable{}, kPoint), "");
}

TEST(ChannelFileLoad, SplitAndPad) {
  struct Case {
    std::string line;
    FreqNotation n;
    ChannelLine want;
  };
  const std::vector<Case> cases = {
      {"05\t7.050.000\tCW\tTest", kTwo, {"05", "    7.050.000", "CW", "Test"}},
      {"05\t14.267.000\tUSB\tNet", kTwo, {"05", "  14.267.000", "USB", "Net"}},
      {"05\t.999.000\tAM\t", kTwo, {"05", "    0.999.000", "AM", ""}},  // an older form
      {"05\t1.830.00\tCW\t", kTwo, {"05", "     1.830.00", "CW", ""}},
      {"05\t145.500.000\tFM\tR", kTwo, {"05", "145.500.000", "FM", "R"}},
      {"05\t7050.00\tCW\tx", kPoint, {"05", "    7050.00", "CW", "x"}},
      {"05\t14267,00\tUSB\tx", kComma, {"05", "  14267,00", "USB", "x"}},
      {"05\t14267.00\tUSB\tx", kTwo, {"05", "     14267.00", "USB", "x"}},
      {"05\t 7.050.000 \t CW \t Test ", kTwo, {"05", "    7.050.000", " CW ", " Test "}},
      {"05\t7.050.000\tCW\tTest\textra", kTwo, {"05", "    7.050.000", "CW", "Test"}},
      {"05\t7.050.000", kTwo, {"05", "    7.050.000", "", ""}},
      {"05", kTwo, {"05", "", "", ""}},
      {"", kTwo, {"", "", "", ""}},
      {"5\t7.050.000\tCW\tTest", kTwo, {"5", "    7.050.000", "CW", "Test"}},
  };
  for (const auto& c : cases) {
    const ChannelLine got = ParseChannelLine(c.line, c.n);
    EXPECT_EQ(got.number, c.want.number) << c.line;
    EXPECT_EQ(got.freq, c.want.freq) << c.line;
    EXPECT_EQ(got.mode, c.want.mode) << c.line;
    EXPECT_EQ(got.name, c.want.name) << c.line;
  }
}

TEST(ChannelFileLoad, OnlyChannelNumbersReachTheTable) {
  ChannelTable t;
  t[3] = {"3.700.000", "LSB", "kept"};
  t[5] = {"old", "old", "old"};
  const std::string file =
      "Channel\tFreq\tMode\tName\r\n"
      "\r\n"
      "5\t7.100.000\tCW\tone digit\r\n"
      " 05\t7.100.000\tCW\tblank\r\n"
      "100\t7.100.000\tCW\tthree digits\r\n"
      "0x\t7.100.000\tCW\tletter\n"
      "05\t7.050.000\tCW\tfirst\n"  // LF only
      "42\t\tAM\tno frequency\r\n"
      "05\t7.060.000\tCW\tlast\r\n"
      "07\t7.070.000\tCW\tCR only\r"
      "08\t7.080.000\tCW\tCR only too\r"
      "99\t145.500.000\tFM\tno final line end";
  ApplyChannelFile(file, kTwo, t);
  EXPECT_EQ(t[3], (ChannelRow{"3.700.000", "LSB", "kept"}));
  EXPECT_EQ(t[5], (ChannelRow{"    7.060.000", "CW", "last"}));
  EXPECT_EQ(t[42], (ChannelRow{"", "AM", "no frequency"}));
  EXPECT_EQ(t[99], (ChannelRow{"145.500.000", "FM", "no final line end"}));
  EXPECT_EQ(t[7], (ChannelRow{"    7.070.000", "CW", "CR only"}));
  EXPECT_EQ(t[8], (ChannelRow{"    7.080.000", "CW", "CR only too"}));
  EXPECT_EQ(t[10], ChannelRow{});
  // Loading twice gives what loading once gave.
  ChannelTable twice = t;
  ApplyChannelFile(file, kTwo, twice);
  EXPECT_EQ(twice, t);
}

// Files as editors, spreadsheets and other programs leave them: what
// becomes a channel line, and which lines are reported as skipped with the
// channel a write must then leave alone.
TEST(ChannelFileLoad, EverydayFilesAreReadOrReported) {
  const std::string bom = "\xEF\xBB\xBF";
  struct Case {
    const char* what;
    std::string bytes;
    std::vector<std::string> channels;         // "number|freq|name" of each channel line
    std::vector<std::pair<int, int>> skipped;  // line, seeming channel
  };
  const std::vector<Case> cases = {
      {"byte-order mark",
       bom + "01\t7.050.000\tCW\tZ\xC3\xBCrich\r\n",
       {"01|    7.050.000|Z\xFCrich"},
       {}},
      {"one digit, blanks",
       "1\t7.050.000\tCW\ta\n 2\t7.060.000\tCW\tb\n 3 \t7.070.000\tCW\tc",
       {"01|    7.050.000|a", "02|    7.060.000|b", "03|    7.070.000|c"},
       {}},
      {"CHIRP CSV",
       "Location,Name,Frequency,Duplex\r\n1,CALL,146.520000,\r\n12,RPT,147.0,+\r\n",
       {},
       {{1, -1}, {2, 1}, {3, 12}}},
      {"blanks for TABs", "05 14.250.000 USB\n05\t7.0\tCW\tok\n\n   \n", {"05|7.0|ok"}, {{1, 5}}},
      {"no fields, big numbers",
       "7\n100\t7.0\tCW\tx\n5th\t7.0\tCW\tx\n",
       {},
       {{1, 7}, {2, -1}, {3, -1}}},
      {"binary junk", std::string("\x00\x01\xFF\tA\x7F\n\x89PNG\r\n", 13), {}, {{1, -1}, {2, -1}}},
      {"empty", "", {}, {}},
      {"a backup's first line",
       "# Varnek backup of the Kenwood TS-570 taken 2026-12-09T18:53:17.123Z\r\n05\t\t\t\r\n",
       {"05||"},
       {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const ChannelFileLines got = ReadChannelLines(c.bytes, kTwo);
    std::vector<std::string> channels;
    for (const ChannelLine& l : got.channels)
      channels.push_back(l.number + "|" + l.freq + "|" + l.name);
    EXPECT_EQ(channels, c.channels);
    std::vector<std::pair<int, int>> skipped;
    for (const SkippedLine& l : got.skipped) {
      skipped.emplace_back(l.line, l.channel);
      EXPECT_NE(l.report.find("line " + std::to_string(l.line) + " skipped: '"), std::string::npos)
          << l.report;
    }
    EXPECT_EQ(skipped, c.skipped);
  }
  // A file with no channel line but something in it is refused whole.
  TempFolder dir;
  dir.Write("chirp.csv", cases[2].bytes);
  int applied = 0;
  const ChannelFileResult r =
      LoadChannelFile(dir / "chirp.csv", kTwo, [&](const ChannelLine&) { ++applied; });
  EXPECT_FALSE(r.ok);
  EXPECT_NE(r.message.find("Not a channel file"), std::string::npos) << r.message;
  EXPECT_EQ(applied, 0);
}

// A file in the saved format, in every notation, loads and saves back to
// the same bytes: the padding added on load is trimmed on save.
TEST(ChannelFileRoundTrip, LoadThenSaveIsByteIdentical) {
  const std::vector<std::pair<FreqNotation, std::string>> files = {
      {kTwo,
       "00\t14.267.000\tUSB\tNet\r\n01\t7.050.000\tCW\t  spaced\r\n"
       "24\t1.830.00\tCW\t\r\n50\t145.500.000\tFM\tR\xE4\r\n99\t28.500.000\t\t\r\n"},
      {kPoint, "01\t14267.00\tUSB\tNet\r\n02\t7050.00\tCW\tx\r\n03\t144800.00\tFM\t\r\n"},
      {kComma, "01\t14267,00\tUSB\tNet\r\n02\t7050,00\tCW\tx\r\n03\t3699\tLSB\ty\r\n"},
  };
  TempFolder dir;
  for (const auto& [n, bytes] : files) {
    SCOPED_TRACE(bytes);
    dir.Write("in.txt", bytes);
    ChannelTable t;
    const ChannelFileResult loaded = LoadChannelFile(dir / "in.txt", n, [&](const ChannelLine& c) {
      t[static_cast<size_t>(TMainForm::ChannelIndex(c.number))] = {c.freq, c.mode, c.name, c.kept};
    });
    ASSERT_TRUE(loaded.ok) << loaded.message;
    const ChannelFileResult saved = SaveChannelFile(dir / "out.txt", t, n);
    ASSERT_TRUE(saved.ok) << saved.message;
    EXPECT_EQ(dir.Read("out.txt"), bytes);
    EXPECT_EQ(dir.Read("in.txt"), bytes);
  }
}

TEST(ChannelFileSave, ReportsSuccessAndEmptyTables) {
  TempFolder dir;
  ChannelTable t;
  const ChannelFileResult empty = SaveChannelFile(dir / "empty.txt", t, kTwo);
  EXPECT_TRUE(empty.ok);
  EXPECT_EQ(empty.message, "Saved to file " + (dir / "empty.txt"));
  EXPECT_EQ(empty.lines, 0);
  EXPECT_TRUE(FileExists(dir / "empty.txt"));
  EXPECT_EQ(dir.Read("empty.txt"), "");

  t[1] = {"7.050.000", "CW", ""};
  t[2] = {"7.060.000", "CW", ""};
  const ChannelFileResult two = SaveChannelFile(dir / "empty.txt", t, kTwo);
  EXPECT_TRUE(two.ok);
  EXPECT_EQ(two.lines, 2);
  EXPECT_EQ(dir.Names(), std::vector<std::string>{"empty.txt"});
}

TEST(ChannelFileSave, AFailedSaveKeepsTheOldFile) {
  TempFolder dir;
  ChannelTable t;
  t[1] = {"7.050.000", "CW", "new"};
  const std::string old = "01\t3.700.000\tLSB\told\r\n";
  struct Case {
    const char* what;
    std::string path;
    bool needsNonRoot;
  };
  dir.Write("ro/channels.txt", old);
  ASSERT_EQ(::chmod((dir / "ro").c_str(), 0555), 0);
  const std::vector<Case> cases = {
      {"a folder that does not exist", dir / "missing/channels.txt", false},
      {"a read-only folder", dir / "ro/channels.txt", true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    if (c.needsNonRoot && ::geteuid() == 0) continue;  // root writes anywhere
    const ChannelFileResult r = SaveChannelFile(c.path, t, kTwo);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.message.find("Saved to file"), std::string::npos) << r.message;
    EXPECT_NE(r.message.find(c.path), std::string::npos) << r.message;
  }
  ::chmod((dir / "ro").c_str(), 0755);
  EXPECT_EQ(dir.Read("ro/channels.txt"), old);
  EXPECT_EQ(dir.Names(), (std::vector<std::string>{"ro"}));
}

TEST(ChannelFileLoad, SurvivesAnyFileAndNeverChangesIt) {
  TempFolder dir;
  std::mt19937 rng(4711);
  std::string garbage(3 << 20, '\0');
  for (char& c : garbage)
    c = static_cast<char>(rng() & 0xFF);
  // Real lines among the garbage still load.
  garbage += "\n07\t7.050.000\tCW\tfound\n";
  const std::string longLine = "08\t14.000.000\tCW\t" + std::string(2 << 20, 'x');
  const std::vector<std::pair<std::string, std::string>> files = {
      {"garbage.bin", garbage},
      {"long.txt", longLine},  // no line end at all
      {"nul.txt", std::string("09\t7.0\0 00\tCW\tn\0ame\r\n", 21)},
      {"crcr.txt", "\r\r\n\r\n\n\n"},
  };
  for (const auto& [name, bytes] : files) {
    SCOPED_TRACE(name);
    dir.Write(name, bytes);
    ChannelTable t;
    const ChannelFileResult r = LoadChannelFile(dir / name, kTwo, [&](const ChannelLine& c) {
      const int n = TMainForm::ChannelIndex(c.number);
      if (n >= 0) t[static_cast<size_t>(n)] = {c.freq, c.mode, c.name, c.kept};
    });
    EXPECT_TRUE(r.ok);
    EXPECT_EQ(dir.Read(name), bytes);
    if (name == "garbage.bin") {
      EXPECT_EQ(t[7].name, "found");
    } else if (name == "long.txt") {
      EXPECT_EQ(t[8].name.size(), size_t{2} << 20);
    } else if (name == "nul.txt") {
      EXPECT_EQ(t[9].name, std::string("n\0ame", 5));
    }
  }
  const ChannelFileResult missing = LoadChannelFile(dir / "none.txt", kTwo, [](auto&) {});
  EXPECT_FALSE(missing.ok);
  EXPECT_NE(missing.message.find("none.txt"), std::string::npos);
  EXPECT_FALSE(LoadChannelFile(dir.Path(), kTwo, [](auto&) {}).ok);  // a folder
}

TEST(ChannelFileForm, SaveFromAndLoadIntoTheMainWindow) {
  HeadlessHost host(HeadlessHost::Time::Simulated);
  TMainForm saved(host);
  saved.SetChannel("14", "14.267.000", "CW", "Net");  // CW where the band plan says USB
  saved.SetChannel("30", "7.050.000", "", "  spaced");
  TempFolder dir;
  ASSERT_TRUE(SaveChannelFile(dir / "t.txt", saved, kTwo).ok);
  EXPECT_EQ(dir.Read("t.txt"), "14\t14.267.000\tCW\tNet\r\n30\t7.050.000\t\t  spaced\r\n");

  TMainForm loaded(host);
  loaded.SetChannel("50", "3.700.000", "LSB", "untouched");
  const ChannelFileResult r = LoadChannelFile(dir / "t.txt", loaded, kTwo);
  ASSERT_TRUE(r.ok);
  EXPECT_EQ(r.lines, 2);
  // The mode comes after the frequency, so the file's mode wins over the
  // band plan's proposal.
  EXPECT_EQ(loaded.A[14].Text(), "  14.267.000");
  EXPECT_EQ(loaded.M[14].Text(), "CW");
  EXPECT_EQ(loaded.T[14].Text(), "Net");
  EXPECT_EQ(loaded.M[30].Text(), "");
  EXPECT_EQ(loaded.T[30].Text(), "  spaced");
  EXPECT_EQ(loaded.T[50].Text(), "untouched");
  // And it saves back the same lines, with the row the file did not name.
  ASSERT_TRUE(SaveChannelFile(dir / "u.txt", loaded, kTwo).ok);
  EXPECT_EQ(dir.Read("u.txt"), dir.Read("t.txt") + "50\t3.700.000\tLSB\tuntouched\r\n");
}

}  // namespace
}  // namespace varnek
