#pragma once
// The demonstration: a simulated rig on a pseudo-terminal holding a few
// dozen sample channels, and a settings folder of its own that points the
// program at it, so trying Varnek never touches the user's settings.
#include <sys/types.h>
#include <string>

#include "base/folders.h"

namespace varnek {

inline constexpr const char* kDemoDefaultRig = "Kenwood TS-570";

// The sample channels in the simulator's memory image format, with the mode
// codes of `rig`'s family. Empty for a rig of no family.
std::string DemoMemoryImage(const std::string& rig);

// A program installed or built beside this one (varnek-rigsim, varnek-cli);
// empty when there is none.
std::string CompanionProgram(const std::string& name);

class Demo {
 public:
  // Starts the simulator for `rig` in a fresh folder. Throws
  // std::runtime_error saying what went wrong.
  explicit Demo(const std::string& rig, std::string simulator = CompanionProgram("varnek-rigsim"));
  // Stops the simulator and removes the folder.
  ~Demo();
  Demo(const Demo&) = delete;
  Demo& operator=(const Demo&) = delete;

  const std::string& Rig() const { return rig_; }
  // The demo's home folder (ends with '/').
  const std::string& Folder() const { return folder_; }
  // The device the simulated rig sits on (a link to its pty).
  const std::string& Device() const { return device_; }
  // Where the demo's settings.ini is.
  std::string SettingsFolder() const;
  // The folders of the demo: its own home.
  FolderEnvironment Environment() const;

 private:
  void Start(const std::string& simulator);
  void Stop();

  std::string rig_, folder_, device_;
  pid_t simulator_ = -1;
};

}  // namespace varnek
