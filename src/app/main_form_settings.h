#pragma once
// The main window's side of the rig settings: what the rig family shows and
// hides in the bottom bar and row 00, and the address and timing edits that
// a settings line or a reset fills. The settings dialog's lists, line boxes,
// loop-wait edit and notation buttons are the dialog's side.
#include "settings/rig_settings.h"

namespace varnek {

class TMainForm;

// For the form's ModelCode: row 00 only for "TS" (an unavailable row 00
// also loses its check mark); "Command Interval" hidden for "TS" and "FT-2";
// the address edit greyed for "FT-1", "FT-8", "FT-9". Never hides or shows
// the address edit itself.
void ApplyRigFamily(TMainForm& form);
// First show's family step: row 00 unavailable unless "TS" (its check mark
// kept); "Command Interval" hidden for "TS" and "FT-2"; the address label
// and edit hidden for the other "FT" codes, for the rest of the run.
void ApplyFirstShowFamily(TMainForm& form);

// Fills edAddr, edIntval and edWait from applied settings and sets
// CivAddress and the three intervals (non-numbers give 150, 150 and 75).
// A channel interval that is not a number throws EConvertError (from
// edIntval's change reaction), but only after everything is set.
void ApplyRigSettingsToMainForm(const RigSettings& s, TMainForm& form);
// Copies the main window's address and interval texts into `s` (the parts
// of a settings line the dialog does not hold).
void ReadMainFormInto(const TMainForm& form, RigSettings& s);
// Which edits store their text; the dialog says whether its Icom panel is
// on screen.
RigSettingsShown ShownOn(const TMainForm& form, bool icomPanelVisible);
// The reset's main-window part: the interval edits and the running values
// the family sets.
void ApplyDefaultsToMainForm(const RigDefaults& d, TMainForm& form);

}  // namespace varnek
