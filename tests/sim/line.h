#pragma once
// The computer's end of a simulated rig's pty, for the tests: raw mode, and
// every read bounded in time so a silent rig fails a test instead of hanging.
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <stdexcept>
#include <string>
#include <vector>

namespace varnek::sim::test {

class Line {
 public:
  explicit Line(const std::string& path) {
    fd_ = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (fd_ < 0) throw std::runtime_error("cannot open " + path);
    termios t{};
    tcgetattr(fd_, &t);
    cfmakeraw(&t);
    tcsetattr(fd_, TCSANOW, &t);
  }
  ~Line() {
    if (fd_ >= 0) ::close(fd_);
  }
  Line(const Line&) = delete;
  Line& operator=(const Line&) = delete;

  void Send(const std::string& bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
      ssize_t n = ::write(fd_, bytes.data() + done, bytes.size() - done);
      if (n > 0)
        done += static_cast<size_t>(n);
      else
        Wait(POLLOUT, 1000);
    }
  }

  // Reads until `count` bytes have come or `timeout_ms` passed.
  std::string Read(size_t count, int timeout_ms = 2000) {
    std::string got;
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
    while (got.size() < count) {
      auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                      deadline - std::chrono::steady_clock::now())
                      .count();
      if (left <= 0 || !Wait(POLLIN, static_cast<int>(left))) break;
      char buf[512];
      ssize_t n = ::read(fd_, buf, std::min(sizeof buf, count - got.size()));
      if (n > 0) {
        got.append(buf, static_cast<size_t>(n));
        reads_.push_back(static_cast<size_t>(n));
      } else if (n == 0 || (errno != EAGAIN && errno != EINTR)) {
        break;
      }
    }
    return got;
  }
  // Reads until `end` arrives (inclusive) or the time is up.
  std::string ReadUntil(char end, int timeout_ms = 2000) {
    std::string got;
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
    while (got.empty() || got.back() != end) {
      auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                      deadline - std::chrono::steady_clock::now())
                      .count();
      if (left <= 0) break;
      std::string one = Read(1, static_cast<int>(left));
      if (one.empty()) break;
      got += one;
    }
    return got;
  }
  // Whatever arrives within `quiet_ms`.
  std::string Drain(int quiet_ms = 150) {
    std::string got;
    for (;;) {
      std::string more = Read(4096, quiet_ms);
      if (more.empty()) return got;
      got += more;
    }
  }
  // Sizes of the reads since the last call: shows how an answer was framed.
  std::vector<size_t> TakeReads() { return std::exchange(reads_, {}); }

 private:
  bool Wait(short events, int timeout_ms) {
    pollfd p{fd_, events, 0};
    return poll(&p, 1, timeout_ms) > 0 && (p.revents & events);
  }
  int fd_ = -1;
  std::vector<size_t> reads_;
};

inline std::string Bytes(std::initializer_list<int> list) {
  std::string s;
  for (int b : list)
    s += static_cast<char>(b);
  return s;
}

}  // namespace varnek::sim::test
