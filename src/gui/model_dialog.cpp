#include "gui/model_dialog.h"

#include <QCloseEvent>

#include "gui/main_window.h"
#include "gui/qt_text.h"

namespace varnek::gui {

ModelDialog::ModelDialog(Host& host, QWidget* parent, const std::string& caption, int clientWidth,
                         int clientHeight, const std::vector<TControl*>& controls)
    : QDialog(parent) {
  setWindowTitle(ToQ(caption));
  setFont(WindowFont());
  setFixedSize(clientWidth, clientHeight);
  setStyleSheet("QLineEdit { padding: 0px 1px; }");
  view_ = new FormView(host, this, controls);
}

ModelDialog::~ModelDialog() {
  delete view_;
  view_ = nullptr;
}

void ModelDialog::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  closed_ = false;  // each showing ends in one close
  if (onVisible) onVisible(true);
}

void ModelDialog::hideEvent(QHideEvent* event) {
  QDialog::hideEvent(event);
  if (onVisible) onVisible(false);
}

void ModelDialog::moveEvent(QMoveEvent* event) {
  QDialog::moveEvent(event);
  if (position && !(windowState() & (Qt::WindowMinimized | Qt::WindowMaximized))) {
    position->left = x();
    position->top = y();
  }
}

void ModelDialog::changeEvent(QEvent* event) {
  QDialog::changeEvent(event);
  if (normalState && event->type() == QEvent::WindowStateChange)
    *normalState = !(windowState() & (Qt::WindowMinimized | Qt::WindowMaximized));
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
