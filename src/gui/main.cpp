// varnek: the desktop program.
#include <QApplication>
#include <QTimer>
#include <cstdlib>
#include <cstring>
#include <iostream>

#include "app/program.h"
#include "gui/main_window.h"
#include "gui/qt_host.h"

namespace {

bool HasDisplay() {
  for (const char* v : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
    const char* value = std::getenv(v);
    if (value && *value) return true;
  }
  return false;
}

void Usage() {
  std::cout << "Usage: varnek [--help]\n\n"
               "Varnek manages the 100 memory channels of a transceiver over a serial line.\n"
               "It needs a graphical display (X11 or Wayland). Without one, run it under a\n"
               "virtual display:  xvfb-run -a varnek\n";
}

}  // namespace

int main(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    if (!std::strcmp(argv[i], "--help") || !std::strcmp(argv[i], "-h")) {
      Usage();
      return 0;
    }
  }
  if (!HasDisplay()) {
    std::cerr << "varnek: no graphical display found (DISPLAY and WAYLAND_DISPLAY are not set).\n"
                 "Run Varnek on a desktop, or under a virtual display:  xvfb-run -a varnek\n";
    return 1;
  }
  QApplication app(argc, argv);
  QApplication::setApplicationName("Varnek");
  QApplication::setApplicationDisplayName("Varnek");
  varnek::gui::QtHost host;
  varnek::Program program(host);
  program.FormCreate();
  varnek::gui::MainWindow window(host, program);
  window.show();
  // First show runs once the window is on screen, from the event loop.
  QTimer::singleShot(0, [&] { varnek::Guarded(host, [&] { program.FormShow(); }); });
  return app.exec();
}
