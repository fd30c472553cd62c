#pragma once
// Where settings.ini and the channel files live. Normally the per-user
// configuration folder and the user's documents folder, each followed by
// "Kolvir/Varnek/"; in portable mode (a "portable.ini" beside the program)
// both are the program's own folder. Every path ends with '/'.
#include <functional>
#include <optional>
#include <string>

namespace varnek {

// What the folder lookup asks of the system, so tests can give their own.
struct FolderEnvironment {
  // An environment variable's value; nullopt when it is not set. The
  // system's version answers HOME from the password database when the
  // variable is missing.
  std::function<std::optional<std::string>(const std::string& name)> getEnv;
  // Full path of the program file; empty when it cannot be found.
  std::string programFile;
};

// The real environment and the program file found through /proc/self/exe.
FolderEnvironment SystemFolderEnvironment();

struct Folders {
  std::string settings;   // SettingsFolder
  std::string documents;  // DocumentsFolder
  bool portable = false;
};

// The folder holding `programFile`, ending with '/'; "./" when unknown.
std::string ProgramFolder(const std::string& programFile);
// The documents folder named in a user-dirs.dirs text (XDG_DOCUMENTS_DIR,
// "$HOME" expanded), without the trailing '/'; nullopt when the text names
// none or names a relative path, or names $HOME while `home` is unknown.
std::optional<std::string> DocumentsDirFromUserDirs(const std::string& text,
                                                    const std::string& home);
// Decides both folders. Reads only portable.ini's existence and the user's
// user-dirs.dirs; creates nothing.
Folders FindFolders(const FolderEnvironment& env);
// Creates the folders that do not exist yet; failures are ignored (the
// files in them then simply cannot be written).
void CreateFolders(const Folders& folders);

inline constexpr const char* kSettingsFile = "settings.ini";
inline constexpr const char* kTerminalFile = "terminal.ini";

}  // namespace varnek
