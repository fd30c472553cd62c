#pragma once
// Builds Qt widgets for a window model's controls and keeps the two in step:
// model changes are mirrored onto the widgets, user input goes back to the
// model through its setters (wrapped so that an error becomes a report, not
// an exception in the event loop).
#include <QMenuBar>
#include <QWidget>
#include <map>
#include <vector>

#include "base/controls.h"
#include "base/host.h"

namespace varnek::gui {

class FormView : public QObject {
  Q_OBJECT
 public:
  FormView(Host& host, QWidget* client, const std::vector<TControl*>& controls);
  ~FormView() override;

  QWidget* WidgetOf(const TControl* c) const;
  // Fills a menu bar from the model's top-level menu items.
  void BuildMenu(QMenuBar* bar, TMenuItem& root);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QWidget* Create(TControl* c, QWidget* parent);
  void Mirror(TControl* c, QWidget* w);
  void MirrorCommon(TControl* c, QWidget* w);
  void Run(const std::function<void()>& f);
  // A menu item's action: its name, shortcuts, caption and state follow the model.
  void Bind(QAction* action, TMenuItem& item);

  Host& host_;
  std::map<const TControl*, QWidget*> widgets_;
  std::map<QObject*, TControl*> controlOf_;
  std::vector<std::pair<TControl*, int>> subscriptions_;
  std::vector<std::pair<TMenuItem*, int>> menuSubscriptions_;
  QFont baseFont_;
  bool mirroring_ = false;
};

}  // namespace varnek::gui
