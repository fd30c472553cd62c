#pragma once
#include <QDialog>
#include <functional>

#include "app/controls.h"
#include "app/host.h"
#include "gui/form_view.h"

namespace varnek::gui {

// A secondary window built from a window model's controls: fixed client
// size, the main window's font.
class ModelDialog : public QDialog {
  Q_OBJECT
 public:
  ModelDialog(Host& host, QWidget* parent, const std::string& caption, int clientWidth,
              int clientHeight, const std::vector<TControl*>& controls);
  FormView& view() { return *view_; }
  // Runs when the window closes (by its close button or by the program).
  std::function<void()> onClose;

 protected:
  void closeEvent(QCloseEvent* event) override;
  void done(int result) override;

 private:
  FormView* view_;
  bool closed_ = false;
};

}  // namespace varnek::gui
