#pragma once
#include <QElapsedTimer>
#include <QMainWindow>
#include <memory>

#include "app/main_form.h"
#include "gui/form_view.h"
#include "gui/model_dialog.h"

namespace varnek {
class Program;
}

namespace varnek::gui {

// The main window's view: the table and bottom bar from the model's
// controls, the menu from its menu tree. Given the whole program it also
// shows the terminal, settings and update windows.
class MainWindow : public QMainWindow {
  Q_OBJECT
 public:
  MainWindow(Host& host, TMainForm& form);
  MainWindow(Host& host, Program& program);
  ~MainWindow() override;
  FormView& view() { return *view_; }
  QWidget* client() const { return client_; }
  ModelDialog* terminalWindow() const { return terminal_; }
  ModelDialog* settingsWindow() const { return settings_; }
  ModelDialog* updateWindow() const { return update_; }
  class MemoryListWindow* memoryList() const { return memoryList_; }

 protected:
  void closeEvent(QCloseEvent* event) override;
  void moveEvent(QMoveEvent* event) override;

 private:
  void ConnectProgram();

  Host& host_;
  TMainForm& form_;
  Program* program_ = nullptr;
  QWidget* client_;
  FormView* view_;
  ModelDialog* terminal_ = nullptr;
  ModelDialog* settings_ = nullptr;
  ModelDialog* update_ = nullptr;
  class MemoryListWindow* memoryList_ = nullptr;
  bool settingsPlaced_ = false;
  QElapsedTimer closeAsked_;  // since the first close while a run was going
  static constexpr int kCloseWaitMs = 5000;
};

// The font the layout was drawn for (MS Sans Serif at 11 px), or the
// nearest sans-serif face.
QFont WindowFont();

}  // namespace varnek::gui
