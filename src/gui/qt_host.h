#pragma once
#include <QElapsedTimer>
#include <QWidget>

#include "base/host.h"

namespace varnek::gui {

// The host on Qt: pauses block the calling thread as the original's did,
// work from other threads is queued to the GUI thread and waited for.
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

 private:
  QElapsedTimer clock_;
};

}  // namespace varnek::gui
