#include "app/main_form_settings.h"

#include <optional>

#include "base/errors.h"
#include "app/main_form.h"
#include "base/rig_family.h"
#include "base/text.h"

namespace varnek {

void ApplyRigFamily(TMainForm& form) {
  const std::string code = form.shared.ModelCode.Get();
  const RigFamily family = FamilyOf(code);
  // The ASCII rigs have no command panel.
  form.pnCmnd.SetVisible(!IsAscii(family));
  form.ApplyRow00Rule(true);
  const bool fiveByte = SingleCommandFormOf(code) == CommandForm::Yaesu;
  form.edAddr.SetBackColor(fiveByte ? colors::BtnFace : colors::Window);
  // Hidden by a start on a Yaesu; a CI-V rig needs its address typed.
  if (family == RigFamily::Icom) {
    form.lbAddr.SetVisible(true);
    form.edAddr.SetVisible(true);
  }
  // An empty address would go out as 00, the broadcast; a model with an
  // address of its own gets that proposed instead (the user may still type
  // another, which the settings line then keeps).
  const std::string_view factory = FactoryCivAddress(code);
  if (!factory.empty() && Trim(form.edAddr.Text()).empty()) {
    form.edAddr.SetText(std::string(factory));
    form.shared.CivAddress = std::string(factory);
  }
}

void ApplyFirstShowFamily(TMainForm& form) {
  const std::string code = form.shared.ModelCode.Get();
  const RigFamily family = FamilyOf(code);
  if (family == RigFamily::Kenwood)
    form.pnCmnd.SetVisible(false);
  else
    form.ApplyRow00Rule(false);
  if (family == RigFamily::Ft2000) {
    form.pnCmnd.SetVisible(false);
  } else if (family == RigFamily::Yaesu) {
    form.lbAddr.SetVisible(false);
    form.edAddr.SetVisible(false);
  }
}

void ApplyRigSettingsToMainForm(const RigSettings& s, TMainForm& form) {
  form.edAddr.SetText(s.address);
  form.edWait.SetText(s.commandInterval);
  // edIntval's change reaction rejects a non-number; a damaged line must
  // still set the running values, so the error is passed on only after.
  std::optional<EConvertError> rejected;
  try {
    form.edIntval.SetText(s.channelInterval);
  } catch (const EConvertError& e) {
    rejected = e;
  }
  const RigTiming t = TimingOf(s);
  form.shared.CivAddress = t.civAddress;
  form.shared.ChannelInterval = t.channelInterval;
  form.shared.CommandInterval = t.commandInterval;
  form.shared.IcomLoopWait = t.icomLoopWait;
  if (rejected) throw *rejected;
}

void ReadMainFormInto(const TMainForm& form, RigSettings& s) {
  s.address = form.edAddr.Text();
  s.channelInterval = form.edIntval.Text();
  s.commandInterval = form.edWait.Text();
}

RigSettingsShown ShownOn(const TMainForm& form, bool icomPanelVisible) {
  // A CI-V rig always keeps its address and loop wait: their edits may not
  // have been shown since the start, yet the values are the user's.
  const bool civ = FamilyOf(form.shared.ModelCode.Get()) == RigFamily::Icom;
  return {civ || form.edAddr.Visible(), form.pnCmnd.Visible(), civ || icomPanelVisible};
}

void ApplyDefaultsToMainForm(const RigDefaults& d, TMainForm& form) {
  if (d.channelInterval) {
    form.edIntval.SetText(IntToStr(*d.channelInterval));
    form.shared.ChannelInterval = *d.channelInterval;
  }
  if (d.commandInterval) {
    form.edWait.SetText(IntToStr(*d.commandInterval));
    form.shared.CommandInterval = *d.commandInterval;
  }
  if (d.loopWait) form.shared.IcomLoopWait = *d.loopWait;
}

}  // namespace varnek
