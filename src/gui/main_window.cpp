#include "gui/main_window.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QFileDialog>
#include <QLayout>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QTimer>
#include <QUrl>

#include "app/program.h"
#include "files/channel_file.h"
#include "gui/memory_list_window.h"
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
      host_(host),
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

MainWindow::MainWindow(Host& host, Program& program) : MainWindow(host, program.MainForm) {
  program_ = &program;
  ConnectProgram();
}

MainWindow::~MainWindow() {
  if (program_) {
    program_->ShowTerminal = nullptr;
    program_->ShowSettings = nullptr;
    program_->ShowSettingsModal = nullptr;
    program_->ShowVerForm = nullptr;
    program_->AskFileName = nullptr;
    program_->OpenUrl = nullptr;
  }
}

void MainWindow::ConnectProgram() {
  Program& prog = *program_;
  auto open = [](const std::string& url) {
    QDesktopServices::openUrl(QUrl(QString::fromStdString(url)));
  };
  prog.OpenUrl = open;
  prog.SetDLG.OpenUrl = open;

  memoryList_ = new MemoryListWindow(host_, prog.MemoryList, this);
  // A row's number label: a click is the channel click, as always; its
  // context menu opens the memory list at that row.
  for (int n = 0; n < TMainForm::kChannels; ++n) {
    QWidget* label = view_->WidgetOf(&prog.MainForm.Label[n]);
    label->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(label, &QWidget::customContextMenuRequested, this, [this, label, n](const QPoint& at) {
      QMenu menu(this);
      QAction* open = menu.addAction("Memory &List");
      if (menu.exec(label->mapToGlobal(at)) == open)
        Guarded(host_, [&] { program_->OpenMemoryList(n); });
    });
  }

  TRigForm& rig = prog.RigForm;
  terminal_ =
      new ModelDialog(host_, this, rig.caption, rig.clientWidth, rig.clientHeight, rig.Controls());
  terminal_->setObjectName("RigForm");
  terminal_->setModal(false);
  terminal_->position = &rig.bounds;
  terminal_->normalState = &rig.normalState;
  terminal_->move(rig.bounds.left, rig.bounds.top);
  terminal_->onVisible = [&rig](bool shown) { rig.visible = shown; };
  terminal_->onClose = [&prog] {
    Profile settings(prog.MainForm.shared.SettingsFolder.Get() + "settings.ini");
    prog.RigForm.FormClose(settings);
  };
  prog.ShowTerminal = [this] {
    terminal_->show();
    terminal_->raise();
    terminal_->activateWindow();
  };

  TSetDLG& dlg = prog.SetDLG;
  settings_ =
      new ModelDialog(host_, this, dlg.caption, dlg.clientWidth, dlg.clientHeight, dlg.Controls());
  settings_->setObjectName("SetDLG");
  QFont arial;
  arial.setFamilies({"Arial", "Liberation Sans", "DejaVu Sans"});
  arial.setPixelSize(13);
  settings_->setFont(arial);
  dlg.OnCloseDialog = [this] { settings_->hide(); };
  // The window's own close button and Escape are a Cancel.
  settings_->onClose = [&dlg] {
    if (dlg.Visible()) dlg.CancelBtnClick();
  };
  auto present = [this] {
    // Centred the first time; after that where the user put it.
    if (!settingsPlaced_) {
      if (QScreen* s = screen()) settings_->move(s->geometry().center() - settings_->rect().center());
      settingsPlaced_ = true;
    }
  };
  prog.ShowSettings = [this, present] {
    present();
    settings_->show();
    settings_->raise();
    settings_->activateWindow();
  };
  prog.ShowSettingsModal = [this, present] {
    present();
    settings_->setWindowModality(Qt::ApplicationModal);
    settings_->exec();
    settings_->setWindowModality(Qt::NonModal);
  };

  prog.ShowVerForm = [this, &prog] {
    if (!update_) {
      TVerForm& ver = *prog.VerForm;
      update_ = new ModelDialog(host_, this, ver.caption, ver.clientWidth, ver.clientHeight,
                                ver.Controls());
      update_->setObjectName("VerForm");
      update_->setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint |
                              Qt::WindowStaysOnTopHint | Qt::WindowTitleHint |
                              Qt::WindowCloseButtonHint);
      update_->setAttribute(Qt::WA_DeleteOnClose);
      update_->onClose = [this, &prog] {
        // The model lives until its window is gone; the next "Update"
        // makes a new one of each.
        std::shared_ptr<TVerForm> closing = prog.ReleaseVerForm();
        connect(update_, &QObject::destroyed, [closing] {});
        update_ = nullptr;
      };
      if (QScreen* s = screen()) update_->move(s->geometry().center() - update_->rect().center());
    }
    update_->show();
    update_->raise();
  };

  prog.AskFileName = [this](bool save, const FileDialogSetup& setup) {
    QStringList filters;
    for (const auto& f : setup.filters) {
      QStringList patterns;
      for (const auto& p : f.patterns)
        patterns << QString::fromStdString(p);
      filters << ToQ(f.description) + " (" + patterns.join(' ') + ")";
    }
    const QString start = QString::fromLocal8Bit(setup.startFolder.c_str());
    const QString name =
        save ? QFileDialog::getSaveFileName(this, save ? "Save to file" : "Load from file", start,
                                            filters.join(";;"))
             : QFileDialog::getOpenFileName(this, "Load from file", start, filters.join(";;"));
    return std::string(name.toLocal8Bit().constData());
  };
}

void MainWindow::moveEvent(QMoveEvent* event) {
  QMainWindow::moveEvent(event);
  if (!(windowState() & Qt::WindowMinimized)) {
    form_.bounds.left = x();
    form_.bounds.top = y();
  }
}

void MainWindow::closeEvent(QCloseEvent* event) {
  if (!program_) {
    event->accept();
    return;
  }
  // A run still going is told to end (the request on the line may
  // complete, nothing new is sent) and the close is tried again shortly:
  // the run may be below us on this very stack, waiting in the event loop.
  // After a while the program ends anyway; a load's worker is then stopped
  // by the program's own end.
  if (!closeAsked_.isValid()) closeAsked_.start();
  if (!program_->ReadyToClose() && closeAsked_.elapsed() < kCloseWaitMs) {
    event->ignore();
    QTimer::singleShot(20, this, [this] { close(); });
    return;
  }
  const bool minimised = windowState() & Qt::WindowMinimized;
  Guarded(host_, [&] { program_->FormClose(minimised); });
  event->accept();
  // The terminal or settings window left open must not keep the program.
  QCoreApplication::quit();
}

}  // namespace varnek::gui
