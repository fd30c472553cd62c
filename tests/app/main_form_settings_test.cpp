#include "app/main_form_settings.h"

#include <gtest/gtest.h>

#include "base/errors.h"
#include "base/headless_host.h"
#include "app/main_form.h"

namespace varnek {
namespace {

class MainFormSettings : public ::testing::Test {
 protected:
  HeadlessHost host{HeadlessHost::Time::Simulated};
  TMainForm form{host};
};

TEST_F(MainFormSettings, FamilyDecidesRow00CommandIntervalAndAddressColour) {
  struct Case {
    std::string code;
    bool pnCmnd, row00, cb0Kept, addrGrey;
  };
  const std::vector<Case> cases = {
      {"TS-870S", false, true, true, false},  {"FT-2000", false, false, false, false},
      {"IC-CI-V", true, false, false, false}, {"FT-1000", true, false, false, true},
      {"FT-920", true, false, false, true},   {"FT-817", true, false, false, true},
      {"radio", true, false, false, false},   {"", true, false, false, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.code);
    form.shared.ModelCode = "TS-570";
    ApplyRigFamily(form);
    form.cb[0].SetChecked(true);
    form.shared.ModelCode = c.code;
    ApplyRigFamily(form);
    EXPECT_EQ(form.pnCmnd.Visible(), c.pnCmnd);
    EXPECT_EQ(form.A[0].Enabled(), c.row00);
    EXPECT_EQ(form.cb[0].Enabled(), c.row00);
    EXPECT_EQ(form.T[0].BackColor(), c.row00 ? colors::Window : colors::BtnFace);
    EXPECT_EQ(form.cb[0].Checked(), c.cb0Kept);
    EXPECT_EQ(form.edAddr.BackColor(), c.addrGrey ? colors::BtnFace : colors::Window);
    EXPECT_TRUE(form.edAddr.Visible());  // only first show hides it
  }
}

TEST_F(MainFormSettings, FirstShowHidesTheAddressOfFiveByteYaesus) {
  struct Case {
    std::string code;
    bool pnCmnd, addr;
  };
  const std::vector<Case> cases = {
      {"TS-2000", false, true}, {"FT-2000", false, true}, {"FT-920", true, false},
      {"FT-1000", true, false}, {"IC-CI-V", true, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.code);
    TMainForm f(host);
    f.cb[0].SetChecked(true);
    f.shared.ModelCode = c.code;
    ApplyFirstShowFamily(f);
    EXPECT_EQ(f.pnCmnd.Visible(), c.pnCmnd);
    EXPECT_EQ(f.edAddr.Visible(), c.addr);
    EXPECT_EQ(f.lbAddr.Visible(), c.addr);
    EXPECT_TRUE(f.cb[0].Checked());  // first show keeps the mark
    // A later change to a CI-V rig shows it again: its address is needed.
    f.shared.ModelCode = "IC-CI-V";
    ApplyRigFamily(f);
    EXPECT_TRUE(f.edAddr.Visible());
  }
}

TEST_F(MainFormSettings, SettingsLineIntoTheBottomBarAndBack) {
  RigSettings s;
  ApplyRigSettingsString("0_6_4_0_0_0_1_1_5E_300_125_50_1", s);
  ApplyRigSettingsToMainForm(s, form);
  EXPECT_EQ(form.edAddr.Text(), "5E");
  EXPECT_EQ(form.edIntval.Text(), "300");
  EXPECT_EQ(form.edWait.Text(), "125");
  EXPECT_EQ(form.shared.CivAddress.Get(), "5E");
  EXPECT_EQ(form.shared.ChannelInterval, 300);
  EXPECT_EQ(form.shared.CommandInterval, 125);
  EXPECT_EQ(form.shared.IcomLoopWait, 50);

  // Kenwood: pnCmnd hidden, so its text is not stored.
  form.shared.ModelCode = "TS-570";
  ApplyRigFamily(form);
  RigSettings back = s;
  ReadMainFormInto(form, back);
  EXPECT_EQ(RigSettingsString(back, ShownOn(form, false)), "0_6_4_0_0_0_1_1_5E_300___1");
}

TEST_F(MainFormSettings, ADamagedIntervalStillSetsEveryValue) {
  RigSettings s;
  ApplyRigSettingsString("0_6_4_0_0_0_1_1_07_fast_x_y_2", s);
  EXPECT_THROW(ApplyRigSettingsToMainForm(s, form), EConvertError);
  EXPECT_EQ(form.edIntval.Text(), "fast");
  EXPECT_EQ(form.edWait.Text(), "x");
  EXPECT_EQ(form.shared.CivAddress.Get(), "07");
  EXPECT_EQ(form.shared.ChannelInterval, 150);
  EXPECT_EQ(form.shared.CommandInterval, 150);
  EXPECT_EQ(form.shared.IcomLoopWait, 75);
}

TEST_F(MainFormSettings, ResetSetsWhatRunsAndWhatShows) {
  struct Case {
    std::string code, edIntval, edWait;
    int channel, command, loop;
  };
  // The form starts with edIntval "400", edWait "175" and zero intervals.
  const std::vector<Case> cases = {
      {"FT-920", "200", "150", 200, 150, 0},
      {"IC-CI-V", "300", "150", 300, 150, 75},
      {"TS-570", "400", "175", 400, 0, 0},
      {"XY", "400", "175", 0, 0, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.code);
    TMainForm f(host);
    ApplyDefaultsToMainForm(DefaultsFor(c.code), f);
    EXPECT_EQ(f.edIntval.Text(), c.edIntval);
    EXPECT_EQ(f.edWait.Text(), c.edWait);
    EXPECT_EQ(f.shared.ChannelInterval, c.channel);
    EXPECT_EQ(f.shared.CommandInterval, c.command);
    EXPECT_EQ(f.shared.IcomLoopWait, c.loop);
  }
}

}  // namespace
}  // namespace varnek
