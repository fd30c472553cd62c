#pragma once
// A pseudo-terminal pair for the serial tests: the component opens the
// slave by its path, the test plays the rig on the master side.
#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "base/headless_host.h"
#include "serial/serial_port.h"

namespace varnek::testing {

class PtyPair {
 public:
  PtyPair() {
    master_ = posix_openpt(O_RDWR | O_NOCTTY);
    if (master_ < 0 || grantpt(master_) != 0 || unlockpt(master_) != 0) return;
    char name[128] = {};
    if (ptsname_r(master_, name, sizeof name) != 0) return;
    path_ = name;
    fcntl(master_, F_SETFL, fcntl(master_, F_GETFL) | O_NONBLOCK);
  }
  ~PtyPair() { CloseMaster(); }
  PtyPair(const PtyPair&) = delete;
  PtyPair& operator=(const PtyPair&) = delete;

  bool Ok() const { return master_ >= 0 && !path_.empty(); }
  const std::string& SlavePath() const { return path_; }
  void CloseMaster() {
    if (master_ >= 0) close(master_);
    master_ = -1;
  }

  void Send(const std::string& bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
      const ssize_t n = write(master_, bytes.data() + done, bytes.size() - done);
      if (n > 0) {
        done += static_cast<size_t>(n);
      } else {
        pollfd p{master_, POLLOUT, 0};
        if (poll(&p, 1, 2000) <= 0) return;
      }
    }
  }

  // True once no one holds the slave side open (within `timeoutMs`).
  bool SlaveClosed(int timeoutMs) {
    pollfd p{master_, 0, 0};
    return poll(&p, 1, timeoutMs) == 1 && (p.revents & POLLHUP);
  }

  // Reads until `count` bytes came or `timeoutMs` passed.
  std::string Receive(size_t count, int timeoutMs = 3000) {
    std::string got;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    std::vector<char> buf(65536);
    while (got.size() < count) {
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                            deadline - std::chrono::steady_clock::now())
                            .count();
      if (left <= 0) break;
      pollfd p{master_, POLLIN, 0};
      if (poll(&p, 1, static_cast<int>(left)) <= 0) break;
      const ssize_t n = read(master_, buf.data(), std::min(buf.size(), count - got.size()));
      if (n <= 0) break;
      got.append(buf.data(), static_cast<size_t>(n));
    }
    return got;
  }

 private:
  int master_ = -1;
  std::string path_;
};

struct ReportRecord {
  uint32_t place, code;
  std::string msg;
  uint8_t noise;
};

// A port on the slave side of a fresh pair, recording every report and
// taking each cluster as its notice arrives.
class PtyPortTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(pty.Ok()) << "no pseudo-terminal available";
    port = MakePort(pty.SlavePath());
  }
  void TearDown() override { port.reset(); }

  std::unique_ptr<TSerialPort> MakePort(const std::string& path) {
    auto p = std::make_unique<TSerialPort>(host);
    p->OnProcessError = [this](TSerialPort&, uint32_t place, uint32_t code, const std::string& msg,
                               uint8_t noise) {
      reports.push_back({place, code, msg, noise});
    };
    p->OnRxClusterEvent = [this](TSerialPort& sender) {
      ++clusterNotices;
      if (takeClusters && sender.FirstClusterSize() >= 0)
        clusters.push_back(sender.TakeFirstCluster());
    };
    p->SetCommPort(path);
    return p;
  }

  // Some conditions here are the I/O thread's own state, which wakes no
  // wait: look again every few milliseconds.
  bool WaitFor(const std::function<bool()>& done, int ms = 3000) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (!host.WaitFor(done, 5))
      if (std::chrono::steady_clock::now() >= end) return false;
    return true;
  }
  // Runs GUI work for `ms` (nothing is expected to end it).
  void RunFor(int ms) {
    host.WaitFor([] { return false; }, ms);
  }
  bool HasReport(uint32_t place) const {
    for (const auto& r : reports)
      if (r.place == place) return true;
    return false;
  }
  const ReportRecord* FindReport(uint32_t place) const {
    for (const auto& r : reports)
      if (r.place == place) return &r;
    return nullptr;
  }

  HeadlessHost host;
  PtyPair pty;
  std::unique_ptr<TSerialPort> port;
  std::vector<ReportRecord> reports;
  std::vector<std::string> clusters;
  int clusterNotices = 0;
  bool takeClusters = true;
};

}  // namespace varnek::testing
