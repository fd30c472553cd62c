#include "app/end_signals.h"

#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <csignal>

namespace varnek {
namespace {

constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP};
std::atomic<int> raised{0};
int pipeFds[2] = {-1, -1};
struct sigaction previous[3];

void OnSignal(int sig) {
  raised = sig;
  const char byte = 1;
  // Async-signal-safe; a full pipe already says enough.
  [[maybe_unused]] const ssize_t n = write(pipeFds[1], &byte, 1);
}

}  // namespace

EndSignals::EndSignals() {
  raised = 0;
  if (pipe2(pipeFds, O_CLOEXEC | O_NONBLOCK) != 0) pipeFds[0] = pipeFds[1] = -1;
  struct sigaction sa {};
  sa.sa_handler = OnSignal;
  sigemptyset(&sa.sa_mask);
  sa.sa_flags = 0;
  for (int i = 0; i < 3; ++i)
    sigaction(kSignals[i], &sa, &previous[i]);
}

EndSignals::~EndSignals() {
  for (int i = 0; i < 3; ++i)
    sigaction(kSignals[i], &previous[i], nullptr);
  for (int& fd : pipeFds) {
    if (fd >= 0) close(fd);
    fd = -1;
  }
}

int EndSignals::Fd() const {
  return pipeFds[0];
}

int EndSignals::Raised() {
  return raised;
}

}  // namespace varnek
