#pragma once
// Whole-file reads and crash-safe whole-file writes, and the few folder
// operations the start-up needs. Paths are byte strings as the system takes
// them; nothing here looks at the current directory.
#include <string>

namespace varnek {

struct FileResult {
  bool ok = false;
  // On failure: names the file and gives the system's reason.
  std::string message;
};

// Writes `bytes` to a temporary file in the target's folder, flushes it to
// the disk and renames it over `path`. Whatever fails, the previous file is
// left exactly as it was and no temporary file is left behind. An existing
// file's permission bits are kept. A symbolic link is written through: its
// target gets the new content (atomically, in the target's folder). An
// existing path that is no regular file (a folder, device, FIFO, socket) is
// refused and left alone.
FileResult WriteFileAtomically(const std::string& path, const std::string& bytes);

enum class ReadStatus { Ok, Missing, Failed };
// The largest file ReadWholeFile takes.
inline constexpr unsigned long long kReadFileLimit = 64ull << 20;
// The whole file into `bytes`. Missing: the file (or a folder on its path)
// does not exist; Failed: it exists but cannot be read, is no regular file
// or is larger than kReadFileLimit (`error` says why).
ReadStatus ReadWholeFile(const std::string& path, std::string& bytes, std::string* error = nullptr);

bool FileExists(const std::string& path);
bool DirectoryExists(const std::string& path);
// Creates the folder with all missing parents; true when it exists afterwards.
bool CreateDirectories(const std::string& path);
// True when the file is gone afterwards (also when it never existed).
bool DeleteFile(const std::string& path);

}  // namespace varnek
