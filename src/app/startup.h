#pragma once
// The file side of the main window's start and end: fixing the folders,
// restoring and saving the window position, clearing the previous run's
// terminal log and filling the rig list. The serial side (opening the port,
// the settings dialog) is wired around these.
#include <string>

#include "base/file_io.h"
#include "base/folders.h"
#include "base/profile.h"

namespace varnek {

class TMainForm;


// settings.ini in the form's SettingsFolder.
Profile SettingsOf(const TMainForm& form);

// Window creation: decides and creates the folders, stores them in the
// form's shared values and moves the window to the saved position. A saved
// position that is not two numbers is reported through the host's error
// report and the window keeps its designed place; nothing else depends on
// it, so the caller goes on.
void RestoreFoldersAndPosition(TMainForm& form, const FolderEnvironment& env);

// First show: the terminal log of an earlier run is deleted (a failure is
// ignored) and the rig box gets its items.
void ClearTerminalLogAndFillRigList(TMainForm& form);

// Program end: the position is written unless the window is minimised,
// so a minimised window never stores its off-screen place.
FileResult SaveWindowPosition(TMainForm& form, bool minimised);

}  // namespace varnek
