// The terminal window over a pseudo-terminal: what reaches the other end.
#include "terminal/rig_form.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "../serial/pty_fixture.h"
#include "base/errors.h"
#include "app/main_form.h"
#include "rig/family.h"

namespace varnek {
namespace {

class RigFormTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(pty.Ok());
    port.SetCommPort(pty.SlavePath());
    port.SetActive(true);
    ASSERT_TRUE(port.Active());
    main.shared.CommandInterval = 150;
  }
  std::string Sent(size_t count) { return pty.Receive(count, 3000); }

  HeadlessHost host{HeadlessHost::Time::Simulated};
  testing::PtyPair pty;
  TMainForm main{host};
  TSerialPort port{host};
  TRigForm form{host, main, port};
};

TEST_F(RigFormTest, SendsEachFamilysForm) {
  struct Case {
    std::string code, line;
    bool addLf;
    std::string want;
  };
  const std::vector<Case> cases = {
      {"TS-570", "FA;", true, "FA;\r\n"},
      {"TS-570", "FA;", false, "FA;"},
      {"FT-2000", "ID; ", false, "ID; "},
      {"FT-920", "00 00 00 12 0E", false, std::string("\x00\x00\x00\x12\x0E", 5)},
      {"FT-920", " 00 00 00 12 0E ", false, std::string("\x00\x00\x00\x12\x0E", 5)},
      {"IC-CI-V", "FE FE 5C E0 03 FD", true, std::string("\xFE\xFE\x5C\xE0\x03\xFD\r\n", 8)},
      {"", "41", false, "A"},  // no family: hex, like every non-ASCII code
  };
  for (const auto& c : cases) {
    main.shared.ModelCode = c.code;
    form.cbAddLF.SetChecked(c.addLf);
    form.Edit[0].SetText(c.line);
    form.SendBtnClick();
    EXPECT_EQ(Sent(c.want.size()), c.want) << c.code << " '" << c.line << "'";
  }
}

TEST_F(RigFormTest, LinesOneByOneWithTheCommandIntervalBetween) {
  main.shared.ModelCode = "TS-2000";
  form.Edit[0].SetText("FA;");
  form.Edit[2].SetText("MD;");
  host.ClearEvents();
  form.SendBtnClick();
  EXPECT_EQ(Sent(6), "FA;MD;");
  EXPECT_EQ(host.Sleeps(), (std::vector<int>{150, 150}));  // empty lines get no pause
}

TEST_F(RigFormTest, AsWormJoinsTheLinesOnce) {
  main.shared.ModelCode = "IC-CI-V";
  form.cbWorm.SetChecked(true);
  form.Edit[0].SetText("FE FE");
  form.Edit[2].SetText("00");
  host.ClearEvents();
  form.SendBtnClick();
  EXPECT_EQ(Sent(3), std::string("\xFE\xFE\x00", 3));
  EXPECT_TRUE(host.Sleeps().empty());
}

TEST_F(RigFormTest, BadHexInAnyLineSendsNothing) {
  main.shared.ModelCode = "FT-1000";
  form.Edit[0].SetText("01 02");
  form.Edit[2].SetText("03");
  for (const char* bad : {"0G", "FE  FE", "123"}) {
    form.Edit[1].SetText(bad);
    EXPECT_THROW(form.SendBtnClick(), EConvertError) << bad;
  }
  form.cbWorm.SetChecked(true);
  EXPECT_THROW(form.SendBtnClick(), EConvertError);
  EXPECT_EQ(pty.Receive(1, 300), "");
  form.Edit[1].SetText("04 ");  // joined without its end blank
  form.SendBtnClick();
  EXPECT_EQ(Sent(4), std::string("\x01\x02\x04\x03", 4));
}

TEST_F(RigFormTest, SampleLabelsFillTheFirstEmptyLine) {
  main.shared.ModelCode = "TS-570";
  form.edChannel.SetText("5");
  form.Edit[0].SetText("ID;");
  form.lbChannel.Click();
  EXPECT_EQ(form.Edit[1].Text(), "MR0 05;");
  form.Edit[2].SetText("x");
  form.Edit[3].SetText("y");
  form.lbStatus.Click();  // all four full: nothing changes
  EXPECT_EQ(form.Edit[1].Text(), "MR0 05;");
  form.DelEd4Click();
  main.shared.ModelCode = "IC-CI-V";
  form.Edit[0].SetText("a");
  form.Edit[1].SetText("b");
  form.Edit[2].SetText("c");
  form.lbStatus.Click();  // the frequency query finds no room, the mode query does
  EXPECT_EQ(form.Edit[3].Text(), "FE FE 00 E0 04 FD");
}

TEST_F(RigFormTest, EchoOnlyWhileVisibleAndClearing) {
  form.EchoCommands({"MR0 05;"});
  EXPECT_EQ(form.Edit[0].Text(), "");
  form.visible = true;
  form.EchoCommands({"FE FE 00 E0 08 00 05 FD", "FE FE 00 E0 03 FD"});
  EXPECT_EQ(form.Edit[1].Text(), "FE FE 00 E0 03 FD");
  form.Terminal.Add("#FA00014250000;");
  form.edFreq.SetText("14.250.000");
  form.Button1Click();
  EXPECT_TRUE(form.Terminal.Lines().empty());
  EXPECT_EQ(form.edFreq.Text(), "");
  EXPECT_FALSE(form.cbSave.Enabled());
  EXPECT_FALSE(form.cbAddLF.Checked());
}

TEST_F(RigFormTest, PositionRoundTrip) {
  const auto dir =
      std::filesystem::temp_directory_path() / ("varnek-rigform-" + std::to_string(getpid()));
  std::filesystem::create_directories(dir);
  Profile settings((dir / "settings.ini").string());
  form.bounds.top = 77;
  form.bounds.left = 333;
  form.FormClose(settings);
  EXPECT_EQ(settings.ReadString("RigForm", "fRig"), "0,77,333");
  TRigForm again(host, main, port);
  bool refreshed = false;
  again.RefreshIndicator = [&] { refreshed = true; };
  again.Terminal.Add("old");
  again.FormCreate(settings);
  EXPECT_EQ(again.bounds.top, 77);
  EXPECT_EQ(again.bounds.left, 333);
  EXPECT_TRUE(refreshed);
  EXPECT_TRUE(again.Terminal.Lines().empty());
  settings.WriteString("RigForm", "fRig", "0,x,1");
  TRigForm bad(host, main, port);
  bad.Terminal.Add("old");
  EXPECT_THROW(bad.FormCreate(settings), EConvertError);
  EXPECT_EQ(bad.Terminal.Lines().size(), 1u);  // the rest of creation is skipped
  std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace varnek

namespace varnek {
namespace {

TEST(Ft920StatusRecord, DecodesTheFirstDumpLine) {
  HeadlessHost host{HeadlessHost::Time::Simulated};
  TMainForm main{host};
  TSerialPort port{host};
  TRigForm form{host, main, port};
  struct Case {
    std::string bytes, freq, mode;
  };
  // Record: band, four bytes of hertz (big-endian), clarifier, mode.
  const std::vector<Case> cases = {
      {std::string("\x01\x00\xD9\xB2\x78\x00\x00\x40", 8), "14.267.000", "USB"},
      {std::string("\x01\x00\x6B\x93\x10\x00\x00\x00", 8), "7.050.000", "LSB"},
      {std::string("\x01\x00\x6B\x93\x10\x00\x00\x81", 8), "7.050.000", "CW"},
      {std::string("\x01\x00\x6B\x93\x10\x00\x00\x05", 8), "7.050.000", "DIGI"},
      {std::string("\x01\x00\x6B\x93\x10\x00\x00\x7F", 8), "7.050.000", "?"},
  };
  for (const auto& c : cases) {
    form.Terminal.Clear();
    std::vector<std::string> lines;
    HexDumpLines(c.bytes, lines);
    for (auto& l : lines)
      form.Terminal.Add(l);
    form.ReadFt920StatusRecord();
    EXPECT_EQ(form.edFreq.Text(), c.freq);
    EXPECT_EQ(form.edMode.Text(), c.mode);
  }
  // What is no record leaves the fields alone, never an internal error: an
  // empty record (8B or 90), a short or foreign first line, nothing at all.
  for (const std::vector<std::string>& memo :
       std::vector<std::vector<std::string>>{{" 8B 00 00 00 00 00 00 40 : .......@"},
                                             {" 90 00 00 00 00 00 00 40 : .......@"},
                                             {" 01 00 6B                : ..k"},
                                             {"MR0 05;"},
                                             {"#12"},
                                             {}}) {
    form.Terminal.Clear();
    for (const auto& l : memo)
      form.Terminal.Add(l);
    EXPECT_NO_THROW(form.ReadFt920StatusRecord()) << ::testing::PrintToString(memo);
    EXPECT_EQ(form.edFreq.Text(), "7.050.000") << ::testing::PrintToString(memo);
    EXPECT_EQ(form.edMode.Text(), "?");
  }
  // After a table read's "#NN" line the record is the next line; below
  // 1 MHz the frequency keeps its leading zero.
  form.Terminal.Clear();
  form.Terminal.Add("#12");
  std::vector<std::string> lines;
  HexDumpLines(std::string("\x01\x00\x0F\x3E\x58\x00\x00\x02", 8), lines);
  form.Terminal.Add(lines[0]);
  form.ReadFt920StatusRecord();
  EXPECT_EQ(form.edFreq.Text(), "0.999.000");
  EXPECT_EQ(form.edMode.Text(), "AM");
}

}  // namespace
}  // namespace varnek
