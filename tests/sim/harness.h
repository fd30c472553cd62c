#pragma once
// Starting a simulated rig inside the test process, with a scratch directory
// for its memory image, log and dump.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>

#include "sim/simulator.h"

namespace varnek::sim::test {

class ScratchDir {
 public:
  ScratchDir() {
    std::string tmpl = (std::filesystem::temp_directory_path() / "rigsim-XXXXXX").string();
    if (!mkdtemp(tmpl.data())) throw std::runtime_error("mkdtemp failed");
    path_ = tmpl;
  }
  ~ScratchDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  std::string File(const std::string& name) const { return (path_ / name).string(); }

 private:
  std::filesystem::path path_;
};

inline void WriteFile(const std::string& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}
inline std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

// The memory image without its header comment, for comparisons.
inline std::string ImageBody(const Memory& memory) {
  std::string text = FormatMemoryImage(memory);
  return text.substr(text.find('\n') + 1);
}

struct RunningSim {
  ScratchDir dir;
  std::unique_ptr<Simulator> sim;
  std::string path;

  explicit RunningSim(Options options, const std::string& image = "", bool log = false) {
    if (log) options.log_file = dir.File("log.txt");
    if (!image.empty()) {
      options.memory_file = dir.File("memory.txt");
      WriteFile(options.memory_file, image);
    }
    sim = std::make_unique<Simulator>(options);
    path = sim->Start();
  }
  std::string Log() const { return ReadFile(dir.File("log.txt")); }
};

}  // namespace varnek::sim::test
