// Reads and writes of a full memory bank, timed four ways on the same
// simulated rig: with the classic fixed pauses at the rig's reset defaults,
// answer-paced, as the bare line would allow, and by Hamlib's rigmem.
//
// The simulator sends its answers no faster than the line rate, but takes
// what it is sent at once (a pty does not pace), so the wall time of a run
// carries the answers' line time and none of the requests'. The line limit
// therefore counts both directions from the bytes the program's device
// really wrote and read, each at the frame's bits per byte. On a CI-V bus
// the echo is the request itself coming back over the one wire: it is
// counted once, as sent.
//
// Built without VARNEK_BENCH_CLASSIC_ONLY it also needs the answer-paced
// option; with it, only the classic rows are printed, so that an older tree
// (before that option) can run the very same classic cases for comparison.
#include "paced_bench.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <set>
#include <sstream>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "base/headless_host.h"
#include "app/program.h"
#include "settings/rig_settings.h"
#include "base/text.h"
#include "bench_support.h"
#include "serial/serial_device.h"
#include "serial/serial_port.h"
#include "sim/simulator.h"

extern char** environ;

namespace varnek::bench {
namespace {

using Clock = std::chrono::steady_clock;

struct Rig {
  const char* selection;
  const char* label;
  const char* mode;          // USB in the simulator's own codes
  int classicStride;         // classic runs move every Nth channel (CI-V: 3-4 s each)
  int answerGapMs;           // the pause the run asks the rig to keep after each answer byte
  int hamlibModel;           // 0: Hamlib 4.5.4 cannot read and write its memories
  const char* hamlibHeader;  // rigmem's CSV columns for this backend
  const char* hamlibTail;    // the row after "num,freq,mode,"
};
const Rig kRigs[] = {
    {"Kenwood TS-570", "ts570", "2", 2, 0, 2016, "num,freq,mode,tx_freq,tx_mode,split,ctcss_tone,",
     "0,,off,0,"},
    {"Kenwood TS-2000", "ts2000", "2", 2, 0, 2014,
     "num,channel_desc,freq,mode,tx_freq,tx_mode,split,rptr_shift,rptr_offs,tuning_step,funcs,"
     "ctcss_tone,ctcss_sql,dcs_code,dcs_sql,scan_group,flags,",
     "0,,off,None,0,1000,0,0,0,0,0,0,0,"},
    {"Yaesu FT-2000", "ft2000", "2", 2, 0, 1029,
     "num,freq,mode,rptr_shift,rit,xit,ctcss_tone,ctcss_sql,", "None,0,0,0,0,"},
    {"Icom IC-CI-V", "icom", "01", 4, 0, 0, "", ""},
    {"Yaesu FT-1000", "ft1000", "01", 2, 18, 0, "", ""},
    {"Yaesu FT-920", "ft920", "01", 2, 18, 0, "", ""},
};

// Counts what the program's serial device writes and reads.
class CountingDevice : public SerialDevice {
 public:
  explicit CountingDevice(std::unique_ptr<SerialDevice> inner) : inner_(std::move(inner)) {}
  void Restart() {
    sent_ = 0;
    received_ = 0;
  }
  long long Sent() const { return sent_; }
  long long Received() const { return received_; }

  uint32_t Open(const std::string& path) override { return inner_->Open(path); }
  uint32_t Close() override { return inner_->Close(); }
  bool IsOpen() const override { return inner_->IsOpen(); }
  uint32_t SetQueueSizes(uint32_t rx, uint32_t tx) override {
    return inner_->SetQueueSizes(rx, tx);
  }
  uint32_t GetLineSettings(LineSettings& s) override { return inner_->GetLineSettings(s); }
  uint32_t SetLineSettings(const LineSettings& s) override { return inner_->SetLineSettings(s); }
  uint32_t SetEventMask(uint32_t mask) override { return inner_->SetEventMask(mask); }
  uint32_t GetModemStatus(uint32_t& word) override { return inner_->GetModemStatus(word); }
  uint32_t ClearError(CommStatus& status) override { return inner_->ClearError(status); }
  uint32_t Read(char* buffer, size_t count, size_t& got) override {
    const uint32_t r = inner_->Read(buffer, count, got);
    received_ += static_cast<long long>(got);
    return r;
  }
  uint32_t Write(const char* data, size_t count, size_t& written) override {
    const uint32_t r = inner_->Write(data, count, written);
    sent_ += static_cast<long long>(written);
    return r;
  }
  uint32_t Purge() override { return inner_->Purge(); }
  uint32_t SetDtr(bool on) override { return inner_->SetDtr(on); }
  uint32_t SetRts(bool on) override { return inner_->SetRts(on); }
  uint32_t SetBreak(bool on) override { return inner_->SetBreak(on); }
  WaitOutcome Wait(std::chrono::microseconds timeout, bool watchInput, bool watchOutput,
                   uint32_t& events, uint32_t& error) override {
    return inner_->Wait(timeout, watchInput, watchOutput, events, error);
  }
  void Wake() override { inner_->Wake(); }
  void IdleWait(int ms) override { inner_->IdleWait(ms); }

 private:
  std::unique_ptr<SerialDevice> inner_;
  std::atomic<long long> sent_{0}, received_{0};
};

// The frequency a write puts into channel n, as the table shows it and in Hz.
std::string WrittenText(int n) {
  return "14.2" + ChannelText(n) + ".000";
}
std::int64_t WrittenHz(int n) {
  return 14200000 + 1000LL * n;
}

sim::Options SimOptions(const Rig& rig, int baud, const std::string& logFile) {
  sim::Options o;
  o.rig = rig.selection;
  o.baud = baud;
  o.log_file = logFile;  // the rig's default frame: 8N1, the Yaesus 8N2
  return o;
}

void FillMemory(sim::Simulator& s, const Rig& rig) {
  for (int n = s.FirstChannel(); n <= s.LastChannel(); ++n) {
    sim::Channel c;
    c.hz = 14000000 + 1000LL * n;
    c.mode = rig.mode;
    try {
      s.SetChannel(n, c);
    } catch (const std::invalid_argument&) {
      // A channel this rig cannot hold stays empty.
    }
  }
}

struct Result {
  double seconds = 0;
  long long sent = 0, received = 0;
  int channels = 0;
  // Channels without an answer, rows a read left empty, writes that did
  // not land.
  std::set<int> missing;
  std::set<int> unanswered;  // of those: the ones the program itself reported
};

// The program against one simulated rig at one line rate, set up as a reset
// of the rig's settings leaves it, with the port at that rate.
class Session {
 public:
  Session(const Rig& rig, int baud, const std::string& logFile)
      : sim_(SimOptions(rig, baud, logFile)) {
    const std::string device = sim_.Start();
    FillMemory(sim_, rig);
    auto counting = std::make_unique<CountingDevice>(MakePosixSerialDevice());
    device_ = counting.get();
    program_ = std::make_unique<Program>(host_, home_.Environment(), std::move(counting));
    program_->FormCreate();
    program_->SetDLG.portPaths.Set("COM1", device);
    program_->FormShow();
    Form().cbxRig.UserInput(rig.selection);  // no saved line: the reset's defaults
    // The intervals exactly as the runs benchmark sets them at SCALE 1.
    const RigDefaults d = DefaultsFor(ModelCodeOf(rig.selection));
    const int channel = d.channelInterval.value_or(150);
    const int command = d.commandInterval.value_or(150);
    const int loop = d.loopWait.value_or(75);
    Form().edIntval.UserInput(std::to_string(channel));
    Form().edWait.SetText(std::to_string(command));
    Form().shared.CommandInterval = command;
    program_->SetDLG.edLoopWait.SetText(std::to_string(loop));
    Form().shared.IcomLoopWait = loop;
    program_->SetDLG.CBPort.SetItemIndex(0);
    const int baudPos = ItemPosition(program_->SetDLG.CBBaud.Items(), std::to_string(baud));
    if (baudPos < 0) throw std::runtime_error("no baud rate " + std::to_string(baud));
    program_->SetDLG.CBBaud.SetItemIndex(baudPos);
    program_->SetDLG.ApplyDialogToPort(program_->SerialPort1);
    if (!program_->SerialPort1.Active()) throw std::runtime_error("port did not open: " + device);
    first_ = std::max(0, sim_.FirstChannel());
    last_ = std::min(TMainForm::kChannels - 1, sim_.LastChannel());
  }
  ~Session() {
    program_.reset();
    sim_.Stop();
  }

  TMainForm& Form() { return program_->MainForm; }
  int First() const { return first_; }
  int Last() const { return last_; }
  TSerialPort& Port() { return program_->SerialPort1; }

  // Reads (or writes) every `stride`th channel from the first on, with the
  // pacing chosen. A stride leaves the rows it skips unchecked, as a user
  // would, so the run still passes every row (the load lengthens its
  // interval after row 49 whether that row is checked or not).
  Result Measure(Transfers::Run run, bool paced, int stride = 1) {
#ifndef VARNEK_BENCH_CLASSIC_ONLY
    program_->SetDLG.SetOptions(RigOptions{paced, false});
#else
    if (paced) throw std::logic_error("this build has classic pacing only");
#endif
    const auto picked = [&](int n) {
      return n >= first_ && n <= last_ && (n - first_) % stride == 0;
    };
    for (int n = 0; n < TMainForm::kChannels; ++n)
      Form().cb[n].SetChecked(picked(n));
    for (int n = first_; n <= last_; ++n) {
      if (!picked(n)) continue;
      if (run == Transfers::Run::Save) {
        Form().SetChannel(ChannelText(n), WrittenText(n), "USB", "");
        sim_.ClearChannel(n);
      } else {
        Form().SetChannel(ChannelText(n), "", "", "");
      }
    }
    Quiet();
    host_.ClearEvents();
    device_->Restart();
    Transfers& t = program_->transfers;
    const auto start = Clock::now();
    if (run == Transfers::Run::Load)
      t.LoadFromRig1Click();
    else
      t.SaveToRig1Click();
    host_.WaitFor([&] { return !t.Busy(); }, 600000);
    Result r;
    r.seconds = Seconds(Clock::now() - start);
    t.WaitForLoad(10000);
    Quiet();  // the bytes of the run's last answer
    r.sent = device_->Sent();
    r.received = device_->Received();
    for (int n = first_; n <= last_; ++n) {
      if (!picked(n)) continue;
      ++r.channels;
      if (run == Transfers::Run::Load) {
        if (Form().A[n].Text().empty()) r.missing.insert(n);
      } else {
        const std::optional<sim::Channel> c = sim_.GetChannel(n);
        if (!c || std::llabs(c->hz - WrittenHz(n)) > 10) r.missing.insert(n);
      }
    }
#ifndef VARNEK_BENCH_CLASSIC_ONLY
    for (const std::string& channel : t.Unanswered())
      r.unanswered.insert(StrToInt(channel));
    r.missing.insert(r.unanswered.begin(), r.unanswered.end());
#endif
    return r;
  }

 private:
  // Lets the rig's last answers of the previous run be parsed first.
  void Quiet() {
    long last = -1;
    for (int quiet = 0; quiet < 200;) {
      host_.WaitFor([] { return false; }, 50);
      const long n = sim_.CommandsReceived();
      quiet = (n == last && program_->SerialPort1.FirstClusterSize() < 0) ? quiet + 50 : 0;
      last = n;
    }
  }

  sim::Simulator sim_;
  HeadlessHost host_;
  ScratchHome home_;
  CountingDevice* device_ = nullptr;
  std::unique_ptr<Program> program_;
  int first_ = 0, last_ = 99;
};

#ifndef VARNEK_BENCH_CLASSIC_ONLY

const char* const kRigmem = "/usr/bin/rigmem";

// Runs a program with a time limit; its exit status, or -1 when it had to
// be killed or could not start. Output goes to `log`; `cpuSeconds`, when
// given, gets the CPU time (user and system) the program used.
int RunWithLimit(const std::vector<std::string>& argv, const std::string& log, int limitMs,
                 double* cpuSeconds = nullptr) {
  std::vector<char*> args;
  for (const std::string& a : argv)
    args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  posix_spawn_file_actions_t files;
  posix_spawn_file_actions_init(&files);
  posix_spawn_file_actions_addopen(&files, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&files, 1, log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_adddup2(&files, 1, 2);
  pid_t pid = 0;
  const int spawned = posix_spawn(&pid, args[0], &files, nullptr, args.data(), environ);
  posix_spawn_file_actions_destroy(&files);
  if (spawned != 0) return -1;
  const auto deadline = Clock::now() + std::chrono::milliseconds(limitMs);
  int status = 0;
  struct rusage usage {};
  for (;;) {
    const pid_t done = wait4(pid, &status, WNOHANG, &usage);
    if (done == pid) break;
    if (Clock::now() > deadline) {
      kill(pid, SIGKILL);
      waitpid(pid, &status, 0);
      return -1;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  if (cpuSeconds != nullptr)
    *cpuSeconds = static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                  static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

struct RigmemResult {
  double seconds = NAN;  // for `count` channels; NaN when rigmem failed
  double cpu = NAN;      // CPU seconds for `count` channels
  int channels = 0;      // how many it really moved
  int missing = 0;       // of a load: channels that did not land
};

// rigmem save (a read of the rig's whole memory, scaled to `count`
// channels) or load (a write of exactly `count` channels) on a fresh
// simulator at the same line rate. Hamlib's own settings stay as they come,
// as a user gets them.
RigmemResult Rigmem(const Rig& rig, int baud, bool save, int first, int count,
                    const std::string& folder, const std::string& logFile) {
  RigmemResult r;
  sim::Simulator s(SimOptions(rig, baud, logFile));
  const std::string device = s.Start();
  const std::string csv = folder + (save ? "save.csv" : "load.csv");
  if (save) {
    FillMemory(s, rig);
  } else {
    std::ofstream out(csv);
    out << rig.hamlibHeader << "\n";
    for (int n = first; n < first + count; ++n) {
      out << n << ",";
      if (std::string(rig.hamlibHeader).find("channel_desc") != std::string::npos) out << ",";
      out << WrittenHz(n) << ",USB," << rig.hamlibTail << "\n";
    }
  }
  const auto start = Clock::now();
  const int status = RunWithLimit({kRigmem, "-m", std::to_string(rig.hamlibModel), "-r", device,
                                   "-s", std::to_string(baud), save ? "save" : "load", csv},
                                  folder + "rigmem.log", 600000, &r.cpu);
  const double seconds = Seconds(Clock::now() - start);
  if (status != 0) {
    std::fprintf(stderr, "varnek-bench: rigmem %s for %s at %d failed (%d): %s\n",
                 save ? "save" : "load", rig.label, baud, status,
                 ReadAll(folder + "rigmem.log").substr(0, 400).c_str());
    s.Stop();
    return r;
  }
  if (save) {
    std::istringstream in(ReadAll(csv));
    std::string line;
    std::getline(in, line);  // the header
    while (std::getline(in, line))
      if (!line.empty()) ++r.channels;
    r.seconds = r.channels > 0 ? seconds * count / r.channels : NAN;
    r.cpu = r.channels > 0 ? r.cpu * count / r.channels : NAN;
  } else {
    r.channels = count;
    r.seconds = seconds;
    for (int n = first; n < first + count; ++n) {
      const std::optional<sim::Channel> c = s.GetChannel(n);
      if (!c || c->hz != WrittenHz(n)) ++r.missing;
    }
  }
  s.Stop();
  return r;
}

// One answer-paced read or write of channels `first`..`last` by varnek-cli
// against a fresh simulator at `baud`: its CPU seconds and wall time.
struct CliRun {
  double cpu = NAN, seconds = NAN;
  int missing = 0;
};

CliRun CliCpu(const Rig& rig, int baud, bool read, const std::string& folder) {
  CliRun r;
  sim::Simulator s(SimOptions(rig, baud, ""));
  const std::string device = s.Start();
  const int first = std::max(1, s.FirstChannel()), last = std::min(99, s.LastChannel());
  const std::string table = folder + "table.txt", out = folder + "out.txt";
  if (read) {
    FillMemory(s, rig);
  } else {
    std::ofstream t(table);
    for (int n = first; n <= last; ++n)
      t << ChannelText(n) << '\t' << WrittenText(n) << "\tUSB\t\r\n";
  }
  const std::string channels = std::to_string(first) + "-" + std::to_string(last);
  std::vector<std::string> args = {VARNEK_CLI_PATH,  "--settings-dir", folder + "settings",
                                   "--rig",          rig.selection,    "--port",
                                   device,           "--baud",         std::to_string(baud),
                                   "--wait-for-answers", "on"};
  if (read) {
    args.insert(args.end(), {"--out", out, "read", channels});
  } else {
    args.insert(args.end(), {"--table", table, "write", channels});
  }
  const auto start = Clock::now();
  const int status = RunWithLimit(args, folder + "cli.log", 600000, &r.cpu);
  r.seconds = Seconds(Clock::now() - start);
  if (status != 0) {
    std::fprintf(stderr, "varnek-bench: varnek-cli %s for %s ended with %d: %s\n",
                 read ? "read" : "write", rig.label, status,
                 ReadAll(folder + "cli.log").substr(0, 400).c_str());
    r.cpu = NAN;
  }
  if (!read)
    for (int n = first; n <= last; ++n) {
      const std::optional<sim::Channel> c = s.GetChannel(n);
      if (!c || std::llabs(c->hz - WrittenHz(n)) > 10) ++r.missing;
    }
  s.Stop();
  return r;
}

#endif  // VARNEK_BENCH_CLASSIC_ONLY

// How many channels went wrong; which ones on standard error.
void ReportMissing(const std::string& name, const Result& r) {
  Report(name, static_cast<double>(r.missing.size()), "ch", "0");
  if (r.missing.empty()) return;
  std::string list;
  for (int n : r.missing) {
    list += ' ';
    list += ChannelText(n);
    if (r.unanswered.count(n)) list += "(reported)";
  }
  std::fprintf(stderr, "varnek-bench: %s:%s\n", name.c_str(), list.c_str());
}

std::string LogFolder() {
  const char* dir = std::getenv("VARNEK_BENCH_SIM_LOGS");
  return dir ? std::string(dir) + "/" : std::string();
}

}  // namespace

int Paced(int classicStride, const std::string& only) {
  ScratchHome scratch;
  const std::string logs = LogFolder();
  for (const Rig& rig : kRigs) {
    if (!only.empty() && only != rig.label) continue;
    for (int baud : {4800, 9600}) {
      const std::string prefix =
          std::string("paced.") + rig.label + "." + std::to_string(baud) + ".";
      const auto logFile = [&](const std::string& what) {
        return logs.empty() ? std::string()
                            : logs + rig.label + "-" + std::to_string(baud) + what + ".log";
      };
      Session s(rig, baud, logFile(""));
      const int count = s.Last() - s.First() + 1;
      const int stride = classicStride > 0 ? classicStride : rig.classicStride;
#ifndef VARNEK_BENCH_CLASSIC_ONLY
      const double byteMs = LineByteTimeMs(s.Port().BaudRate(), s.Port().DataBits(),
                                           s.Port().ParityType(), s.Port().StopBits());
      const bool echo = std::string(rig.label) == "icom";  // the simulator's bus echoes
#endif
      for (const bool read : {true, false}) {
        const Transfers::Run run = read ? Transfers::Run::Load : Transfers::Run::Save;
        const std::string what = prefix + (read ? "read." : "write.");
        const Result c = s.Measure(run, false, stride);
        const double scale = static_cast<double>(count) / c.channels;
        Report(what + "classic", c.seconds * scale, "s",
               stride == 1 ? std::string()
                           : "scaled from every " + std::to_string(stride) + "th channel");
        ReportMissing(what + "classic.missing", c);
#ifndef VARNEK_BENCH_CLASSIC_ONLY
        const Result p = s.Measure(run, true);
        const long long received = echo ? std::max(0LL, p.received - p.sent) : p.received;
        const double limit = (p.sent + received) * byteMs / 1000.0;
        Report(what + "paced", p.seconds, "s", "");
        ReportMissing(what + "paced.missing", p);
        Report(what + "bytes_sent", static_cast<double>(p.sent), "B", "");
        Report(what + "bytes_answered", static_cast<double>(received), "B", "");
        Report(what + "line_limit", limit, "s", "");
        Report(what + "paced_over_limit", p.seconds / limit, "x", "<= 1.3");
        // The part of the limit the simulator really imposes: its answers.
        const double answerTime = received * byteMs / 1000.0;
        if (received > 0) Report(what + "paced_over_answer_time", p.seconds / answerTime, "x", "");
        if (rig.answerGapMs > 0) {
          // What the rig itself adds: the gap the run's pacing command asks
          // for after every byte of an answer.
          const double rigLimit = limit + received * rig.answerGapMs / 1000.0;
          Report(what + "line_limit_with_rig_pacing", rigLimit, "s", "");
          Report(what + "paced_over_rig_limit", p.seconds / rigLimit, "x", "");
        }
        Report(what + "classic_over_paced", c.seconds * scale / p.seconds, "x", "");
        if (rig.hamlibModel == 0) {
          Report(what + "rigmem", NAN, "s", "no memory access in Hamlib 4.5.4");
          continue;
        }
        const std::string folder = scratch.Environment().getEnv("HOME").value_or("/tmp/");
        const RigmemResult h = Rigmem(rig, baud, read, s.First(), count, folder,
                                      logFile(read ? "-rigmem-save" : "-rigmem-load"));
        Report(
            what + "rigmem", h.seconds, "s",
            read ? "read " + std::to_string(h.channels) + " ch, scaled to " + std::to_string(count)
                 : "");
        if (!read) Report(what + "rigmem.missing", h.missing, "ch", "0");
        Report(what + "paced_over_rigmem", p.seconds / h.seconds, "x", "<= 0.5");
#endif
      }
    }
  }
  return 0;
}

#ifndef VARNEK_BENCH_CLASSIC_ONLY
constexpr int kCpuRuns = 3;

// The median of one figure over runs; NaN when any run failed.
template <typename Run>
double Median(const std::vector<Run>& runs, double Run::*figure) {
  std::vector<double> v;
  for (const Run& r : runs) {
    if (std::isnan(r.*figure)) return NAN;
    v.push_back(r.*figure);
  }
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

int Cpu(const std::string& only) {
  ScratchHome scratch;
  const std::string folder = scratch.Environment().getEnv("HOME").value_or("/tmp/");
  for (const Rig& rig : kRigs) {
    if (!only.empty() && only != rig.label) continue;
    // Each rig at the rate its settings reset to.
    const int baud =
        DefaultsFor(ModelCodeOf(rig.selection)).baud == ItemPosition(BaudItems(), "4800") ? 4800
                                                                                           : 9600;
    for (const bool read : {true, false}) {
      const std::string what = std::string("cpu.") + rig.label + "." + std::to_string(baud) +
                               (read ? ".read99." : ".write99.");
      // A run's CPU is a few hundredths of a second: the median of a few
      // runs on each side, so that one disturbed run does not decide.
      std::vector<CliRun> runs;
      for (int i = 0; i < kCpuRuns; ++i)
        runs.push_back(CliCpu(rig, baud, read, folder));
      CliRun v = runs.front();
      v.cpu = Median(runs, &CliRun::cpu);
      v.seconds = Median(runs, &CliRun::seconds);
      for (const CliRun& run : runs)
        v.missing = std::max(v.missing, run.missing);
      Report(what + "varnek_cli_cpu", v.cpu, "s", "");
      Report(what + "varnek_cli_wall", v.seconds, "s", "");
      if (!read) Report(what + "varnek_cli.missing", v.missing, "ch", "0");
      if (rig.hamlibModel == 0) {
        Report(what + "rigmem_cpu", NAN, "s", "no memory access in Hamlib 4.5.4");
        continue;
      }
      sim::Simulator probe(SimOptions(rig, baud, ""));
      probe.Start();
      const int first = std::max(1, probe.FirstChannel());
      const int count = std::min(99, probe.LastChannel()) - first + 1;
      probe.Stop();
      std::vector<RigmemResult> hs;
      for (int i = 0; i < kCpuRuns; ++i)
        hs.push_back(Rigmem(rig, baud, read, first, count, folder, ""));
      RigmemResult h = hs.front();
      h.cpu = Median(hs, &RigmemResult::cpu);
      h.seconds = Median(hs, &RigmemResult::seconds);
      Report(what + "rigmem_cpu", h.cpu, "s", "");
      Report(what + "rigmem_wall", h.seconds, "s", "");
      Report(what + "cpu_over_rigmem", v.cpu / h.cpu, "x", "<= 1");
    }
  }
  return 0;
}
#endif

}  // namespace varnek::bench
