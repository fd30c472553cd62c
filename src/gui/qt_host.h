#pragma once
#include <QElapsedTimer>
#include <QWidget>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <vector>

#include "base/host.h"

namespace varnek::gui {

// The host on Qt: pauses block the calling thread as the original's did,
// work from other threads is queued to the GUI thread and waited for. A wait
// on the GUI thread runs the event loop until a timer ends it or a wake-up
// finds its condition met; a wait on another thread sleeps on a condition
// variable. Nothing polls.
class QtHost : public Host {
 public:
  QtHost();
  void Sleep(int ms) override;
  void ProcessMessages() override;
  void RunOnGuiThread(const std::function<void()>& work) override;
  bool IsGuiThread() const override;
  bool WaitUntil(const std::function<bool()>& ready, int timeoutMs) override;
  void ShowMessage(const std::string& text) override;
  void ShowReport(const std::string& summary, const std::vector<std::string>& lines) override;
  bool Confirm(const std::string& text, MessageIcon icon) override;
  void ReportError(const std::string& text) override;
  uint32_t TickCount() const override;
  void Wake() override;
  bool Await(const std::function<bool()>& ready, int timeoutMs) override;

 private:
  struct GuiWait;
  // Ends the GUI thread's waits whose condition now holds; GUI thread only.
  void EndMetWaits();
  bool WaitOffGui(const std::function<bool()>& ready, int timeoutMs);

  QElapsedTimer clock_;
  // The receiver of queued wake-ups: they are dropped with the host.
  QObject wakeContext_;
  std::vector<GuiWait*> guiWaits_;  // innermost last
  std::mutex wakeMutex_;
  std::condition_variable woken_;
  uint64_t wakes_ = 0;
};

}  // namespace varnek::gui
