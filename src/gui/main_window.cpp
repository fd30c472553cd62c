#include "gui/main_window.h"

#include <QLayout>
#include <QMenuBar>

#include "gui/qt_text.h"

namespace varnek::gui {

QFont WindowFont() {
  QFont f;
  // The condensed face keeps the captions within the widths the layout
  // gives them where MS Sans Serif is not installed.
  f.setFamilies({"MS Sans Serif", "DejaVu Sans Condensed", "Liberation Sans Narrow"});
  f.setStyleHint(QFont::SansSerif);
  f.setPixelSize(11);
  return f;
}

MainWindow::MainWindow(Host& host, TMainForm& form)
    : QMainWindow(nullptr, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                               Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint),
      form_(form) {
  setObjectName("MainForm");
  setWindowTitle(ToQ(form.caption));
  setFont(WindowFont());
  client_ = new QWidget(this);
  client_->setObjectName("client");
  client_->setFixedSize(form.clientWidth, form.clientHeight);
  QPalette p = client_->palette();
  p.setColor(QPalette::Window, QColor(240, 240, 240));
  client_->setPalette(p);
  client_->setAutoFillBackground(true);
  // Edits are narrow (39 px for a mode); the frame's default padding would
  // hide a frequency's last digits.
  client_->setStyleSheet("QLineEdit { padding: 0px 1px; }");
  setCentralWidget(client_);
  view_ = new FormView(host, client_, form.Controls());
  menuBar()->setObjectName("MainMenu1");
  view_->BuildMenu(menuBar(), form.menu);
  // Sized to its content and not resizable, as the table's layout is fixed.
  layout()->setSizeConstraint(QLayout::SetFixedSize);
  move(form.bounds.left, form.bounds.top);
  form.OnCloseWindow = [this] { close(); };
}

}  // namespace varnek::gui
