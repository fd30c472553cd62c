#include "transfer/terminal_log.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "base/profile.h"

namespace varnek {
namespace {

constexpr const char* kSection = "MainForm";
constexpr const char* kCountKey = "Rig";

std::string Entry(int n, const std::string& line) {
  // The INI layer writes "key=value" lines ended by LF, and so does this.
  return std::to_string(n) + "=" + LogValue(line) + "\n";
}

std::string CountLine(int n) {
  return std::string(kCountKey) + "=" + std::to_string(n) + "\n";
}

// Size and change time: a file another program wrote differs in one.
bool Stamp(const std::string& path, std::uint64_t& size, std::int64_t& changed) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return false;
  size = static_cast<std::uint64_t>(st.st_size);
  changed = static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1'000'000'000 + st.st_mtim.tv_nsec;
  return true;
}

FileResult Failed(const std::string& path, int err) {
  return {false, path + ": " + std::strerror(err)};
}

}  // namespace

std::string LogValue(std::string line) {
  for (char& c : line)
    if (c == '\r' || c == '\n' || c == '\0') c = ' ';
  return line;
}

FileResult TerminalLog::Rewrite(const std::string& path, const std::vector<std::string>& lines) {
  size_ = 0;
  Profile log(path);
  int n = log.ReadInteger(kSection, kCountKey, 0);
  if (n < 0) n = 0;
  std::vector<ProfileEntry> entries;
  for (const std::string& line : lines)
    entries.push_back({kSection, std::to_string(++n), LogValue(line)});
  entries.push_back({kSection, kCountKey, std::to_string(n)});
  const FileResult r = log.Write(entries);
  if (!r.ok) return r;
  // Appending needs the count as the file's last line, as it is in a log
  // this program started; otherwise the next lines go through the INI
  // layer again.
  std::string bytes;
  if (ReadWholeFile(path, bytes) != ReadStatus::Ok) return r;
  const std::string last = CountLine(n);
  if (bytes.size() >= last.size() &&
      bytes.compare(bytes.size() - last.size(), last.size(), last) == 0 &&
      (bytes.size() == last.size() || bytes[bytes.size() - last.size() - 1] == '\n')) {
    path_ = path;
    count_ = n;
    rigAt_ = bytes.size() - last.size();
    if (!Stamp(path, size_, changed_) || size_ != bytes.size()) size_ = 0;
  }
  return r;
}

FileResult TerminalLog::Append(const std::string& path, const std::vector<std::string>& lines) {
  if (lines.empty()) return {true, {}};
  std::uint64_t size = 0;
  std::int64_t changed = 0;
  const bool ours = size_ > 0 && path == path_ && Stamp(path, size, changed) && size == size_ &&
                    changed == changed_;
  if (!ours) return Rewrite(path, lines);
  std::string tail;
  int n = count_;
  for (const std::string& line : lines)
    tail += Entry(++n, line);
  const std::string count = CountLine(n);
  tail += count;
  const int fd = ::open(path.c_str(), O_WRONLY | O_CLOEXEC);
  if (fd < 0) return Failed(path, errno);
  // The new lines go over the old count line, which the new count follows.
  size_t done = 0;
  while (done < tail.size()) {
    const ssize_t w =
        ::pwrite(fd, tail.data() + done, tail.size() - done, static_cast<off_t>(rigAt_ + done));
    if (w < 0 && errno == EINTR) continue;
    if (w <= 0) {
      const int err = w < 0 ? errno : EIO;
      ::close(fd);
      size_ = 0;
      return Failed(path, err);
    }
    done += static_cast<size_t>(w);
  }
  if (::close(fd) != 0) {
    size_ = 0;
    return Failed(path, errno);
  }
  count_ = n;
  rigAt_ += tail.size() - count.size();
  if (!Stamp(path, size_, changed_) || size_ != rigAt_ + count.size()) size_ = 0;
  return {true, {}};
}

}  // namespace varnek
