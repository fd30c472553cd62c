#include "base/file_io.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>
#include <vector>

namespace varnek {
namespace {

std::string Reason(int err) {
  return std::generic_category().message(err);
}

std::string FolderOf(const std::string& path) {
  const auto slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

// Closes the descriptor once, whatever path the write takes.
class Fd {
 public:
  explicit Fd(int fd) : fd_(fd) {}
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  ~Fd() { Close(); }
  int get() const { return fd_; }
  int Close() {
    if (fd_ < 0) return 0;
    const int rc = ::close(fd_);
    fd_ = -1;
    return rc;
  }

 private:
  int fd_;
};

// The file a save means: a symbolic link stands for its target (renaming
// over the link itself would leave the target with the old content while
// the save reported success). A dangling link names the file to create.
// Returns the errno of a failure, 0 on success.
int FollowLinks(std::string& path) {
  for (int hops = 0; hops < 40; ++hops) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0) return errno == ENOENT ? 0 : errno;
    if (!S_ISLNK(st.st_mode)) return 0;
    std::vector<char> target(static_cast<size_t>(st.st_size > 0 ? st.st_size : 255) + 1);
    const ssize_t n = ::readlink(path.c_str(), target.data(), target.size());
    if (n < 0) return errno;
    if (static_cast<size_t>(n) >= target.size()) return ENAMETOOLONG;  // changed meanwhile
    const std::string to(target.data(), static_cast<size_t>(n));
    path = to.starts_with('/') ? to : FolderOf(path) + "/" + to;
  }
  return ELOOP;
}

}  // namespace

FileResult WriteFileAtomically(const std::string& path, const std::string& bytes) {
  const auto fail = [&](int err) { return FileResult{false, path + ": " + Reason(err)}; };
  if (path.empty() || path.back() == '/') return fail(EISDIR);
  std::string target = path;
  if (const int err = FollowLinks(target); err != 0) return fail(err);
  struct stat old {};
  const bool exists = ::stat(target.c_str(), &old) == 0;
  if (exists && S_ISDIR(old.st_mode)) return fail(EISDIR);
  // A device, a FIFO or a socket would be replaced by a plain file (as
  // root even /dev/ttyUSB0): such a name is refused, not written over.
  if (exists && !S_ISREG(old.st_mode))
    return {false, path + ": not a regular file (a device, pipe or socket); nothing was written"};

  // The temporary name must sit in the same folder: rename is only atomic
  // within one file system. It is short, so a name near the system's limit
  // can still be saved.
  std::string tmpl = FolderOf(target) + "/.varnek-XXXXXX";
  std::vector<char> name(tmpl.begin(), tmpl.end());
  name.push_back('\0');
  Fd fd(::mkstemp(name.data()));
  if (fd.get() < 0) return fail(errno);
  const std::string tmpName(name.data());
  const auto discard = [&](int err) {
    fd.Close();
    ::unlink(tmpName.c_str());
    return fail(err);
  };

  const mode_t mode = exists ? (old.st_mode & 07777) : 0644;
  if (::fchmod(fd.get(), mode) != 0) return discard(errno);

  size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(fd.get(), bytes.data() + done, bytes.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      return discard(errno);
    }
    done += static_cast<size_t>(n);
  }
  // Without the flush a crash after the rename can leave an empty file
  // where the old one was.
  if (::fsync(fd.get()) != 0) return discard(errno);
  if (fd.Close() != 0) {
    const int err = errno;
    ::unlink(tmpName.c_str());
    return fail(err);
  }
  if (::rename(tmpName.c_str(), target.c_str()) != 0) {
    const int err = errno;
    ::unlink(tmpName.c_str());
    return fail(err);
  }
  // Make the rename itself durable; failing here no longer endangers data.
  const int dir = ::open(FolderOf(target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir >= 0) {
    ::fsync(dir);
    ::close(dir);
  }
  return {true, {}};
}

ReadStatus ReadWholeFile(const std::string& path, std::string& bytes, std::string* error) {
  bytes.clear();
  const auto failed = [&](int err) {
    if (error) *error = path + ": " + Reason(err);
    return ReadStatus::Failed;
  };
  Fd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
  if (fd.get() < 0) {
    const int err = errno;
    if (err == ENOENT || err == ENOTDIR) return ReadStatus::Missing;
    return failed(err);
  }
  struct stat st {};
  if (::fstat(fd.get(), &st) != 0) return failed(errno);
  if (S_ISDIR(st.st_mode)) return failed(EISDIR);
  // A device or a pipe (/dev/zero) would be read forever, a huge file whole
  // into memory; none of them is a settings or channel file.
  if (!S_ISREG(st.st_mode)) {
    if (error) *error = path + ": not a regular file";
    return ReadStatus::Failed;
  }
  if (static_cast<unsigned long long>(st.st_size) > kReadFileLimit) {
    if (error) *error = path + ": larger than " + std::to_string(kReadFileLimit >> 20) + " MB";
    return ReadStatus::Failed;
  }
  char buf[65536];
  for (;;) {
    const ssize_t n = ::read(fd.get(), buf, sizeof buf);
    if (n < 0) {
      if (errno == EINTR) continue;
      const int err = errno;
      bytes.clear();
      return failed(err);
    }
    if (n == 0) break;
    bytes.append(buf, static_cast<size_t>(n));
  }
  return ReadStatus::Ok;
}

bool FileExists(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}

bool DirectoryExists(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool CreateDirectories(const std::string& path) {
  std::error_code ec;
  std::filesystem::create_directories(path, ec);
  return DirectoryExists(path);
}

bool DeleteFile(const std::string& path) {
  return ::unlink(path.c_str()) == 0 || errno == ENOENT;
}

}  // namespace varnek
