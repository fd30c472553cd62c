#pragma once
// terminal.ini, the save run's log of the answer transcript: an INI file
// whose section [MainForm] holds one numbered key per transcript line
// ("1", "2", ...) and the count of them in "Rig". Lines are appended to the
// end of the file with the count moved behind them, so logging a run costs
// as much as its lines, not the square of them: reading and rewriting the
// whole file through the INI layer for every received cluster did.
#include <cstdint>
#include <string>
#include <vector>

#include "base/file_io.h"

namespace varnek {

class TerminalLog {
 public:
  // Logs `lines` after what the file holds. The first time, and whenever
  // the file is not as this log left it (another program wrote it, it was
  // deleted), the INI layer reads the count and writes the lines; after
  // that they are appended in place.
  FileResult Append(const std::string& path, const std::vector<std::string>& lines);

 private:
  FileResult Rewrite(const std::string& path, const std::vector<std::string>& lines);

  std::string path_;
  int count_ = 0;
  // The file as this log left it: size (0: unknown) and change time.
  std::uint64_t size_ = 0;
  std::int64_t changed_ = 0;
  std::uint64_t rigAt_ = 0;  // where the "Rig=" line starts, the file's last line
};

// One INI value per transcript line: a line break or NUL inside it would end
// the value early, so those bytes are logged as blanks.
std::string LogValue(std::string line);

}  // namespace varnek
