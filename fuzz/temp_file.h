#pragma once
// One scratch file per fuzzing process, in a folder of its own that is
// removed at exit. The targets that read files rewrite it for every input.
#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

namespace varnek::fuzz {

class ScratchFile {
 public:
  explicit ScratchFile(const std::string& name) {
    std::string folder = (std::filesystem::temp_directory_path() / "varnek-fuzz-XXXXXX").string();
    if (::mkdtemp(folder.data()) == nullptr) std::abort();
    folder_ = folder;
    path_ = folder_ + "/" + name;
  }
  ~ScratchFile() {
    std::error_code ec;
    std::filesystem::remove_all(folder_, ec);
  }
  ScratchFile(const ScratchFile&) = delete;
  ScratchFile& operator=(const ScratchFile&) = delete;

  const std::string& Path() const { return path_; }
  void Write(std::string_view bytes) const {
    std::ofstream out(path_, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out) std::abort();
  }

 private:
  std::string folder_, path_;
};

}  // namespace varnek::fuzz
