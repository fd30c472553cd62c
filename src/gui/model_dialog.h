#pragma once
#include <QDialog>
#include <functional>

#include "base/controls.h"
#include "base/host.h"
#include "gui/form_view.h"

namespace varnek::gui {

// A secondary window built from a window model's controls: fixed client
// size, the main window's font.
class ModelDialog : public QDialog {
  Q_OBJECT
 public:
  ModelDialog(Host& host, QWidget* parent, const std::string& caption, int clientWidth,
              int clientHeight, const std::vector<TControl*>& controls);
  // The view goes first, while the model it observes is still there.
  ~ModelDialog() override;
  FormView& view() { return *view_; }
  // Runs when the window closes (by its close button or by the program).
  std::function<void()> onClose;
  // Runs when the window is shown (true) or hidden (false).
  std::function<void(bool)> onVisible;
  // Keeps the model's window position in step with the screen, when given.
  Rect* position = nullptr;
  bool* normalState = nullptr;

 protected:
  void closeEvent(QCloseEvent* event) override;
  void done(int result) override;
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;
  void moveEvent(QMoveEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  FormView* view_;
  bool closed_ = false;
};

}  // namespace varnek::gui
