#include "gui/qt_host.h"

#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QVBoxLayout>
#include <QEventLoop>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <QThread>
#include <exception>
#include <iostream>

#include "base/cross_thread_error.h"
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

struct QtHost::GuiWait {
  const std::function<bool()>* ready;
  QEventLoop* loop;
};

bool QtHost::WaitUntil(const std::function<bool()>& ready, int timeoutMs) {
  if (!IsGuiThread()) return WaitOffGui(ready, timeoutMs);
  // Work already queued (an answer's cluster) may meet the condition at once.
  QCoreApplication::processEvents();
  if (ready()) return true;
  if (timeoutMs <= 0) return false;
  QEventLoop loop;
  QTimer timer;
  timer.setSingleShot(true);
  QObject::connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
  GuiWait wait{&ready, &loop};
  guiWaits_.push_back(&wait);
  timer.start(timeoutMs);
  loop.exec();
  guiWaits_.erase(std::find(guiWaits_.begin(), guiWaits_.end(), &wait));
  return ready();
}

bool QtHost::Await(const std::function<bool()>& ready, int timeoutMs) {
  return WaitUntil(ready, timeoutMs);
}

bool QtHost::WaitOffGui(const std::function<bool()>& ready, int timeoutMs) {
  const auto deadline =
      std::chrono::steady_clock::now() + std::chrono::milliseconds(std::max(0, timeoutMs));
  for (;;) {
    uint64_t seen = 0;
    {
      std::lock_guard lock(wakeMutex_);
      seen = wakes_;
    }
    if (ready()) return true;
    std::unique_lock lock(wakeMutex_);
    if (!woken_.wait_until(lock, deadline, [&] { return wakes_ != seen; })) {
      lock.unlock();
      return ready();
    }
  }
}

void QtHost::EndMetWaits() {
  for (GuiWait* w : guiWaits_)
    if ((*w->ready)()) w->loop->quit();
}

void QtHost::Wake() {
  {
    std::lock_guard lock(wakeMutex_);
    ++wakes_;
  }
  woken_.notify_all();
  if (IsGuiThread())
    EndMetWaits();
  else
    QMetaObject::invokeMethod(&wakeContext_, [this] { EndMetWaits(); }, Qt::QueuedConnection);
}

void QtHost::RunOnGuiThread(const std::function<void()>& work) {
  if (IsGuiThread()) {
    work();
    return;
  }
  CrossThreadError error;
  QMetaObject::invokeMethod(
      qApp,
      [&] {
        error = CrossThreadError::Run(work);
        // What the work changed (an answer counted) may end a wait.
        Wake();
      },
      Qt::BlockingQueuedConnection);
  error.Rethrow();
}

void QtHost::ShowReport(const std::string& summary, const std::vector<std::string>& lines) {
  if (lines.empty()) {
    ShowMessage(summary);
    return;
  }
  // A report of hundreds of lines would make a message box taller than the
  // screen, its OK button out of reach.
  QDialog box(QApplication::activeWindow());
  box.setWindowTitle("Varnek");
  auto* layout = new QVBoxLayout(&box);
  auto* head = new QLabel(ToQ(summary), &box);
  head->setWordWrap(true);
  layout->addWidget(head);
  auto* list = new QPlainTextEdit(&box);
  list->setObjectName("report");
  list->setReadOnly(true);
  list->setLineWrapMode(QPlainTextEdit::NoWrap);
  QString text;
  for (const std::string& line : lines)
    text += ToQ(line) + '\n';
  list->setPlainText(text);
  layout->addWidget(list);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, &box);
  QObject::connect(buttons, &QDialogButtonBox::accepted, &box, &QDialog::accept);
  layout->addWidget(buttons);
  box.resize(640, 360);
  box.exec();
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
