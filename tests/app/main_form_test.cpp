#include "app/main_form.h"

#include <gtest/gtest.h>

#include "base/headless_host.h"

namespace varnek {
namespace {

class MainFormTest : public ::testing::Test {
 protected:
  HeadlessHost host{HeadlessHost::Time::Simulated};
  TMainForm form{host};

  std::vector<int> Checked() {
    std::vector<int> r;
    for (int n = 0; n < 100; ++n)
      if (form.cb[n].Checked()) r.push_back(n);
    return r;
  }
  static std::vector<int> Range(int from, int to) {
    std::vector<int> r;
    for (int n = from; n <= to; ++n)
      r.push_back(n);
    return r;
  }
};

TEST_F(MainFormTest, FrequencyChangeProposesBandPlanMode) {
  form.A[5].UserInput("14230");
  EXPECT_EQ(form.M[5].Text(), "USB");
  form.M[5].UserInput("CW");
  form.T[5].UserInput("DX");  // a name never touches the mode
  EXPECT_EQ(form.M[5].Text(), "CW");
  form.A[5].SetText("14230");  // the same text is no change
  EXPECT_EQ(form.M[5].Text(), "CW");
  form.A[5].SetText("145.300.000");
  EXPECT_EQ(form.M[5].Text(), "FM");
  form.A[5].SetText("");
  EXPECT_EQ(form.M[5].Text(), "");
  form.A[5].SetText("abc");
  EXPECT_EQ(form.M[5].Text(), "Error");
}

TEST_F(MainFormTest, DigiProposalFollowsTheRig) {
  form.A[3].SetText("14070");
  EXPECT_EQ(form.M[3].Text(), "DIGI");
  form.shared.ModelCode = "TS-570";
  form.A[3].SetText("14071");
  EXPECT_EQ(form.M[3].Text(), "FSK");
}

TEST_F(MainFormTest, SetChannelWritesInOrderAndOnlyItsRow) {
  for (int n = 0; n < 100; ++n)
    form.M[n].SetText("LSB");
  form.SetChannel("30", "14.250.000", "CW", "NEW");
  EXPECT_EQ(form.A[30].Text(), "14.250.000");
  EXPECT_EQ(form.M[30].Text(), "CW");  // not the USB the band plan proposed
  EXPECT_EQ(form.T[30].Text(), "NEW");
  for (int n = 0; n < 100; ++n) {
    if (n != 30) {
      EXPECT_EQ(form.M[n].Text(), "LSB") << n;
    }
  }

  form.SetChannelFreqMode("07", "7.050.000", "AM");
  EXPECT_EQ(form.M[7].Text(), "AM");
  EXPECT_EQ(form.T[7].Text(), "");
}

TEST_F(MainFormTest, SetChannelIgnoresBadNumbers) {
  for (const char* bad : {"7", "100", "-1", "0x", "", " 7", "07 "}) {
    form.SetChannel(bad, "14.250.000", "CW", "X");
    form.SetChannelFreqMode(bad, "14.250.000", "CW");
  }
  for (int n = 0; n < 100; ++n)
    EXPECT_EQ(form.A[n].Text(), "") << n;
  EXPECT_EQ(TMainForm::ChannelIndex("99"), 99);
  EXPECT_EQ(TMainForm::ChannelIndex("00"), 0);
}

TEST_F(MainFormTest, ColumnChecks) {
  struct Case {
    std::string model;
    int column;
    std::vector<int> want;
  };
  const std::vector<Case> cases = {
      {"IC-CI-V", 1, Range(1, 24)}, {"TS-2000", 1, Range(0, 24)}, {"", 1, Range(1, 24)},
      {"FT-920", 2, Range(25, 49)}, {"FT-920", 3, Range(50, 74)}, {"FT-920", 4, Range(75, 99)},
  };
  for (const auto& c : cases) {
    form.UncheckAll1Click();
    form.shared.ModelCode = c.model;
    form.btClick(c.column);
    EXPECT_EQ(Checked(), c.want) << c.model << " column " << c.column;
  }
  form.MenuItem("CheckDuplex1").Click();
  EXPECT_EQ(Checked(), Range(75, 99));
  form.UncheckAll1Click();
  form.MenuItem("CheckDuplex1").Click();
  EXPECT_EQ(Checked(), Range(90, 99));
  form.MenuItem("CheckAll1").Click();
  EXPECT_EQ(Checked(), Range(1, 99));
  form.MenuItem("ClrChkCol2").Click();
  auto want = Range(1, 24);
  for (int n : Range(50, 99))
    want.push_back(n);
  EXPECT_EQ(Checked(), want);
  form.MenuItem("UncheckAll1").Click();
  EXPECT_TRUE(Checked().empty());
}

TEST_F(MainFormTest, LbChanHiddenByTableCommandsOnly) {
  struct Case {
    const char* item;
    bool hides;
  };
  for (const Case& c :
       {Case{"ClearFM1", true}, Case{"CheckAll1", true}, Case{"CheckDuplex1", true},
        Case{"Column2", false}, Case{"ClrChkCol3", false}, Case{"UncheckAll1", false}}) {
    form.lbChan.SetVisible(true);
    form.MenuItem(c.item).Click();
    EXPECT_EQ(form.lbChan.Visible(), !c.hides) << c.item;
  }
}

TEST_F(MainFormTest, ClearKeepsCheckMarks) {
  form.SetChannel("12", "7050", "LSB", "N");
  form.cb[12].SetChecked(true);
  form.ClearFM1Click();
  EXPECT_EQ(form.A[12].Text(), "");
  EXPECT_EQ(form.M[12].Text(), "");
  EXPECT_EQ(form.T[12].Text(), "");
  EXPECT_TRUE(form.cb[12].Checked());
}

TEST_F(MainFormTest, Row00Rule) {
  EXPECT_FALSE(form.A[0].Enabled());  // no rig chosen yet
  EXPECT_EQ(form.A[0].BackColor(), colors::BtnFace);
  form.shared.ModelCode = "TS-570";
  form.ApplyRow00Rule(true);
  for (TControl* c : std::initializer_list<TControl*>{&form.Label[0], &form.A[0], &form.M[0],
                                                      &form.T[0], &form.cb[0]})
    EXPECT_TRUE(c->Enabled()) << c->Name();
  EXPECT_EQ(form.T[0].BackColor(), colors::Window);
  form.cb[0].SetChecked(true);
  form.shared.ModelCode = "IC-CI-V";
  form.ApplyRow00Rule(false);
  EXPECT_TRUE(form.cb[0].Checked());  // only a rig change unchecks it
  EXPECT_FALSE(form.cb[0].Enabled());
  form.ApplyRow00Rule(true);
  EXPECT_FALSE(form.cb[0].Checked());
  EXPECT_TRUE(form.A[1].Enabled());
}

TEST_F(MainFormTest, KeyPressUppercasesLettersOnly) {
  const std::string in = "az09-AZ\xE4 ";
  const std::string want = "AZ09-AZ\xE4 ";
  for (size_t i = 0; i < in.size(); ++i) {
    EXPECT_EQ(form.M[4].KeyPress(in[i]), want[i]);
    EXPECT_EQ(form.T[4].KeyPress(in[i]), want[i]);
    EXPECT_EQ(form.edAddr.KeyPress(in[i]), want[i]);
  }
  EXPECT_EQ(form.A[4].KeyPress('a'), 'a');  // frequencies are left alone
}

TEST_F(MainFormTest, CivAddressOnLeavingTheEdit) {
  form.edAddr.Exit();
  EXPECT_EQ(form.shared.CivAddress.Get(), "00");
  form.edAddr.UserInput(std::string(1, form.edAddr.KeyPress('5')) + form.edAddr.KeyPress('e'));
  form.edAddr.Exit();
  EXPECT_EQ(form.shared.CivAddress.Get(), "5E");
}

TEST_F(MainFormTest, ChannelIntervalEdit) {
  struct Case {
    std::string text;
    int want;
    bool error;
  };
  const std::vector<Case> cases = {
      {"250", 250, false}, {"", 250, false},    {"25x", 250, true},
      {"-100", 0, false},  {"975", 975, false},
  };
  for (const auto& c : cases) {
    const bool ok = Guarded(host, [&] { form.edIntval.UserInput(c.text); });
    EXPECT_EQ(ok, !c.error) << c.text;
    EXPECT_EQ(form.shared.ChannelInterval.load(), c.want) << c.text;
    EXPECT_EQ(form.edIntval.Text(), c.text);  // the text stays as typed
  }
  ASSERT_EQ(host.Errors().size(), 1u);
  EXPECT_EQ(host.Errors()[0], "'25x' is not a valid integer value");
}

TEST_F(MainFormTest, SpinButtonsStepTheEdit) {
  form.edIntval.UserInput("400");
  form.UpDown1.Step(true);
  EXPECT_EQ(form.edIntval.Text(), "425");
  EXPECT_EQ(form.shared.ChannelInterval.load(), 425);
  form.edIntval.UserInput("960");
  form.UpDown1.Step(true);
  EXPECT_EQ(form.edIntval.Text(), "975");  // clamped to the range
  form.edWait.UserInput("990");
  form.UpDown2.Step(true);
  EXPECT_EQ(form.edWait.Text(), "1000");  // no thousands separator
  form.edWait.UserInput("10");
  form.UpDown2.Step(false);
  EXPECT_EQ(form.edWait.Text(), "0");
}

TEST_F(MainFormTest, ClickDirectionCaption) {
  form.cbCcr.SetChecked(true);
  EXPECT_EQ(form.cbCcr.Caption(), "Click to Rig");
  form.cbCcr.Toggle();
  EXPECT_EQ(form.cbCcr.Caption(), "Click from Rig");
}

TEST_F(MainFormTest, StopAndUnbuiltItems) {
  form.MenuItem("Cancel1").Click();
  EXPECT_TRUE(form.shared.StopRequested.load());
  form.MenuItem("Update1").Click();
  EXPECT_EQ(host.Messages(), std::vector<std::string>{"Not available yet"});
}

TEST_F(MainFormTest, TabOrderRunsChannelByChannel) {
  std::vector<std::pair<int, std::string>> stops;
  for (TControl* c : form.Controls())
    if (c->tabOrder >= 0) stops.emplace_back(c->tabOrder, c->Name());
  std::sort(stops.begin(), stops.end());
  ASSERT_GE(stops.size(), 404u);
  EXPECT_EQ(stops[0].second, "A0");
  EXPECT_EQ(stops[1].second, "M0");
  EXPECT_EQ(stops[2].second, "T0");
  EXPECT_EQ(stops[3].second, "A1");
  EXPECT_EQ(stops[299].second, "T99");
  EXPECT_EQ(stops[300].second, "cb0");
  EXPECT_EQ(stops[399].second, "cb99");
  for (size_t i = 1; i < stops.size(); ++i)
    EXPECT_NE(stops[i - 1].first, stops[i].first);
}

TEST_F(MainFormTest, LampsAreDrawn) {
  for (auto [image, fill] :
       {std::pair{&form.Led, colors::Red}, std::pair{&form.NoLed, colors::Lime}}) {
    const Bitmap& b = image->picture;
    ASSERT_EQ(b.width, 14);
    ASSERT_EQ(b.height, 15);
    EXPECT_EQ(b.At(0, 0), colors::Silver);
    EXPECT_EQ(b.At(13, 14), colors::Silver);
    EXPECT_EQ(b.At(7, 7), fill);
    // An outline separates the lamp from the background on every side.
    EXPECT_EQ(b.At(7, 1), colors::Black);
    EXPECT_EQ(b.At(1, 7), colors::Black);
  }
  EXPECT_NE(form.Led.Visible(), form.NoLed.Visible());
}

}  // namespace
}  // namespace varnek
