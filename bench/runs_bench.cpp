// The cost of the program around the pauses each run prescribes: a load,
// save and clear of 10 and of 100 channels for every family, against the
// simulated rig at unlimited speed and at the rig's line rate. The figure
// is wall time divided by the sum of the pauses the run asked for; 1.00
// would be a run that spends nothing but its prescribed waits.
//
// Also: the I/O thread's CPU time with the port open and idle, and the
// resident memory with a full table and a long terminal transcript.
//
//   varnek-bench runs [SCALE [FAMILY]]
//                               SCALE multiplies the family's default
//                               intervals (1 = as a reset sets them);
//                               FAMILY (ts570, icom, ...) runs one only
//   varnek-bench idle [SECONDS]
//   varnek-bench memory
//   varnek-bench log [LINES]    the save run's terminal log: LINES transcript
//                               lines logged two at a time, appended, and
//                               through the INI layer as the log once was
//   varnek-bench paced [CLASSIC_STRIDE [FAMILY]]
//                               answer-paced reads and writes beside the
//                               classic ones, the line limit and rigmem
//   varnek-bench cpu [FAMILY]   CPU seconds of varnek-cli's answer-paced
//                               read and write of 99 channels beside rigmem
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <memory>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "base/headless_host.h"
#include "app/program.h"
#include "settings/rig_settings.h"
#include "base/text.h"
#include "bench_support.h"
#include "paced_bench.h"
#include "rig/family.h"
#include "sim/simulator.h"
#include "transfer/terminal_log.h"

namespace varnek::bench {
namespace {

using Clock = std::chrono::steady_clock;

struct Family {
  const char* selection;
  const char* label;  // the name in the table
  const char* mode;   // a USB-like mode code in the simulator's own terms
  int lineRate;       // the rig's usual baud
};
const Family kFamilies[] = {
    {"Kenwood TS-570", "ts570", "2", 9600},  {"Kenwood TS-2000", "ts2000", "2", 9600},
    {"Yaesu FT-2000", "ft2000", "2", 4800},  {"Icom IC-CI-V", "icom", "01", 9600},
    {"Yaesu FT-1000", "ft1000", "01", 4800}, {"Yaesu FT-920", "ft920", "01", 4800},
};

// Records the pauses so that overlapping ones count once: during a load the
// GUI thread's receive path pauses while the worker pauses too. A GUI-thread
// pause that begins while another thread is pausing runs beside it, not
// after it, and is left out of the serial sum.
class BenchHost : public HeadlessHost {
 public:
  void Sleep(int ms) override {
    ms = std::max(0, ms);
    allMs_ += ms;
    if (!IsGuiThread()) {
      ++othersSleeping_;
      serialMs_ += ms;
      HeadlessHost::Sleep(ms);
      --othersSleeping_;
      return;
    }
    if (othersSleeping_ == 0) serialMs_ += ms;
    HeadlessHost::Sleep(ms);
  }
  void Reset() {
    ClearEvents();
    allMs_ = 0;
    serialMs_ = 0;
  }
  long long AllMs() const { return allMs_; }
  long long SerialMs() const { return serialMs_; }

 private:
  std::atomic<long long> allMs_{0}, serialMs_{0};
  std::atomic<int> othersSleeping_{0};
};

// The two figures of one run: wall time over every prescribed pause, and
// over the pauses that do not overlap another.
struct Overhead {
  double all = 0, serial = 0;
};

// The program against one simulated rig, set up as a user would leave it
// after a reset of the rig's settings, with the intervals scaled.
class Session {
 public:
  Session(const Family& family, int simBaud, double scale) {
    sim::Options options;
    options.rig = family.selection;
    options.baud = simBaud;
    sim_ = std::make_unique<sim::Simulator>(options);
    const std::string device = sim_->Start();
    for (int n = sim_->FirstChannel(); n <= sim_->LastChannel(); ++n) {
      sim::Channel c;
      c.hz = 14000000 + 1000LL * n;
      c.mode = family.mode;
      try {
        sim_->SetChannel(n, c);
      } catch (const std::invalid_argument&) {
        // A channel this rig cannot hold stays empty.
      }
    }
    program_ = std::make_unique<Program>(host_, home_.Environment());
    program_->FormCreate();
    program_->SetDLG.portPaths.Set("COM1", device);
    program_->FormShow();
    Form().cbxRig.UserInput(family.selection);
    program_->SetDLG.CBPort.SetItemIndex(0);
    program_->SetDLG.ApplyDialogToPort(program_->SerialPort1);
    if (!program_->SerialPort1.Active()) throw std::runtime_error("port did not open: " + device);

    const RigDefaults d = DefaultsFor(ModelCodeOf(family.selection));
    const auto scaled = [scale](std::optional<int> ms, int fallback) {
      return std::max(1, static_cast<int>(ms.value_or(fallback) * scale + 0.5));
    };
    const int channel = scaled(d.channelInterval, 150);
    const int command = scaled(d.commandInterval, 150);
    const int loop = scaled(d.loopWait, 75);
    Form().edIntval.UserInput(std::to_string(channel));
    Form().edWait.SetText(std::to_string(command));
    Form().shared.CommandInterval = command;
    program_->SetDLG.edLoopWait.SetText(std::to_string(loop));
    Form().shared.IcomLoopWait = loop;
  }
  ~Session() {
    program_.reset();
    sim_->Stop();
  }

  TMainForm& Form() { return program_->MainForm; }

  // One run over `count` checked rows; wall time over prescribed pauses.
  // The GUI thread waits for work as the Qt event loop does, woken by each
  // hand-over from the load worker; `cliWait` waits in WaitForLoad instead,
  // as the command line does.
  Overhead Measure(Transfers::Run run, int count, bool cliWait = false) {
    for (int n = 0; n < 100; ++n)
      Form().cb[n].SetChecked(n < count);
    if (run == Transfers::Run::Save) {
      for (int n = 0; n < count; ++n)
        Form().SetChannel(ChannelText(n), "14.2" + ChannelText(n) + ".000", "USB", "");
    }
    Quiet();
    host_.Reset();
    Transfers& t = program_->transfers;
    const auto start = Clock::now();
    switch (run) {
      case Transfers::Run::Load:
        t.LoadFromRig1Click();
        if (cliWait) t.WaitForLoad(600000);
        break;
      case Transfers::Run::Save:
        t.SaveToRig1Click();
        break;
      case Transfers::Run::Clear:
        t.ClrMemory1Click();  // the host confirms
        break;
      case Transfers::Run::None:
      case Transfers::Run::Click:
      case Transfers::Run::Compare:
        break;
    }
    host_.WaitFor([&] { return !t.Busy(); }, 600000);
    const double wall = Seconds(Clock::now() - start);
    t.WaitForLoad(10000);  // joins the finished worker
    const double prescribed = host_.AllMs() / 1000.0;
    const double serial = host_.SerialMs() / 1000.0;
    Overhead o;
    o.all = prescribed > 0 ? wall / prescribed : 0;
    o.serial = serial > 0 ? wall / serial : 0;
    return o;
  }

 private:
  // Lets the rig's last answers of the previous run be parsed first.
  void Quiet() {
    long last = -1;
    for (int quiet = 0; quiet < 200;) {
      host_.WaitFor([] { return false; }, 50);
      const long n = sim_->CommandsReceived();
      quiet = (n == last && program_->SerialPort1.FirstClusterSize() < 0) ? quiet + 50 : 0;
      last = n;
    }
  }

  BenchHost host_;
  ScratchHome home_;
  std::unique_ptr<sim::Simulator> sim_;
  std::unique_ptr<Program> program_;
};

int Runs(double scale, const std::string& only) {
  const struct {
    Transfers::Run run;
    const char* name;
  } kRuns[] = {{Transfers::Run::Load, "load"},
               {Transfers::Run::Save, "save"},
               {Transfers::Run::Clear, "clear"}};
  for (const Family& f : kFamilies) {
    if (!only.empty() && only != f.label) continue;
    for (int baud : {0, f.lineRate}) {
      Session session(f, baud, scale);
      const std::string speed = baud ? std::to_string(baud) : std::string("unlimited");
      const std::string prefix = std::string("overhead.") + f.label + ".";
      for (const auto& r : kRuns) {
        for (int count : {10, 100}) {
          const Overhead o = session.Measure(r.run, count);
          const std::string name = prefix + r.name + std::to_string(count) + "." + speed;
          Report(name, o.all, "x", "<= 1.03");
          if (r.run == Transfers::Run::Load)
            Report(name + ".serial_pauses", o.serial, "x", "<= 1.03");
        }
      }
      Report(prefix + "load10." + speed + ".cli_wait",
             session.Measure(Transfers::Run::Load, 10, true).all, "x", "<= 1.03");
    }
  }
  return 0;
}

int Idle(int seconds) {
  HeadlessHost host;
  ScratchHome home;
  sim::Options options;
  options.rig = "Kenwood TS-570";
  sim::Simulator simulator(options);
  const std::string device = simulator.Start();
  Program program(host, home.Environment());
  program.FormCreate();
  program.SetDLG.portPaths.Set("COM1", device);
  program.FormShow();
  program.MainForm.cbxRig.UserInput("Kenwood TS-570");
  program.SetDLG.CBPort.SetItemIndex(0);
  program.SetDLG.ApplyDialogToPort(program.SerialPort1);
  if (!program.SerialPort1.Active()) return 1;
  host.WaitFor([] { return false; }, 500);
  const double before = program.SerialPort1.WorkThreadCpuSeconds();
  host.WaitFor([] { return false; }, seconds * 1000);
  const double after = program.SerialPort1.WorkThreadCpuSeconds();
  Report("io_thread.idle_cpu." + std::to_string(seconds) + "s", (after - before) * 1000, "ms",
         "small (a wait, no polling)");
  simulator.Stop();
  return 0;
}

int Memory() {
  const long start = ResidentKiB();
  HeadlessHost host;
  ScratchHome home;
  Program program(host, home.Environment());
  program.FormCreate();
  program.FormShow();
  program.MainForm.cbxRig.UserInput("Kenwood TS-2000");
  const long idle = ResidentKiB();
  for (int n = 0; n < 100; ++n) {
    program.MainForm.SetChannel(ChannelText(n), "145." + ChannelText(n) + "0.000", "FM",
                                "NAME" + ChannelText(n));
    program.MainForm.cb[n].SetChecked(true);
  }
  const long table = ResidentKiB();
  std::mt19937 random(7);
  std::string bytes(8, '\0');
  std::vector<std::string> lines;
  for (int i = 0; i < 100000; ++i) {
    for (char& b : bytes)
      b = static_cast<char>(random());
    lines.clear();
    HexDumpLines(bytes, lines);
    program.RigForm.Terminal.Add(lines[0]);
  }
  const long transcript = ResidentKiB();
  Report("memory.start", start / 1024.0, "MiB", "");
  Report("memory.program", idle / 1024.0, "MiB", "");
  Report("memory.full_table", table / 1024.0, "MiB", "");
  Report("memory.transcript_100000_lines", transcript / 1024.0, "MiB", "");
  Report("memory.transcript_growth", (transcript - table) / 1024.0, "MiB",
         "~ 100000 x 35 bytes of text");
  return 0;
}

// A CI-V save of 99 channels logs some 1,200 dump lines, two or three a
// received cluster. The INI layer read and rewrote the whole file for each
// cluster; the log now appends.
int Log(int lines) {
  ScratchHome home;
  const std::string folder = FindFolders(home.Environment()).documents;
  CreateFolders(FindFolders(home.Environment()));
  const std::vector<std::string> cluster = {" FE FE 00 E0 05 00 00 25 : ........",
                                            " 14 00 FD                : ..."};
  const auto run = [&](const char* name, bool append) {
    const std::string path = folder + name;
    TerminalLog kept;
    const auto start = std::chrono::steady_clock::now();
    for (int n = 0; n < lines; n += 2) {
      TerminalLog fresh;  // knows nothing of the file: the INI layer's way
      const FileResult r = (append ? kept : fresh).Append(path, cluster);
      if (!r.ok) throw std::runtime_error(r.message);
    }
    return Seconds(std::chrono::steady_clock::now() - start) * 1000;
  };
  const std::string n = std::to_string(lines);
  Report("log.append_" + n + "_lines", run("appended.ini", true), "ms", "linear in the lines");
  Report("log.ini_layer_" + n + "_lines", run("rewritten.ini", false), "ms",
         "the log before: square of the lines");
  return 0;
}

}  // namespace
}  // namespace varnek::bench

int main(int argc, char** argv) {
  const std::string what = argc > 1 ? argv[1] : "";
  try {
    if (what == "runs")
      return varnek::bench::Runs(argc > 2 ? std::atof(argv[2]) : 1.0, argc > 3 ? argv[3] : "");
    if (what == "idle") return varnek::bench::Idle(argc > 2 ? std::atoi(argv[2]) : 10);
    if (what == "memory") return varnek::bench::Memory();
    if (what == "log") return varnek::bench::Log(argc > 2 ? std::atoi(argv[2]) : 1200);
    if (what == "cpu") return varnek::bench::Cpu(argc > 2 ? argv[2] : "");
    if (what == "paced")
      return varnek::bench::Paced(argc > 2 ? std::atoi(argv[2]) : 0, argc > 3 ? argv[3] : "");
  } catch (const std::exception& e) {
    std::fprintf(stderr, "varnek-bench: %s\n", e.what());
    return 1;
  }
  std::fprintf(
      stderr,
      "usage: varnek-bench runs [SCALE [FAMILY]] | idle [SECONDS] | memory | log [LINES] | "
      "paced [CLASSIC_STRIDE [FAMILY]] | cpu [FAMILY]\n");
  return 2;
}
