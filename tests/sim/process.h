#pragma once
// Running other programs from the tests (varnek-rigsim itself, Hamlib's
// rigmem and rigctl) with pipes and a hard time limit.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace varnek::sim::test {

class Process {
 public:
  explicit Process(const std::vector<std::string>& argv) {
    int in[2], out[2], err[2];
    if (pipe(in) != 0 || pipe(out) != 0 || pipe(err) != 0) return;
    pid_ = fork();
    if (pid_ == 0) {
      dup2(in[0], 0);
      dup2(out[1], 1);
      dup2(err[1], 2);
      for (int fd : {in[0], in[1], out[0], out[1], err[0], err[1]})
        close(fd);
      std::vector<char*> args;
      for (const std::string& a : argv)
        args.push_back(const_cast<char*>(a.c_str()));
      args.push_back(nullptr);
      execv(args[0], args.data());
      _exit(127);
    }
    close(in[0]);
    close(out[1]);
    close(err[1]);
    in_ = in[1];
    out_ = out[0];
    err_ = err[0];
    fcntl(out_, F_SETFL, O_NONBLOCK);
    fcntl(err_, F_SETFL, O_NONBLOCK);
  }
  ~Process() {
    if (pid_ > 0 && !status_) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
    for (int fd : {in_, out_, err_})
      if (fd >= 0) close(fd);
  }
  Process(const Process&) = delete;
  Process& operator=(const Process&) = delete;

  bool Started() const { return pid_ > 0; }
  void Write(const std::string& text) {
    if (in_ >= 0) {
      [[maybe_unused]] ssize_t n = ::write(in_, text.data(), text.size());
    }
  }
  void CloseInput() {
    if (in_ >= 0) close(in_);
    in_ = -1;
  }
  // One line of standard output, without the newline; nullopt on time-out.
  std::optional<std::string> ReadLine(int timeout_ms) {
    auto deadline = Clock::now() + std::chrono::milliseconds(timeout_ms);
    for (;;) {
      size_t eol = out_text_.find('\n');
      if (eol != std::string::npos) {
        std::string line = out_text_.substr(0, eol);
        out_text_.erase(0, eol + 1);
        return line;
      }
      if (Clock::now() >= deadline || out_eof_) return std::nullopt;
      Pump(50);
    }
  }
  void Signal(int sig) {
    if (pid_ > 0 && !status_) kill(pid_, sig);
  }
  // Waits for the end (killing the program after `timeout_ms`); collects
  // what it printed. Returns the exit status, or -1 when it had to be killed.
  int Wait(int timeout_ms) {
    auto deadline = Clock::now() + std::chrono::milliseconds(timeout_ms);
    while (!status_) {
      int st = 0;
      pid_t r = waitpid(pid_, &st, WNOHANG);
      if (r == pid_) {
        status_ = WIFEXITED(st) ? WEXITSTATUS(st) : 128 + WTERMSIG(st);
        break;
      }
      if (Clock::now() >= deadline) {
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
        status_ = -1;
        break;
      }
      Pump(20);
    }
    while (Pump(0)) {
    }
    return *status_;
  }
  const std::string& Out() const { return out_text_; }
  const std::string& Err() const { return err_text_; }

 private:
  using Clock = std::chrono::steady_clock;
  // Reads what is there; false when nothing came within `ms`.
  bool Pump(int ms) {
    pollfd p[2] = {{out_, POLLIN, 0}, {err_, POLLIN, 0}};
    if (poll(p, 2, ms) <= 0) return false;
    bool got = false;
    char buf[4096];
    for (auto [fd, text] : {std::pair{out_, &out_text_}, std::pair{err_, &err_text_}}) {
      ssize_t n = ::read(fd, buf, sizeof buf);
      if (n > 0) {
        text->append(buf, static_cast<size_t>(n));
        got = true;
      } else if (n == 0 && fd == out_) {
        out_eof_ = true;
      }
    }
    return got;
  }
  pid_t pid_ = -1;
  int in_ = -1, out_ = -1, err_ = -1;
  std::string out_text_, err_text_;
  std::optional<int> status_;
  bool out_eof_ = false;
};

}  // namespace varnek::sim::test
