#include "cli/console.h"

#include <stdlib.h>
#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <iostream>
#include <optional>
#include <vector>

#include "base/text.h"

namespace varnek::cli {
namespace {

// Set by the signal handler, so it has to be a lock-free global.
std::atomic<bool> g_stopRequested{false};

void OnInterrupt(int) {
  g_stopRequested.store(true);
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
  struct sigaction sa {};
  sa.sa_handler = OnInterrupt;
  sigemptyset(&sa.sa_mask);
  sa.sa_flags = SA_RESETHAND;
  sigaction(SIGINT, &sa, &previous_);
}

InterruptGuard::~InterruptGuard() {
  if (installed_) sigaction(SIGINT, &previous_, nullptr);
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
