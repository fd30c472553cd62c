// The transport every simulated rig shares: the pty, line-rate pacing,
// split answers, faults, the hex log and the control commands.
#include "sim/simulator.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <mutex>
#include <random>
#include <sstream>
#include <stdexcept>
#include <thread>

#include "sim/protocol.h"

namespace varnek::sim {
namespace {

using Clock = std::chrono::steady_clock;

// Bits on the line per byte: start, data, parity, stop ("8N1" -> 10).
int BitsPerByte(const std::string& frame) {
  if (frame.size() != 3 || frame[0] < '5' || frame[0] > '8' ||
      std::string("NEOMS").find(frame[1]) == std::string::npos ||
      (frame[2] != '1' && frame[2] != '2'))
    throw std::invalid_argument("frame must look like 8N1 or 7E2, not '" + frame + "'");
  return 1 + (frame[0] - '0') + (frame[1] == 'N' ? 0 : 1) + (frame[2] - '0');
}

std::string HexBytes(const std::string& bytes) {
  static const char* digits = "0123456789ABCDEF";
  std::string s;
  for (unsigned char b : bytes) {
    if (!s.empty()) s += ' ';
    s += digits[b >> 4];
    s += digits[b & 15];
  }
  return s;
}

constexpr int kMaxGarbage = 4096;
constexpr int kMaxFlood = 1 << 20;

bool ParseCount(const std::string& s, int& out) {
  if (s.empty() || s.size() > 9 || s.find_first_not_of("0123456789") != std::string::npos)
    return false;
  out = std::stoi(s);
  return true;
}

}  // namespace

struct Simulator::Impl {
  Options opt;
  const RigModel* model = nullptr;
  std::unique_ptr<Protocol> proto;
  int bits_per_byte = 10;

  mutable std::mutex mu;  // guards proto, faults and the counters
  Faults faults;
  long commands = 0;
  long answers = 0;
  long hangup_at = -1;

  int master = -1;
  int slave = -1;
  int stop_pipe[2] = {-1, -1};
  std::thread thread;
  std::atomic<bool> running{false};
  std::atomic<bool> hung{false};
  std::string path;
  bool linked = false;

  Clock::time_point line_free;  // when the line has sent all it was given

  std::mutex log_mu;
  FILE* log = nullptr;
  std::mt19937 rng;

  void Log(const char* dir, const std::string& text) {
    std::lock_guard lock(log_mu);
    if (!log) return;
    auto now = std::chrono::system_clock::now();
    auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count();
    long day_ms = static_cast<long>(ms % 86400000);
    std::fprintf(log, "%02ld:%02ld:%02ld.%03ld %s %s\n", day_ms / 3600000, day_ms / 60000 % 60,
                 day_ms / 1000 % 60, day_ms % 1000, dir, text.c_str());
    std::fflush(log);
  }

  // Sleeps until `deadline`; false when Stop() interrupted the wait.
  bool WaitUntil(Clock::time_point deadline) {
    for (;;) {
      auto left = deadline - Clock::now();
      if (left <= Clock::duration::zero()) return true;
      auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(left).count();
      timespec ts{static_cast<time_t>(ns / 1000000000), static_cast<long>(ns % 1000000000)};
      pollfd p{stop_pipe[0], POLLIN, 0};
      int r = ppoll(&p, 1, &ts, nullptr);
      if (r > 0) return false;
    }
  }
  bool WaitMs(int ms) { return ms <= 0 || WaitUntil(Clock::now() + std::chrono::milliseconds(ms)); }

  // Writes everything or gives up after a generous time when nobody reads.
  bool WriteAll(const char* data, size_t size) {
    while (size > 0) {
      ssize_t n = ::write(master, data, size);
      if (n > 0) {
        data += n;
        size -= static_cast<size_t>(n);
        continue;
      }
      if (n < 0 && errno == EINTR) continue;
      if (n < 0 && errno != EAGAIN) return false;
      pollfd p[2] = {{master, POLLOUT, 0}, {stop_pipe[0], POLLIN, 0}};
      int r = poll(p, 2, 5000);
      if (r <= 0 || p[1].revents) {
        Log("--", "write gave up: the client does not read");
        return false;
      }
    }
    return true;
  }

  // Sends one answer: in pieces for --split, a byte at a time when the rig
  // was asked for gaps between bytes, and never faster than the line rate:
  // each byte is written only once the line could have carried it.
  void Send(const std::string& bytes, int byte_gap_ms) {
    size_t piece = bytes.size();
    int gap = 0;
    if (opt.split > 0) {
      piece = static_cast<size_t>(opt.split);
      gap = opt.split_gap_ms;
    }
    if (byte_gap_ms > 0) {
      piece = 1;
      gap = byte_gap_ms;
    }
    auto byte_time =
        std::chrono::nanoseconds(opt.baud > 0 ? 1000000000LL * bits_per_byte / opt.baud : 0);
    // Bytes per write while pacing: about a millisecond's worth.
    size_t burst = 1;
    if (byte_time.count() > 0 && byte_time < std::chrono::milliseconds(1))
      burst =
          static_cast<size_t>(std::chrono::nanoseconds(std::chrono::milliseconds(1)) / byte_time);
    if (line_free < Clock::now()) line_free = Clock::now();
    for (size_t at = 0; at < bytes.size(); at += piece) {
      size_t len = std::min(piece, bytes.size() - at);
      if (byte_time.count() == 0) {
        if (!WriteAll(bytes.data() + at, len)) return;
      } else {
        for (size_t b = 0; b < len; b += burst) {
          size_t n = std::min(burst, len - b);
          line_free += byte_time * static_cast<long>(n);
          if (!WaitUntil(line_free) || !WriteAll(bytes.data() + at + b, n)) return;
        }
      }
      if (at + len < bytes.size()) {
        if (!WaitMs(gap)) return;
        if (line_free < Clock::now()) line_free = Clock::now();
      }
    }
  }

  // Both with `mu` held. A hang-up is armed as "after N more commands".
  Faults CurrentFaults() const {
    Faults f = faults;
    if (hangup_at >= 0) f.hangup_after = static_cast<int>(hangup_at - commands);
    return f;
  }
  void InstallFaults(const Faults& f) {
    // Bounded so that a typo cannot make the simulator build a gigabyte of noise.
    if (f.garbage < 0 || f.garbage > kMaxGarbage || f.drop_every < 0 || f.hangup_after < 0 ||
        f.flood < 0 || f.flood > kMaxFlood)
      throw std::invalid_argument("fault out of range (garbage 0-" + std::to_string(kMaxGarbage) +
                                  ", flood 0-" + std::to_string(kMaxFlood) +
                                  ", drop and hangup not negative)");
    faults = f;
    hangup_at = f.hangup_after > 0 ? commands + f.hangup_after : -1;
  }

  void HangUp() {
    // Let the client read the last answers first: closing the master throws
    // away whatever still waits on the slave side. The kernel moves written
    // bytes across a little later, so the queue counts as empty only once it
    // has stayed empty for a while.
    auto limit = Clock::now() + std::chrono::seconds(1);
    for (int quiet = 0; quiet < 3 && Clock::now() < limit;) {
      if (!WaitMs(15)) break;
      int waiting = 0;
      if (ioctl(slave, FIONREAD, &waiting) != 0) break;
      quiet = waiting > 0 ? 0 : quiet + 1;
    }
    Log("--", "hang-up");
    hung = true;
    running = false;
    if (master >= 0) ::close(master);
    if (slave >= 0) ::close(slave);
    master = slave = -1;
  }

  std::string Noise(int count) {
    std::string s;
    std::uniform_int_distribution<int> byte(0, 255);
    for (int i = 0; i < count; ++i)
      s += static_cast<char>(byte(rng));
    return s;
  }

  void Process(const std::string& cmd) {
    std::string answer, flood;
    bool hang = false;
    int byte_gap = 0;
    {
      std::lock_guard lock(mu);
      ++commands;
      if (faults.refuse_all || faults.refuse_next) {
        faults.refuse_next = false;
        answer = proto->Refusal(cmd);
      } else {
        answer = proto->Handle(cmd);
      }
      if (faults.silence) answer.clear();
      if (!answer.empty()) {
        ++answers;
        if (faults.drop_every > 0 && answers % faults.drop_every == 0) {
          answer.clear();
          Log("--", "answer dropped");
        }
      }
      if (!answer.empty() && faults.garbage > 0) {
        std::string noise = Noise(faults.garbage);
        for (char c : noise) {
          std::uniform_int_distribution<size_t> where(0, answer.size());
          answer.insert(answer.begin() + static_cast<long>(where(rng)), c);
        }
      }
      if (!answer.empty() && faults.flood > 0) {
        flood = Noise(faults.flood);
        faults.flood = 0;
      }
      hang = hangup_at >= 0 && commands >= hangup_at;
      byte_gap = proto->ByteGapMs();
    }
    if (!answer.empty()) {
      if (!WaitMs(opt.latency_ms)) return;
      if (!flood.empty()) {
        Log("NZ", HexBytes(flood));
        Send(flood, 0);
      }
      Log("TX", HexBytes(answer));
      Send(answer, byte_gap);
    }
    if (hang) HangUp();
  }

  void Loop() {
    std::string pending;
    char buf[4096];
    while (running) {
      pollfd p[2] = {{master, POLLIN, 0}, {stop_pipe[0], POLLIN, 0}};
      int r = poll(p, 2, 500);
      if (r < 0 && errno != EINTR) break;
      if (p[1].revents) break;
      if (r <= 0) continue;
      if (!(p[0].revents & POLLIN)) {
        // Hang-up or error on the master while our own slave fd is open
        // should not happen; back off instead of spinning.
        if (!WaitMs(50)) break;
        continue;
      }
      ssize_t n = ::read(master, buf, sizeof buf);
      if (n <= 0) {
        if (n < 0 && (errno == EAGAIN || errno == EINTR)) continue;
        if (!WaitMs(50)) break;
        continue;
      }
      std::string bytes(buf, static_cast<size_t>(n));
      Log("RX", HexBytes(bytes));
      if (proto->Echoes()) {
        Log("EC", HexBytes(bytes));
        WriteAll(bytes.data(), bytes.size());
      }
      pending += bytes;
      for (;;) {
        std::optional<std::string> cmd;
        {
          std::lock_guard lock(mu);
          cmd = proto->Extract(pending);
        }
        if (!cmd) break;
        Process(*cmd);
        if (hung) return;
      }
    }
  }
};

Simulator::Simulator(Options options) : impl_(std::make_unique<Impl>()) {
  impl_->opt = std::move(options);
  impl_->model = FindRig(impl_->opt.rig);
  if (!impl_->model) throw std::invalid_argument("unknown rig '" + impl_->opt.rig + "'");
  impl_->bits_per_byte =
      BitsPerByte(impl_->opt.frame.empty() ? impl_->model->frame : impl_->opt.frame);
  const Options& o = impl_->opt;
  if (o.address < 0 || o.address > 0xDF) throw std::invalid_argument("CI-V address must be 00-DF");
  if (o.baud < 0 || o.latency_ms < 0 || o.split < 0 || o.split_gap_ms < 0)
    throw std::invalid_argument("baud, latency and split must not be negative");
  if (o.ft1000_store_base != 0 && o.ft1000_store_base != 1)
    throw std::invalid_argument("FT-1000 store base must be 0 or 1");
  if (o.ft920_empty_byte < 0 || o.ft920_empty_byte > 0xFF)
    throw std::invalid_argument("FT-920 empty byte must be one byte");
  impl_->proto = impl_->model->make(impl_->opt);
  impl_->proto->tunable = TunableRanges(impl_->model->name);
  if (o.ts480_low_khz != 50 && o.ts480_low_khz != 100)
    throw std::invalid_argument("TS-480 lowest frequency must be 50 or 100 kHz");
  if (impl_->model->name == "Kenwood TS-480") impl_->proto->tunable[0].low = o.ts480_low_khz * 1000;
  impl_->rng.seed(impl_->opt.seed);
  SetFaults(impl_->opt.faults);
}

Simulator::~Simulator() {
  Stop();
}

std::string Simulator::Start() {
  Impl& s = *impl_;
  if (s.running) return s.path;
  if (!s.opt.memory_file.empty()) {
    std::ifstream in(s.opt.memory_file, std::ios::binary);
    if (!in) throw std::runtime_error("cannot read memory image " + s.opt.memory_file);
    std::stringstream text;
    text << in.rdbuf();
    Memory memory = ParseMemoryImage(text.str());
    for (const auto& [n, ch] : memory) {
      std::string why = s.proto->CheckChannel(n, ch);
      if (!why.empty())
        throw std::runtime_error("memory image: channel " + std::to_string(n) + ": " + why);
    }
    std::lock_guard lock(s.mu);
    s.proto->memory = memory;
  }
  if (!s.opt.log_file.empty()) {
    s.log = std::fopen(s.opt.log_file.c_str(), "w");
    if (!s.log) throw std::runtime_error("cannot write log " + s.opt.log_file);
  }
  s.master = posix_openpt(O_RDWR | O_NOCTTY);
  if (s.master < 0 || grantpt(s.master) != 0 || unlockpt(s.master) != 0)
    throw std::runtime_error(std::string("cannot open a pty: ") + std::strerror(errno));
  char name[128];
  if (ptsname_r(s.master, name, sizeof name) != 0) throw std::runtime_error("cannot name the pty");
  s.path = name;
  // Our own slave fd keeps the line up while clients come and go; without it
  // the master sees a hang-up every time a client closes the device.
  s.slave = ::open(name, O_RDWR | O_NOCTTY);
  if (s.slave < 0) throw std::runtime_error("cannot open " + s.path);
  termios t{};
  tcgetattr(s.slave, &t);
  cfmakeraw(&t);
  tcsetattr(s.slave, TCSANOW, &t);
  fcntl(s.master, F_SETFL, fcntl(s.master, F_GETFL) | O_NONBLOCK);
  if (pipe(s.stop_pipe) != 0) throw std::runtime_error("cannot make a pipe");
  if (!s.opt.link.empty()) {
    // Replace a stale link from an earlier run, but never a real file.
    struct stat st {};
    if (::lstat(s.opt.link.c_str(), &st) == 0) {
      if (!S_ISLNK(st.st_mode))
        throw std::runtime_error(s.opt.link + " exists and is not a symlink; not replacing it");
      ::unlink(s.opt.link.c_str());
    }
    if (::symlink(s.path.c_str(), s.opt.link.c_str()) != 0)
      throw std::runtime_error("cannot link " + s.opt.link + " to " + s.path);
    s.linked = true;
  }
  s.Log("--", "rig " + s.opt.rig + " on " + s.path);
  s.running = true;
  s.thread = std::thread([&s] { s.Loop(); });
  return s.path;
}

void Simulator::Stop() {
  Impl& s = *impl_;
  if (s.thread.joinable()) {
    if (s.stop_pipe[1] >= 0) {
      char c = 1;
      [[maybe_unused]] ssize_t n = ::write(s.stop_pipe[1], &c, 1);
    }
    s.thread.join();
  }
  s.running = false;
  if (s.master >= 0) ::close(s.master);
  if (s.slave >= 0) ::close(s.slave);
  s.master = s.slave = -1;
  for (int& fd : s.stop_pipe) {
    if (fd >= 0) ::close(fd);
    fd = -1;
  }
  if (s.linked) {
    // Only our own link: another run may have taken the name since.
    char target[256];
    ssize_t n = ::readlink(s.opt.link.c_str(), target, sizeof target - 1);
    if (n > 0 && std::string(target, static_cast<size_t>(n)) == s.path)
      ::unlink(s.opt.link.c_str());
    s.linked = false;
  }
  std::lock_guard lock(s.log_mu);
  if (s.log) std::fclose(s.log);
  s.log = nullptr;
}

const std::string& Simulator::DevicePath() const {
  return impl_->path;
}
bool Simulator::Running() const {
  return impl_->running;
}
bool Simulator::HungUp() const {
  return impl_->hung;
}

Memory Simulator::Channels() const {
  std::lock_guard lock(impl_->mu);
  return impl_->proto->memory;
}

std::optional<Channel> Simulator::GetChannel(int number) const {
  std::lock_guard lock(impl_->mu);
  auto it = impl_->proto->memory.find(number);
  if (it == impl_->proto->memory.end()) return std::nullopt;
  return it->second;
}

void Simulator::SetChannel(int number, const Channel& channel) {
  std::lock_guard lock(impl_->mu);
  std::string why = impl_->proto->CheckChannel(number, channel);
  if (!why.empty()) throw std::invalid_argument("channel " + std::to_string(number) + ": " + why);
  impl_->proto->memory[number] = channel;
}

void Simulator::ClearChannel(int number) {
  std::lock_guard lock(impl_->mu);
  impl_->proto->memory.erase(number);
}

int Simulator::FirstChannel() const {
  return impl_->proto->first_channel;
}
int Simulator::LastChannel() const {
  return impl_->proto->last_channel;
}

Faults Simulator::GetFaults() const {
  std::lock_guard lock(impl_->mu);
  return impl_->CurrentFaults();
}

void Simulator::SetFaults(const Faults& faults) {
  std::lock_guard lock(impl_->mu);
  impl_->InstallFaults(faults);
}

long Simulator::CommandsReceived() const {
  std::lock_guard lock(impl_->mu);
  return impl_->commands;
}

void Simulator::DumpMemory(const std::string& path) const {
  std::string text = FormatMemoryImage(Channels());
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << text;
  if (!out) throw std::runtime_error("cannot write memory image " + path);
}

std::string Simulator::Control(std::string_view line) {
  std::istringstream in{std::string(line)};
  std::string cmd, arg, rest;
  in >> cmd >> arg >> rest;
  if (!rest.empty()) return "error: too many words in '" + std::string(line) + "'";
  int n = 0;
  // A fault command is a change applied under the lock, so that the serving
  // thread cannot consume a "refuse next" between reading and writing back.
  std::function<void(Faults&)> change;
  if (cmd == "silence" && (arg == "on" || arg == "off")) {
    change = [on = arg == "on"](Faults& f) { f.silence = on; };
  } else if (cmd == "garbage" && ParseCount(arg, n)) {
    change = [n](Faults& f) { f.garbage = n; };
  } else if (cmd == "drop" && ParseCount(arg, n)) {
    change = [n](Faults& f) { f.drop_every = n; };
  } else if (cmd == "hangup" && ParseCount(arg, n)) {
    change = [n](Faults& f) { f.hangup_after = n; };
  } else if (cmd == "flood" && ParseCount(arg, n)) {
    change = [n](Faults& f) { f.flood = n; };
  } else if (cmd == "refuse" && (arg == "next" || arg == "all" || arg == "off")) {
    change = [arg](Faults& f) {
      f.refuse_next = arg == "next";
      f.refuse_all = arg == "all";
    };
  } else if ((cmd == "clear" || cmd == "faults") && arg.empty()) {
    change = [clear = cmd == "clear"](Faults& f) {
      if (clear) f = Faults{};
    };
  } else if (cmd == "count" && arg.empty()) {
    return std::to_string(CommandsReceived());
  } else if (cmd == "channels" && arg.empty()) {
    return FormatMemoryImage(Channels());
  } else if (cmd == "channel" && ParseCount(arg, n)) {
    auto ch = GetChannel(n);
    if (!ch) return "empty";
    std::string text = FormatMemoryImage(Memory{{n, *ch}});
    return text.substr(text.find('\n') + 1, text.size() - text.find('\n') - 2);
  } else if (cmd == "dump" && !arg.empty()) {
    try {
      DumpMemory(arg);
    } catch (const std::exception& e) {
      return std::string("error: ") + e.what();
    }
    return "dumped to " + arg;
  } else if (cmd == "help" && arg.empty()) {
    return "silence on|off, garbage N, drop N, hangup N, flood N, refuse next|all|off, clear, "
           "faults, count, channels, channel N, dump FILE, quit";
  } else {
    return "error: unknown command '" + std::string(line) + "' (try help)";
  }
  Faults f;
  {
    std::lock_guard lock(impl_->mu);
    f = impl_->CurrentFaults();
    change(f);
    try {
      impl_->InstallFaults(f);
    } catch (const std::invalid_argument& e) {
      return std::string("error: ") + e.what();
    }
  }
  return "silence " + std::string(f.silence ? "on" : "off") + ", garbage " +
         std::to_string(f.garbage) + ", drop " + std::to_string(f.drop_every) + ", hangup " +
         std::to_string(f.hangup_after) + ", flood " + std::to_string(f.flood) + ", refuse " +
         (f.refuse_all    ? "all"
          : f.refuse_next ? "next"
                          : "off");
}

}  // namespace varnek::sim
