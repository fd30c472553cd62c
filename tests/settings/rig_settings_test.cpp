#include "settings/rig_settings.h"

#include <gtest/gtest.h>

#include "base/errors.h"
#include "base/profile.h"
#include "support/temp_folder.h"

namespace varnek {
namespace {

using testing::TempFolder;

}  // namespace

void PrintTo(const RigSettings& s, std::ostream* os) {
  *os << "{" << s.port << "," << s.baud << "," << s.dataBits << "," << s.stopBits << "," << s.parity
      << "," << s.flow << " dtr=" << s.dtr << " rts=" << s.rts << " addr='" << s.address << "' ch='"
      << s.channelInterval << "' cmd='" << s.commandInterval << "' loop='" << s.loopWait
      << "' n=" << static_cast<int>(s.notation) << "}";
}

namespace {

RigSettings Kenwood() {
  RigSettings s;
  s.port = 0, s.baud = 6, s.dataBits = 4, s.stopBits = 0, s.parity = 0, s.flow = 0;
  s.dtr = s.rts = true;
  s.channelInterval = "400";
  s.notation = FreqNotation::TwoPoints;
  return s;
}

TEST(RigSettingsString, HiddenEditsStoreEmptyFields) {
  RigSettings s = Kenwood();
  s.commandInterval = "175";
  s.loopWait = "75";
  EXPECT_EQ(RigSettingsString(s, {true, false, false}), "0_6_4_0_0_0_1_1__400___2");

  RigSettings icom = s;
  icom.port = 3, icom.dtr = false, icom.address = "5E", icom.notation = FreqNotation::Comma;
  EXPECT_EQ(RigSettingsString(icom, {true, true, true}), "3_6_4_0_0_0_0_1_5E_400_175_75_3");
  EXPECT_EQ(RigSettingsString(icom, {false, true, false}), "3_6_4_0_0_0_0_1__400_175__3");
}

TEST(RigSettingsString, ReadBackRestoresEveryField) {
  RigSettings saved;
  saved.port = 24, saved.baud = 14, saved.dataBits = 3, saved.stopBits = 2, saved.parity = 4;
  saved.flow = 3, saved.dtr = false, saved.rts = true, saved.address = "94";
  saved.channelInterval = "300", saved.commandInterval = "125", saved.loopWait = "50";
  saved.notation = FreqNotation::Point;
  RigSettings read = Kenwood();
  ApplyRigSettingsString(RigSettingsString(saved, {true, true, true}), read);
  EXPECT_EQ(read, saved);
}

TEST(RigSettingsString, StrictAndLenientFields) {
  struct Case {
    const char* what;
    std::string line;
    bool throws;
    void (*want)(RigSettings&);  // applied to the starting settings
  };
  // Start from settings with both lines off, so that turning them on shows.
  RigSettings start = Kenwood();
  start.dtr = start.rts = false;
  start.address = "old", start.commandInterval = "175", start.loopWait = "75";
  const std::vector<Case> cases = {
      {"empty DTR field turns DTR on", "0_6_4_0_0_0__0_", false,
       [](RigSettings& s) {
         s.dtr = true, s.address = "", s.channelInterval = "", s.commandInterval = "",
         s.loopWait = "";
       }},
      {"only exactly 0 turns a line off", "0_6_4_0_0_0_ 0_00", false,
       [](RigSettings& s) {
         s.dtr = s.rts = true, s.address = "", s.channelInterval = "", s.commandInterval = "",
         s.loopWait = "";
       }},
      {"empty list fields keep the lists", "______0_0_A_1_2_3_1", false,
       [](RigSettings& s) {
         s.address = "A", s.channelInterval = "1", s.commandInterval = "2", s.loopWait = "3";
         s.notation = FreqNotation::Point;
       }},
      {"data bits fall back to 8 bits", "__x____0_0_____3", false,
       [](RigSettings& s) {
         s.dataBits = 4, s.address = "", s.channelInterval = "", s.commandInterval = "",
         s.loopWait = "", s.notation = FreqNotation::Comma;
       }},
      {"a position outside its list selects nothing", "25_15_5_3_-1_4_0_0_____9", false,
       [](RigSettings& s) {
         s.port = s.baud = s.dataBits = s.stopBits = s.parity = s.flow = -1;
         s.address = "", s.channelInterval = "", s.commandInterval = "", s.loopWait = "";
       }},
      {"a bad port stops everything", "COM1_5_4_2_0_0_0_0_1_2_3_4_1", true, [](RigSettings&) {}},
      {"a bad baud keeps the port before it", "7_fast_4_2_0_0_1_1_1_2_3_4_1", true,
       [](RigSettings& s) { s.port = 7; }},
      {"a bad flow field stops the lines and texts", "1_5_3_2_1_x_1_1_94_9_9_9_1", true,
       [](RigSettings& s) {
         s.port = 1, s.baud = 5, s.dataBits = 3, s.stopBits = 2, s.parity = 1;
       }},
      {"blanks and signs are numbers", " 2_+5_4_0_0_0_1_1", false,
       [](RigSettings& s) {
         s.port = 2, s.baud = 5, s.dtr = s.rts = true, s.address = "", s.channelInterval = "",
         s.commandInterval = "", s.loopWait = "";
       }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    RigSettings got = start, want = start;
    c.want(want);
    if (c.throws)
      EXPECT_THROW(ApplyRigSettingsString(c.line, got), EConvertError);
    else
      EXPECT_NO_THROW(ApplyRigSettingsString(c.line, got));
    EXPECT_EQ(got, want);
  }
  try {
    RigSettings s;
    ApplyRigSettingsString("0_x", s);
    ADD_FAILURE();
  } catch (const EConvertError& e) {
    EXPECT_STREQ(e.what(), "'x' is not a valid integer value");
  }
}

TEST(RigSettingsString, TimingFallsBackWhenNotANumber) {
  RigSettings s;
  s.address = "5E", s.channelInterval = "250", s.commandInterval = "", s.loopWait = "fast";
  const RigTiming t = TimingOf(s);
  EXPECT_EQ(t.civAddress, "5E");
  EXPECT_EQ(t.channelInterval, 250);
  EXPECT_EQ(t.commandInterval, 150);
  EXPECT_EQ(t.icomLoopWait, 75);
  s.channelInterval = "x", s.commandInterval = "100", s.loopWait = "-25";
  const RigTiming u = TimingOf(s);
  EXPECT_EQ(u.channelInterval, 150);
  EXPECT_EQ(u.commandInterval, 100);
  EXPECT_EQ(u.icomLoopWait, 0);
}

TEST(RigDefaults, ByFamily) {
  struct Case {
    std::string code;
    std::string baud, stop;  // item texts; empty: unchanged
    std::optional<bool> lines;
    std::optional<int> channel, command, loop;
  };
  const std::vector<Case> cases = {
      {"IC-CI-V", "9600", "1 Bit (*)", true, 300, 150, 75},
      {"TS-570", "9600", "1 Bit (*)", true, 400, {}, {}},
      {"FT-1000", "4800", "2 Bits", false, 200, 150, {}},
      {"FT-2000", "4800", "2 Bits", false, 400, {}, {}},
      {"FT-920", "4800", "2 Bits", false, 200, 150, {}},
      {"FT-817", "4800", "2 Bits", false, 200, 150, {}},
      {"ts-570", "", "", {}, {}, {}, {}},  // prefixes are case-sensitive
      {"", "", "", {}, {}, {}, {}},
      {"XY-1", "", "", {}, {}, {}, {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.code);
    const RigDefaults d = DefaultsFor(c.code);
    EXPECT_EQ(d.baud ? BaudItems()[static_cast<size_t>(*d.baud)] : "", c.baud);
    EXPECT_EQ(d.stopBits ? StopBitItems()[static_cast<size_t>(*d.stopBits)] : "", c.stop);
    EXPECT_EQ(d.lines, c.lines);
    EXPECT_EQ(d.channelInterval, c.channel);
    EXPECT_EQ(d.commandInterval, c.command);
    EXPECT_EQ(d.loopWait, c.loop);
  }
}

TEST(RigDefaults, ResetKeepsWhatTheFamilyDoesNotSet) {
  RigSettings s = Kenwood();
  s.parity = 2, s.flow = 1, s.port = 4, s.commandInterval = "175", s.loopWait = "60";
  s.notation = FreqNotation::Comma;
  ApplyDefaults(DefaultsFor(ModelCodeOf("Yaesu FT-920")), s);
  EXPECT_EQ(s.baud, ItemPosition(BaudItems(), "4800"));
  EXPECT_EQ(s.stopBits, ItemPosition(StopBitItems(), "2 Bits"));
  EXPECT_FALSE(s.dtr);
  EXPECT_FALSE(s.rts);
  EXPECT_EQ(s.channelInterval, "200");
  EXPECT_EQ(s.commandInterval, "150");
  EXPECT_EQ(s.loopWait, "60");
  EXPECT_EQ(s.parity, 2);
  EXPECT_EQ(s.flow, 1);
  EXPECT_EQ(s.port, 4);
  EXPECT_EQ(s.notation, FreqNotation::Comma);
  // What the Icom reset shows is what runs.
  RigSettings ic;
  ApplyDefaults(DefaultsFor("IC-CI-V"), ic);
  EXPECT_EQ(TimingOf(ic).commandInterval, 150);
  EXPECT_EQ(ic.commandInterval, "150");
}

TEST(RigSelection, ModelCodeIsTheSecondWord) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"Kenwood TS-2000", "TS-2000"},
      {"Icom IC-CI-V", "IC-CI-V"},
      {"Select radio", "radio"},
      {"Yaesu", ""},
      {"", ""},
      {"a b c", "b"},
  };
  for (const auto& [text, code] : cases)
    EXPECT_EQ(ModelCodeOf(text), code) << text;
  for (const auto& rig : RigList())
    EXPECT_TRUE(RigKeyProblem(rig).empty()) << rig;
}

TEST(RigSelection, TextsThatCannotKeyTheirOwnLine) {
  const std::vector<std::string> unsafe = {
      "Rig",  "RIG",  "fMain",    "FMAIN",    "",       "a=b",   "[MainForm]",           "x]",
      "a\nb", "a\rb", " Kenwood", "Kenwood ", ";Yaesu", "#Icom", std::string("a\0b", 3),
  };
  for (const auto& t : unsafe)
    EXPECT_FALSE(RigKeyProblem(t).empty()) << t;
  for (const std::string t : {"Rigs", "My Rig", "fMain2", "Yaesu FT-817 #2", "K\xE4nwood"})
    EXPECT_TRUE(RigKeyProblem(t).empty()) << t;
}

TEST(WindowPositionString, RoundTripAndBadFields) {
  EXPECT_EQ(WindowPositionString({104, 196}), "0,104,196");
  const WindowPosition p = ParseWindowPosition(WindowPositionString({-20, 1500}));
  EXPECT_EQ(p.top, -20);
  EXPECT_EQ(p.left, 1500);
  for (const std::string bad : {"0,abc,5", "0,5", "", "0;5;6", "0,5,6px"})
    EXPECT_THROW(ParseWindowPosition(bad), EConvertError) << bad;
}

TEST(RigSettingsFile, FirstStartThenCloseThenNextStart) {
  TempFolder dir;
  Profile ini(dir / "settings.ini");
  // First start: nothing saved, no rig chosen.
  EXPECT_EQ(ini.ReadString(kMainSection, kRigKey), "");
  EXPECT_EQ(ini.ReadString(kMainSection, kPositionKey), "");

  // Close: the position and the never-changed selection.
  ASSERT_TRUE(ini.WriteString(kMainSection, kPositionKey, WindowPositionString({104, 196})).ok);
  const std::string line = RigSettingsString(Kenwood(), {true, true, false});
  const RigSaveResult r = SaveRigSelection(ini, kNoRigText, line);
  ASSERT_TRUE(r.file.ok) << r.file.message;
  EXPECT_EQ(r.notice, "");
  EXPECT_EQ(dir.Read("settings.ini"),
            "[MainForm]\nfMain=0,104,196\nRig=Select radio\nSelect radio=" + line + "\n");

  // Next start.
  const Profile next(dir / "settings.ini");
  const std::string rig = next.ReadString(kMainSection, kRigKey);
  EXPECT_EQ(rig, kNoRigText);
  RigSettings s;
  ApplyRigSettingsString(ReadRigSettingsLine(next, rig), s);
  EXPECT_EQ(s.baud, 6);
  const WindowPosition p = ParseWindowPosition(next.ReadString(kMainSection, kPositionKey));
  EXPECT_EQ(p.top, 104);
  EXPECT_EQ(p.left, 196);
}

TEST(RigSettingsFile, EachRigKeepsItsOwnLine) {
  TempFolder dir;
  Profile ini(dir / "settings.ini");
  RigSettings kenwood = Kenwood();
  RigSettings icom;
  icom.port = 2, icom.baud = 8, icom.dataBits = 4, icom.stopBits = 0, icom.parity = 0;
  icom.flow = 2, icom.dtr = true, icom.rts = false, icom.address = "5E";
  icom.channelInterval = "300", icom.commandInterval = "150", icom.loopWait = "50";
  icom.notation = FreqNotation::Point;
  const RigSettingsShown all{true, true, true};
  ASSERT_TRUE(SaveRigSelection(ini, "Kenwood TS-570", RigSettingsString(kenwood, all)).file.ok);
  ASSERT_TRUE(SaveRigSelection(ini, "Icom IC-CI-V", RigSettingsString(icom, all)).file.ok);
  EXPECT_EQ(ini.ReadString(kMainSection, kRigKey), "Icom IC-CI-V");

  // Switching back to the Kenwood restores it, whatever the Icom left.
  RigSettings shown = icom;
  ApplyRigSettingsString(ReadRigSettingsLine(ini, "Kenwood TS-570"), shown);
  EXPECT_EQ(shown, kenwood);
  ApplyRigSettingsString(ReadRigSettingsLine(ini, "icom ic-ci-v"), shown);
  EXPECT_EQ(shown, icom);
  // A rig never saved has no line: the caller resets it to its family.
  EXPECT_EQ(ReadRigSettingsLine(ini, "Yaesu FT-920"), "");
}

TEST(RigOptions, TextRoundTripsAndToleratesWhatItDoesNotKnow) {
  const struct {
    RigOptions o;
    const char* text;
  } cases[] = {
      {{false, false}, ""},
      {{true, false}, "wait-for-answers"},
      {{false, true}, "verify-after-write"},
      {{true, true}, "wait-for-answers,verify-after-write"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(RigOptionsString(c.o), c.text);
    EXPECT_EQ(ParseRigOptions(c.text), c.o) << c.text;
  }
  // Hand-edited or written by a later version.
  EXPECT_EQ(ParseRigOptions(" Wait-For-Answers , some-later-option"), (RigOptions{true, false}));
  EXPECT_EQ(ParseRigOptions("wait-for-answers-not"), (RigOptions{}));
}

TEST(RigOptions, KeptBesideTheSettingsLineWhichStaysAsOtherCopiesReadIt) {
  TempFolder dir;
  Profile ini(dir / "settings.ini");
  const std::string line = RigSettingsString(Kenwood(), {true, true, false});
  const RigOptions on{true, true};
  ASSERT_TRUE(SaveRigSelection(ini, "Kenwood TS-570", line, &on).file.ok);
  EXPECT_EQ(ReadRigSettingsLine(ini, "Kenwood TS-570"), line);
  EXPECT_EQ(ReadRigOptions(ini, "Kenwood TS-570"), on);
  EXPECT_EQ(ReadRigOptions(ini, "Yaesu FT-920"), RigOptions{});
  EXPECT_NE(dir.Read("settings.ini").find("[RigOptions]\nKenwood TS-570=wait-for-answers,"),
            std::string::npos)
      << dir.Read("settings.ini");
  // Saved without options (the original's way), what was kept stays.
  ASSERT_TRUE(SaveRigSelection(ini, "Kenwood TS-570", line).file.ok);
  EXPECT_EQ(ReadRigOptions(ini, "Kenwood TS-570"), on);
  // An unsafe selection keys no options either.
  const RigOptions off{};
  ASSERT_TRUE(SaveRigSelection(ini, "a=b", line, &off).file.ok);
  EXPECT_EQ(ReadRigOptions(ini, "a=b"), RigOptions{});
}

TEST(RigSettingsFile, AnUnsafeSelectionWritesNoLine) {
  TempFolder dir;
  Profile ini(dir / "settings.ini");
  ASSERT_TRUE(ini.WriteString(kMainSection, kPositionKey, "0,104,196").ok);
  const std::string line = RigSettingsString(Kenwood(), {});
  struct Case {
    std::string selection, rigAfter;
  };
  const std::vector<Case> cases = {
      {"fMain", "fMain"},
      {"rig", "rig"},
      {"a=b", "a=b"},
      {"x\nfMain=1", "a=b"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.selection);
    const RigSaveResult r = SaveRigSelection(ini, c.selection, line);
    EXPECT_TRUE(r.file.ok) << r.file.message;
    EXPECT_NE(r.notice, "");
    EXPECT_EQ(ini.ReadString(kMainSection, kPositionKey), "0,104,196");
    EXPECT_EQ(ini.ReadString(kMainSection, kRigKey), c.rigAfter);
    // At the next start the text finds no line, not another key's value.
    EXPECT_EQ(ReadRigSettingsLine(ini, c.selection), "");
  }
  EXPECT_EQ(dir.Read("settings.ini"), "[MainForm]\nfMain=0,104,196\nRig=a=b\n");
}

TEST(AdviceTexts, LinesJoinedByCarriageReturnsInCp1252) {
  struct Case {
    std::string text;
    size_t lines;
    std::string second, last;
  };
  const std::vector<Case> cases = {
      {AdviceText(), 14, "- \xB4Save to File\xB4 and \xB4Load from File\xB4 handle all channels.",
       "- cables get the current through them."},
      {NeuvojaText(), 13,
       "- Klikkaa kanavanumeroa n\xE4hd\xE4ksesi sen sis\xE4ll\xF6n ja avataksesi sen.",
       "- CAT -kaapelit saavat virtansa niiden kautta."},
  };
  for (const auto& c : cases) {
    std::vector<std::string> lines(1);
    for (char ch : c.text) {
      if (ch == '\r')
        lines.emplace_back();
      else
        lines.back() += ch;
    }
    ASSERT_EQ(lines.size(), c.lines);
    EXPECT_EQ(lines[1], c.second);
    EXPECT_EQ(lines.back(), c.last);
    for (const auto& l : lines) {
      EXPECT_EQ(l.substr(0, 2), "- ") << l;
      for (unsigned char ch : l) {
        EXPECT_NE(ch, '\n');
        // The only bytes above ASCII are the quote mark and the Finnish vowels.
        if (ch >= 0x80) {
          EXPECT_TRUE(ch == 0xB4 || ch == 0xE4 || ch == 0xF6) << l;
        }
      }
    }
  }
  EXPECT_NE(
      AdviceText().find("- \xB4"
                        "Command interval\xB4 time between the commands. Lowest value 75 ms."),
      std::string::npos);
  EXPECT_NE(NeuvojaText().find("tyhji\xE4 rivej\xE4 v\xE4liin, suurenna intervallia.\r"),
            std::string::npos);
}

}  // namespace
}  // namespace varnek
