#include "gui/qt_host.h"

#include <QApplication>
#include <QMessageBox>
#include <QThread>
#include <exception>
#include <iostream>

#include "app/cross_thread_error.h"
#include "gui/qt_text.h"

namespace varnek::gui {

QtHost::QtHost() {
  clock_.start();
}

void QtHost::Sleep(int ms) {
  QThread::msleep(static_cast<unsigned long>(ms < 0 ? 0 : ms));
}

void QtHost::ProcessMessages() {
  QCoreApplication::processEvents();
}

bool QtHost::IsGuiThread() const {
  return QThread::currentThread() == qApp->thread();
}

bool QtHost::WaitUntil(const std::function<bool()>& ready, int timeoutMs) {
  QElapsedTimer waited;
  waited.start();
  const bool gui = IsGuiThread();
  for (;;) {
    if (gui) QCoreApplication::processEvents();
    if (ready()) return true;
    if (waited.elapsed() >= timeoutMs) return false;
    // Well under the time of one character on the line; the answer's
    // cluster notice is queued to the GUI thread meanwhile.
    QThread::usleep(250);
  }
}

void QtHost::RunOnGuiThread(const std::function<void()>& work) {
  if (IsGuiThread()) {
    work();
    return;
  }
  CrossThreadError error;
  QMetaObject::invokeMethod(
      qApp, [&] { error = CrossThreadError::Run(work); }, Qt::BlockingQueuedConnection);
  error.Rethrow();
}

void QtHost::ShowMessage(const std::string& text) {
  QMessageBox::information(QApplication::activeWindow(), "Varnek", ToQ(text));
}

bool QtHost::Confirm(const std::string& text, MessageIcon icon) {
  QMessageBox box(QApplication::activeWindow());
  box.setWindowTitle("Varnek");
  box.setText(ToQ(text));
  box.setIcon(icon == MessageIcon::Question      ? QMessageBox::Question
              : icon == MessageIcon::Warning     ? QMessageBox::Warning
              : icon == MessageIcon::Error       ? QMessageBox::Critical
              : icon == MessageIcon::Information ? QMessageBox::Information
                                                 : QMessageBox::NoIcon);
  box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
  return box.exec() == QMessageBox::Yes;
}

void QtHost::ReportError(const std::string& text) {
  std::cerr << "varnek: " << text << '\n';
  QMessageBox::critical(QApplication::activeWindow(), "Varnek", ToQ(text));
}

uint32_t QtHost::TickCount() const {
  return static_cast<uint32_t>(clock_.elapsed());
}

}  // namespace varnek::gui
