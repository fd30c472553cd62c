#include "gui/model_dialog.h"

#include <QCloseEvent>

#include "gui/main_window.h"
#include "gui/qt_text.h"

namespace varnek::gui {

ModelDialog::ModelDialog(Host& host, QWidget* parent, const std::string& caption,
                         int clientWidth, int clientHeight, const std::vector<TControl*>& controls)
    : QDialog(parent) {
  setWindowTitle(ToQ(caption));
  setFont(WindowFont());
  setFixedSize(clientWidth, clientHeight);
  setStyleSheet("QLineEdit { padding: 0px 1px; }");
  view_ = new FormView(host, this, controls);
}

void ModelDialog::closeEvent(QCloseEvent* event) {
  if (!closed_ && onClose) onClose();
  closed_ = true;
  event->accept();
}

void ModelDialog::done(int result) {
  if (!closed_ && onClose) onClose();
  closed_ = true;
  QDialog::done(result);
}

}  // namespace varnek::gui
