#include "cli/console.h"

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <mutex>
#include <filesystem>
#include <iostream>
#include <optional>
#include <vector>

#include "base/text.h"

namespace varnek::cli {
namespace {

// Set by the signal handler, so it has to be a lock-free global.
std::atomic<bool> g_stopRequested{false};
// The write end of the pipe that wakes the hosts' waits on Ctrl-C: a signal
// handler may write to a pipe, but not take a lock or notify a waiter.
std::atomic<int> g_wakeFd{-1};

void OnInterrupt(int) {
  g_stopRequested.store(true);
  const int fd = g_wakeFd.load();
  const char one = 1;
  if (fd >= 0) (void)!::write(fd, &one, 1);
}

std::mutex g_hostsMutex;
std::vector<Host*> g_hosts;

void WakeHosts() {
  std::lock_guard lock(g_hostsMutex);
  for (Host* h : g_hosts)
    h->Wake();
}

}  // namespace

bool TakeStopRequest() {
  return g_stopRequested.exchange(false);
}

void ClearStopRequest() {
  g_stopRequested.store(false);
}

void RequestStop() {
  g_stopRequested.store(true);
}

InterruptGuard::InterruptGuard(bool install) : installed_(install) {
  if (!installed_) return;
  if (::pipe2(wakePipe_, O_CLOEXEC) == 0) {
    g_wakeFd.store(wakePipe_[1]);
    // A 1 is a Ctrl-C, a 0 the guard's end.
    watcher_ = std::thread([fd = wakePipe_[0]] {
      char c = 0;
      while (::read(fd, &c, 1) == 1 && c != 0)
        WakeHosts();
    });
  }
  struct sigaction sa {};
  sa.sa_handler = OnInterrupt;
  sigemptyset(&sa.sa_mask);
  sa.sa_flags = SA_RESETHAND;
  // A kill or a closed terminal ends the run as Ctrl-C does, so the
  // program ends its own way: the rig's line closed, the scratch folder
  // removed.
  for (size_t i = 0; i < std::size(kSignals); ++i)
    sigaction(kSignals[i], &sa, &previous_[i]);
}

InterruptGuard::~InterruptGuard() {
  if (!installed_) return;
  for (size_t i = 0; i < std::size(kSignals); ++i)
    sigaction(kSignals[i], &previous_[i], nullptr);
  g_wakeFd.store(-1);
  if (!watcher_.joinable()) return;
  const char end = 0;
  (void)!::write(wakePipe_[1], &end, 1);
  watcher_.join();
  ::close(wakePipe_[0]);
  ::close(wakePipe_[1]);
}

StopWaker::StopWaker(Host& host) : host_(host) {
  std::lock_guard lock(g_hostsMutex);
  g_hosts.push_back(&host_);
}

StopWaker::~StopWaker() {
  std::lock_guard lock(g_hostsMutex);
  g_hosts.erase(std::find(g_hosts.begin(), g_hosts.end(), &host_));
}

ScratchFolder::ScratchFolder() {
  std::string tmpl = (std::filesystem::temp_directory_path() / "varnek-cli-XXXXXX").string();
  std::vector<char> buf(tmpl.begin(), tmpl.end());
  buf.push_back('\0');
  if (::mkdtemp(buf.data()) != nullptr) path_ = std::string(buf.data()) + "/";
}

ScratchFolder::~ScratchFolder() {
  std::error_code ec;
  if (!path_.empty()) std::filesystem::remove_all(path_, ec);
}

FolderEnvironment DirEnvironment(const std::string& dir) {
  FolderEnvironment env;
  env.getEnv = [](const std::string&) -> std::optional<std::string> { return std::nullopt; };
  std::string d = std::filesystem::absolute(dir).lexically_normal().string();
  if (d.empty() || d.back() != '/') d += '/';
  env.programFile = d + "varnek-cli";
  return env;
}

std::string Lower(std::string s) {
  for (char& c : s)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return s;
}

Console ProcessConsole() {
  Console c;
  c.stdinTerminal = ::isatty(STDIN_FILENO) == 1;
  c.stderrTerminal = ::isatty(STDERR_FILENO) == 1;
  c.in = &std::cin;
  c.catchInterrupt = true;
  return c;
}

}  // namespace varnek::cli
