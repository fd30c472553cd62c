// varnek: the desktop program.
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <QApplication>
#include <QSocketNotifier>
#include <QTimer>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/demo.h"
#include "app/end_signals.h"
#include "app/program.h"
#include "gui/main_window.h"
#include "gui/qt_host.h"
#include "update/version.h"

namespace {

bool HasDisplay() {
  for (const char* v : {"DISPLAY", "WAYLAND_DISPLAY"}) {
    const char* value = std::getenv(v);
    if (value && *value) return true;
  }
  const char* platform = std::getenv("QT_QPA_PLATFORM");
  return platform && *platform;
}

void Usage() {
  std::cout << "Usage: varnek [--demo [RIG]] [--help] [--version]\n\n"
               "Varnek manages the 100 memory channels of a transceiver over a serial line.\n\n"
               "Options:\n"
               "  --demo [RIG]  try Varnek without a rig: a simulated rig (default \""
            << varnek::kDemoDefaultRig
            << "\")\n"
               "                holding sample channels is started on a pseudo-terminal and\n"
               "                selected, with settings of its own (yours are not touched).\n"
               "                RIG is one of: Kenwood TS-570, Kenwood TS-870S, Kenwood TS-2000,\n"
               "                Icom IC-CI-V, Yaesu FT-920, Yaesu FT-1000, Yaesu FT-2000,\n"
               "                Icom IC-7300.\n"
               "  --help        this text\n"
               "  --version     the program's version\n\n"
               "Varnek needs a graphical display (X11 or Wayland). Without one, --demo runs a\n"
               "demonstration on the command line instead; otherwise run it under a virtual\n"
               "display:  xvfb-run -a varnek\n\n"
               "Settings live in ~/.config/Kolvir/Varnek/settings.ini (or beside the program\n"
               "when a file portable.ini is there); channel files default to\n"
               "~/Documents/Kolvir/Varnek/.\n";
}

// Without a display: the simulated rig read by the command-line front end.
int HeadlessDemo(const varnek::Demo& demo) {
  const std::string cli = varnek::CompanionProgram("varnek-cli");
  std::cout << "No graphical display: showing the demonstration on the command line.\n"
               "A simulated "
            << demo.Rig() << " holds sample channels; varnek-cli reads them:\n\n"
            << std::flush;
  if (cli.empty()) {
    std::cerr << "varnek: varnek-cli was not found beside varnek or on PATH\n";
    return 1;
  }
  std::vector<std::string> args = {cli,         "--settings-dir", demo.SettingsFolder(),
                                    "--rig",     demo.Rig(),       "--port",
                                    demo.Device(), "read",         "0-99"};
  std::vector<char*> argv;
  for (auto& a : args)
    argv.push_back(a.data());
  argv.push_back(nullptr);
  pid_t pid = -1;
  if (posix_spawn(&pid, cli.c_str(), nullptr, nullptr, argv.data(), environ) != 0) {
    std::cerr << "varnek: could not start " << cli << '\n';
    return 1;
  }
  // A signal to us ends the reader too, so the demo can clean up after it.
  int status = 0;
  while (waitpid(pid, &status, 0) != pid) {
    if (errno != EINTR) return 1;
    if (varnek::EndSignals::Raised()) kill(pid, SIGTERM);
  }
  if (varnek::EndSignals::Raised()) return 128 + varnek::EndSignals::Raised();
  return WIFEXITED(status) ? WEXITSTATUS(status) : 1;
}

}  // namespace

int main(int argc, char** argv) {
  std::optional<std::string> demoRig;
  for (int i = 1; i < argc; ++i) {
    if (!std::strcmp(argv[i], "--help") || !std::strcmp(argv[i], "-h")) {
      Usage();
      return 0;
    }
    if (!std::strcmp(argv[i], "--version")) {
      std::cout << "varnek " << varnek::ProgramVersion() << '\n';
      return 0;
    }
    if (!std::strcmp(argv[i], "--demo")) {
      demoRig = varnek::kDemoDefaultRig;
      if (i + 1 < argc && argv[i + 1][0] != '-') demoRig = argv[++i];
      continue;
    }
    std::cerr << "varnek: unknown argument '" << argv[i] << "' (see varnek --help)\n";
    return 2;
  }

  // Before the demo starts, so that a signal at any time still removes it.
  varnek::EndSignals endSignals;
  std::unique_ptr<varnek::Demo> demo;
  const auto startDemo = [&] {
    try {
      demo = std::make_unique<varnek::Demo>(*demoRig);
      return true;
    } catch (const std::exception& e) {
      std::cerr << "varnek: the demonstration could not start: " << e.what() << '\n';
      return false;
    }
  };
  if (!HasDisplay()) {
    if (demoRig) return startDemo() ? HeadlessDemo(*demo) : 1;
    std::cerr << "varnek: no graphical display found (DISPLAY and WAYLAND_DISPLAY are not set).\n"
                 "Run Varnek on a desktop, or under a virtual display:  xvfb-run -a varnek\n";
    return 1;
  }
  // Qt first: a display that is named but cannot be reached ends the
  // program here, before a demo's simulator exists.
  QApplication app(argc, argv);
  QApplication::setApplicationName("Varnek");
  QApplication::setApplicationDisplayName("Varnek");
  if (demoRig && !startDemo()) return 1;
  varnek::gui::QtHost host;
  varnek::Program program(host, demo ? demo->Environment() : varnek::SystemFolderEnvironment());
  if (demo) program.MainForm.caption = "Varnek - demo with a simulated " + demo->Rig();
  program.FormCreate();
  varnek::gui::MainWindow window(host, program);
  // A signal closes the window as the Close command does.
  QSocketNotifier onSignal(endSignals.Fd(), QSocketNotifier::Read);
  QObject::connect(&onSignal, &QSocketNotifier::activated, &window, [&] {
    char drained[16];
    [[maybe_unused]] const ssize_t n = read(endSignals.Fd(), drained, sizeof drained);
    window.close();
  });
  window.show();
  // First show runs once the window is on screen, from the event loop.
  QTimer::singleShot(0, [&] {
    varnek::Guarded(host, [&] { program.FormShow(); });
    if (demo)
      program.MainForm.ShowStatus("Demo: a simulated " + demo->Rig() +
                                  " with sample channels. Check channels, then Load > All "
                                  "checked from Rig.");
  });
  const int rc = app.exec();
  return varnek::EndSignals::Raised() ? 128 + varnek::EndSignals::Raised() : rc;
}
