// Time from the start of the program to its first window on screen: the
// Qt application, the program's models, the main window built from them,
// up to the first show event the window has processed.
//
// With the argument "cpu": the window's process CPU while it sits idle for
// ten seconds with the port open on a simulated TS-570 (run as a process of
// its own, so its work is not counted), and during an answer-paced load of
// channels 01-99 from it.
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QEvent>
#include <QTimer>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "app/program.h"
#include "bench_support.h"
#include "gui/main_window.h"
#include "gui/qt_host.h"

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

// Notes the moment the watched window has handled its first show event.
class ShowWatch : public QObject {
 public:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Show && !shown) {
      shown = true;
      at = Clock::now();
      QTimer::singleShot(0, qApp, &QCoreApplication::quit);
    }
    return QObject::eventFilter(watched, event);
  }
  bool shown = false;
  Clock::time_point at;
};

double ProcessCpuSeconds() {
  struct rusage u {};
  getrusage(RUSAGE_SELF, &u);
  return static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
         static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

// Runs the event loop for `ms`, or until `done` holds (looked at every
// 100 ms: the benchmark's own look costs next to nothing).
void RunEvents(int ms, const std::function<bool()>& done = {}) {
  QTimer end;
  end.setSingleShot(true);
  QObject::connect(&end, &QTimer::timeout, qApp, &QCoreApplication::quit);
  QTimer look;
  if (done) {
    QObject::connect(&look, &QTimer::timeout, [&] {
      if (done()) QCoreApplication::quit();
    });
    look.start(100);
  }
  end.start(ms);
  QCoreApplication::exec();
}

int Cpu(const varnek::bench::ScratchHome& home) {
  const std::string folder = home.Environment().getEnv("HOME").value_or("/tmp/");
  const std::string device = folder + "rig", image = folder + "rig.mem";
  {
    std::ofstream memory(image);
    for (int n = 1; n <= 99; ++n)
      memory << n << ' ' << 14000000 + 1000 * n << " 2 \"\"\n";
  }
  std::vector<std::string> args = {VARNEK_RIGSIM_PATH, "--rig", "Kenwood TS-570", "--baud", "9600",
                                   "--memory", image, "--link", device};
  std::vector<char*> argv;
  for (auto& a : args)
    argv.push_back(a.data());
  argv.push_back(nullptr);
  posix_spawn_file_actions_t files;
  posix_spawn_file_actions_init(&files);
  posix_spawn_file_actions_addopen(&files, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&files, 1, "/dev/null", O_WRONLY, 0);
  pid_t sim = 0;
  if (posix_spawn(&sim, argv[0], &files, nullptr, argv.data(), environ) != 0) return 1;
  posix_spawn_file_actions_destroy(&files);
  for (int i = 0; i < 500 && access(device.c_str(), F_OK) != 0; ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));

  int status = 1;
  {
    varnek::gui::QtHost host;
    varnek::Program program(host, home.Environment());
    program.FormCreate();
    program.SetDLG.portPaths.Set("COM1", device);
    varnek::gui::MainWindow window(host, program);
    window.show();
    program.FormShow();
    program.MainForm.cbxRig.UserInput("Kenwood TS-570");
    program.SetDLG.CBPort.SetItemIndex(0);
    program.SetDLG.ApplyDialogToPort(program.SerialPort1);
    if (program.SerialPort1.Active()) {
      RunEvents(2000);
      double before = ProcessCpuSeconds();
      RunEvents(10000);
      varnek::bench::Report("gui.idle_cpu.10s", (ProcessCpuSeconds() - before) / 10 * 100, "%",
                            "< 0.5");
      program.SetDLG.SetOptions(varnek::RigOptions{true, false});
      for (int n = 0; n < varnek::TMainForm::kChannels; ++n)
        program.MainForm.cb[n].SetChecked(n >= 1);
      varnek::Transfers& t = program.transfers;
      before = ProcessCpuSeconds();
      const auto start = Clock::now();
      QTimer::singleShot(0, [&] { varnek::Guarded(host, [&] { t.LoadFromRig1Click(); }); });
      RunEvents(600000, [&] { return !t.Busy(); });
      varnek::bench::Report("gui.paced_load99.cpu", ProcessCpuSeconds() - before, "s", "");
      varnek::bench::Report("gui.paced_load99.wall", varnek::bench::Seconds(Clock::now() - start),
                            "s", "");
      status = 0;
    }
  }
  kill(sim, SIGTERM);
  waitpid(sim, nullptr, 0);
  return status;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc > 1 && std::string(argv[1]) == "cpu") {
    varnek::bench::ScratchHome home;
    QApplication app(argc, argv);
    return Cpu(home);
  }
  const auto start = Clock::now();
  varnek::bench::ScratchHome home;
  QApplication app(argc, argv);
  varnek::gui::QtHost host;
  varnek::Program program(host, home.Environment());
  program.FormCreate();
  varnek::gui::MainWindow window(host, program);
  ShowWatch watch;
  window.installEventFilter(&watch);
  window.show();
  QTimer::singleShot(0, [&] { varnek::Guarded(host, [&] { program.FormShow(); }); });
  // A window that never shows must not hang the benchmark.
  QTimer::singleShot(30000, qApp, &QCoreApplication::quit);
  app.exec();
  if (!watch.shown) {
    std::fprintf(stderr, "varnek-bench-window: the window was never shown\n");
    return 1;
  }
  varnek::bench::Report("startup.first_window", varnek::bench::Seconds(watch.at - start) * 1000,
                        "ms", "< 1000");
  varnek::bench::Report("startup.memory", varnek::bench::ResidentKiB() / 1024.0, "MiB", "");
  return 0;
}
