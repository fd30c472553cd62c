#pragma once
// What the benchmark programs share: the result rows bench.sh lines up into
// one table, a scratch home folder and the resident memory of the process.
#include <stdlib.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>

#include "base/folders.h"

namespace varnek::bench {

// One figure: "name<TAB>value<TAB>unit<TAB>target" on standard output, so a
// second build's output can be joined to the first by name.
inline void Report(const std::string& name, double value, const std::string& unit,
                   const std::string& target) {
  std::printf("%s\t%.4g\t%s\t%s\n", name.c_str(), value, unit.c_str(), target.c_str());
  std::fflush(stdout);
}

inline double Seconds(std::chrono::steady_clock::duration d) {
  return std::chrono::duration<double>(d).count();
}

// VmRSS of this process in KiB, -1 when /proc does not say.
inline long ResidentKiB() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("VmRSS:", 0) == 0) return std::strtol(line.c_str() + 6, nullptr, 10);
  }
  return -1;
}

// A temporary home, so a benchmark never reads or writes the user's
// settings; removed with the object.
class ScratchHome {
 public:
  ScratchHome() {
    std::string folder = (std::filesystem::temp_directory_path() / "varnek-bench-XXXXXX").string();
    if (::mkdtemp(folder.data()) == nullptr) std::abort();
    path_ = folder + "/";
  }
  ~ScratchHome() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  ScratchHome(const ScratchHome&) = delete;
  ScratchHome& operator=(const ScratchHome&) = delete;

  FolderEnvironment Environment() const {
    FolderEnvironment env;
    env.getEnv = [home = path_](const std::string& name) -> std::optional<std::string> {
      if (name == "HOME") return home;
      return std::nullopt;
    };
    env.programFile = path_ + "bin/varnek";
    return env;
  }

 private:
  std::string path_;
};

}  // namespace varnek::bench
