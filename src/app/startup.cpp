#include "app/startup.h"

#include "base/errors.h"
#include "app/main_form.h"
#include "settings/rig_settings.h"

namespace varnek {

Profile SettingsOf(const TMainForm& form) {
  return Profile(form.shared.SettingsFolder.Get() + kSettingsFile);
}

void RestoreFoldersAndPosition(TMainForm& form, const FolderEnvironment& env) {
  const Folders folders = FindFolders(env);
  if (!folders.portable) CreateFolders(folders);
  form.shared.SettingsFolder = folders.settings;
  form.shared.DocumentsFolder = folders.documents;

  const std::string saved = SettingsOf(form).ReadString(kMainSection, kPositionKey);
  if (saved.empty()) return;
  try {
    const WindowPosition p = ParseWindowPosition(saved);
    form.bounds.top = p.top;
    form.bounds.left = p.left;
  } catch (const EConvertError& e) {
    form.host.ReportError(e.what());
  }
}

void ClearTerminalLogAndFillRigList(TMainForm& form) {
  DeleteFile(form.shared.DocumentsFolder.Get() + kTerminalFile);
  form.cbxRig.SetItems(RigList());
}

FileResult SaveWindowPosition(TMainForm& form, bool minimised) {
  if (minimised) return {true, {}};
  return SettingsOf(form).WriteString(kMainSection, kPositionKey,
                                      WindowPositionString({form.bounds.top, form.bounds.left}));
}

}  // namespace varnek
