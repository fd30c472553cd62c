#pragma once
#include <QMainWindow>
#include <memory>

#include "app/main_form.h"
#include "gui/form_view.h"

namespace varnek::gui {

// The main window's view: the table and bottom bar from the model's
// controls, the menu from its menu tree.
class MainWindow : public QMainWindow {
  Q_OBJECT
 public:
  MainWindow(Host& host, TMainForm& form);
  FormView& view() { return *view_; }
  QWidget* client() const { return client_; }

 private:
  TMainForm& form_;
  QWidget* client_;
  FormView* view_;
};

// The font the layout was drawn for (MS Sans Serif at 11 px), or the
// nearest sans-serif face.
QFont WindowFont();

}  // namespace varnek::gui
