#pragma once
// Folders of a test: a temporary home, no XDG variables.
#include <optional>
#include <string>

#include "base/folders.h"

namespace varnek::testing {

inline FolderEnvironment TestEnvironment(const std::string& home) {
  FolderEnvironment env;
  env.getEnv = [home](const std::string& name) -> std::optional<std::string> {
    if (name == "HOME") return home;
    return std::nullopt;
  };
  env.programFile = home + "bin/varnek";
  return env;
}

}  // namespace varnek::testing
