// Time from the start of the program to its first window on screen: the
// Qt application, the program's models, the main window built from them,
// up to the first show event the window has processed.
#include <QApplication>
#include <QEvent>
#include <QTimer>
#include <chrono>
#include <cstdio>

#include "app/program.h"
#include "bench_support.h"
#include "gui/main_window.h"
#include "gui/qt_host.h"

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

}  // namespace

int main(int argc, char** argv) {
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
