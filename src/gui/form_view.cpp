#include "gui/form_view.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFontDatabase>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QToolButton>
#include <QVBoxLayout>
#include <QValidator>

#include "base/cp1252.h"
#include "gui/qt_text.h"

namespace varnek::gui {
namespace {

// Files and rigs hold cp1252; refusing other characters at the keyboard
// means nothing typed is silently altered on save.
class Cp1252Validator : public QValidator {
 public:
  using QValidator::QValidator;
  State validate(QString& input, int&) const override {
    for (const QChar ch : input)
      if (!Cp1252CanHold(ch.unicode())) return Invalid;
    return Acceptable;
  }
};

QColor ToColor(Color c) {
  return QColor(c.r, c.g, c.b);
}

// A label's "&P" marks an accelerator; a label without a buddy would show
// the ampersand itself, so it is dropped ("&&" stands for one "&").
QString LabelText(const std::string& caption) {
  QString out;
  const QString in = ToQ(caption);
  for (int i = 0; i < in.size(); ++i) {
    if (in[i] == '&') {
      if (i + 1 < in.size() && in[i + 1] == '&') out += '&';
      if (i + 1 < in.size())
        ++i;
      else
        break;
      if (in[i] != '&') out += in[i];
      continue;
    }
    out += in[i];
  }
  return out;
}

QPixmap ToPixmap(const Bitmap& b) {
  QImage img(b.width, b.height, QImage::Format_RGB32);
  for (int y = 0; y < b.height; ++y)
    for (int x = 0; x < b.width; ++x) {
      const Color c = b.At(x, y);
      img.setPixel(x, y, qRgb(c.r, c.g, c.b));
    }
  return QPixmap::fromImage(img);
}

// The spin buttons beside an interval edit.
class SpinButtons : public QWidget {
 public:
  SpinButtons(QWidget* parent, std::function<void(bool)> step) : QWidget(parent) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    for (bool up : {true, false}) {
      auto* b = new QToolButton(this);
      b->setArrowType(up ? Qt::UpArrow : Qt::DownArrow);
      b->setObjectName(up ? "up" : "down");
      b->setAutoRepeat(true);
      b->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
      connect(b, &QToolButton::clicked, this, [step, up] { step(up); });
      layout->addWidget(b);
    }
  }
};

// An edit a person types into must take focus even without a place in the
// tab order (Qt hands keys only to the focused widget).
bool TakesTyping(const TControl& c) {
  if (c.Kind() == ControlKind::Edit) return !static_cast<const TEdit&>(c).readOnly;
  if (c.Kind() == ControlKind::ComboBox) return static_cast<const TComboBox&>(c).editable;
  return false;
}

}  // namespace

FormView::FormView(Host& host, QWidget* client, const std::vector<TControl*>& controls)
    : QObject(client), host_(host), baseFont_(client->font()) {
  for (TControl* c : controls) {
    QWidget* parent = c->parent ? WidgetOf(c->parent) : client;
    QWidget* w = Create(c, parent ? parent : client);
    w->setObjectName(QString::fromStdString(c->Name()));
    w->setGeometry(c->bounds.left, c->bounds.top, c->bounds.width, c->bounds.height);
    widgets_[c] = w;
    controlOf_[w] = c;
    Mirror(c, w);
    subscriptions_.emplace_back(c, c->Subscribe([this, c, w] { Mirror(c, w); }));
  }
  // Tab order: the model's order of tab stops.
  std::vector<std::pair<int, QWidget*>> stops;
  for (TControl* c : controls) {
    QWidget* w = widgets_[c];
    if (c->tabOrder >= 0)
      stops.emplace_back(c->tabOrder, w);
    else if (TakesTyping(*c))
      w->setFocusPolicy(Qt::ClickFocus);  // out of the tab chain, yet typed into
    else if (c->Kind() != ControlKind::Panel && c->Kind() != ControlKind::GroupBox)
      w->setFocusPolicy(Qt::NoFocus);
  }
  std::sort(stops.begin(), stops.end(), [](auto& a, auto& b) { return a.first < b.first; });
  for (size_t i = 1; i < stops.size(); ++i)
    QWidget::setTabOrder(stops[i - 1].second, stops[i].second);
}

FormView::~FormView() {
  // The models outlive their views: nothing of theirs may point back here.
  for (auto& [c, token] : subscriptions_) {
    c->Unsubscribe(token);
    if (c->Kind() == ControlKind::Memo) static_cast<TMemo*>(c)->OnLineAdded = nullptr;
  }
  for (auto& [item, token] : menuSubscriptions_)
    item->Unsubscribe(token);
}

QWidget* FormView::WidgetOf(const TControl* c) const {
  const auto it = widgets_.find(c);
  return it == widgets_.end() ? nullptr : it->second;
}

void FormView::Run(const std::function<void()>& f) {
  Guarded(host_, f);
}

QWidget* FormView::Create(TControl* c, QWidget* parent) {
  switch (c->Kind()) {
    case ControlKind::Label:
    case ControlKind::Image: {
      auto* l = new QLabel(parent);
      l->installEventFilter(this);
      if (c->Kind() == ControlKind::Image) l->setPixmap(ToPixmap(static_cast<TImage*>(c)->picture));
      return l;
    }
    case ControlKind::Edit: {
      auto* e = new QLineEdit(parent);
      auto* edit = static_cast<TEdit*>(c);
      e->setValidator(new Cp1252Validator(e));
      e->setReadOnly(edit->readOnly);
      e->installEventFilter(this);
      connect(e, &QLineEdit::textEdited, this,
              [this, edit](const QString& t) { Run([&] { edit->UserInput(FromQ(t)); }); });
      connect(e, &QLineEdit::editingFinished, this, [this, edit] { Run([&] { edit->Exit(); }); });
      return e;
    }
    case ControlKind::ComboBox: {
      auto* box = new QComboBox(parent);
      auto* combo = static_cast<TComboBox*>(c);
      box->setEditable(combo->editable);
      box->setMaxVisibleItems(combo->dropDownCount);
      box->setInsertPolicy(QComboBox::NoInsert);
      if (box->lineEdit()) {
        box->lineEdit()->setValidator(new Cp1252Validator(box));
        connect(box->lineEdit(), &QLineEdit::textEdited, this,
                [this, combo](const QString& t) { Run([&] { combo->UserInput(FromQ(t)); }); });
      }
      connect(box, qOverload<int>(&QComboBox::activated), this,
              [this, combo](int i) { Run([&] { combo->UserSelect(i); }); });
      return box;
    }
    case ControlKind::CheckBox:
    case ControlKind::RadioButton: {
      QAbstractButton* b = c->Kind() == ControlKind::CheckBox
                               ? static_cast<QAbstractButton*>(new QCheckBox(parent))
                               : new QRadioButton(parent);
      auto* box = static_cast<TCheckBox*>(c);
      if (c->Kind() == ControlKind::RadioButton) b->setAutoExclusive(false);
      connect(b, &QAbstractButton::clicked, this, [this, box, b] {
        Run([&] { box->Toggle(); });
        // The model decides; undo what Qt toggled on its own if it disagrees.
        if (b->isChecked() != box->Checked()) b->setChecked(box->Checked());
      });
      return b;
    }
    case ControlKind::Button: {
      auto* b = new QPushButton(parent);
      auto* button = static_cast<TButton*>(c);
      connect(b, &QPushButton::clicked, this, [this, button] { Run([&] { button->Click(); }); });
      return b;
    }
    case ControlKind::UpDown: {
      auto* ud = static_cast<TUpDown*>(c);
      return new SpinButtons(parent, [this, ud](bool up) { Run([&] { ud->Step(up); }); });
    }
    case ControlKind::Panel:
      return new QWidget(parent);
    case ControlKind::GroupBox:
      return new QGroupBox(parent);
    case ControlKind::Memo: {
      auto* m = new QPlainTextEdit(parent);
      auto* memo = static_cast<TMemo*>(c);
      m->setReadOnly(true);
      m->setLineWrapMode(QPlainTextEdit::NoWrap);
      memo->OnLineAdded = [m](const std::string& line) { m->appendPlainText(ToQ(line)); };
      return m;
    }
    case ControlKind::ProgressBar: {
      auto* bar = new QProgressBar(parent);
      bar->setTextVisible(true);
      bar->setFormat("%v / %m");
      return bar;
    }
    case ControlKind::ListBox: {
      auto* l = new QListWidget(parent);
      auto* list = static_cast<TListBox*>(c);
      connect(l, &QListWidget::currentRowChanged, this, [this, list](int row) {
        if (mirroring_) return;
        Run([&] {
          list->SetItemIndex(row);
          if (list->OnClick) list->OnClick();
        });
      });
      return l;
    }
  }
  return new QWidget(parent);
}

void FormView::MirrorCommon(TControl* c, QWidget* w) {
  w->setEnabled(c->Enabled());
  w->setVisible(c->Visible());
  w->setToolTip(ToQ(c->Hint()));
  if (c->handCursor) w->setCursor(Qt::PointingHandCursor);
  // From the window's font every time: copying a child's resolved font loses
  // the family fallbacks.
  QFont f = baseFont_;
  if (c->Kind() == ControlKind::Memo) {
    // Dump lines line up only in a fixed-pitch face.
    f = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    f.setPixelSize(12);
  }
  f.setBold(c->bold);
  f.setUnderline(c->underline);
  if (c->fontHeight > 0) f.setPixelSize(c->fontHeight);
  w->setFont(f);
  QPalette p = w->palette();
  p.setColor(QPalette::WindowText, ToColor(c->FontColor()));
  p.setColor(QPalette::Text, ToColor(c->FontColor()));
  if (c->Kind() == ControlKind::Edit || c->Kind() == ControlKind::ComboBox)
    p.setColor(QPalette::Base, ToColor(c->BackColor()));
  w->setPalette(p);
}

void FormView::Mirror(TControl* c, QWidget* w) {
  mirroring_ = true;
  MirrorCommon(c, w);
  switch (c->Kind()) {
    case ControlKind::Label:
      static_cast<QLabel*>(w)->setText(LabelText(static_cast<TLabel*>(c)->Caption()));
      break;
    case ControlKind::Image:
      break;
    case ControlKind::Edit: {
      auto* e = static_cast<QLineEdit*>(w);
      const QString t = ToQ(static_cast<TEdit*>(c)->Text());
      if (e->text() != t) e->setText(t);
      break;
    }
    case ControlKind::ComboBox: {
      auto* box = static_cast<QComboBox*>(w);
      auto* combo = static_cast<TComboBox*>(c);
      // Compared item by item: a device list can change its names and keep
      // its length.
      QStringList items;
      for (const auto& item : combo->Items())
        items << ToQ(item);
      QStringList shown;
      for (int i = 0; i < box->count(); ++i)
        shown << box->itemText(i);
      if (shown != items) {
        const QSignalBlocker block(box);
        box->clear();
        box->addItems(items);
        box->setCurrentIndex(combo->ItemIndex());
        box->setEditText(ToQ(combo->Text()));
      }
      const QString t = ToQ(combo->Text());
      if (box->currentText() != t) {
        const QSignalBlocker block(box);
        if (combo->ItemIndex() >= 0) box->setCurrentIndex(combo->ItemIndex());
        box->setEditText(t);
      }
      break;
    }
    case ControlKind::CheckBox:
    case ControlKind::RadioButton: {
      auto* b = static_cast<QAbstractButton*>(w);
      auto* box = static_cast<TCheckBox*>(c);
      b->setText(ToQ(box->Caption()));
      if (b->isChecked() != box->Checked()) {
        const QSignalBlocker block(b);
        b->setChecked(box->Checked());
      }
      break;
    }
    case ControlKind::Button:
      static_cast<QPushButton*>(w)->setText(ToQ(static_cast<TButton*>(c)->Caption()));
      break;
    case ControlKind::GroupBox:
      static_cast<QGroupBox*>(w)->setTitle(ToQ(static_cast<TGroupBox*>(c)->Caption()));
      break;
    case ControlKind::Memo: {
      auto* m = static_cast<QPlainTextEdit*>(w);
      QString all;
      for (const auto& line : static_cast<TMemo*>(c)->Lines()) {
        if (!all.isEmpty()) all += '\n';
        all += ToQ(line);
      }
      if (m->toPlainText() != all) m->setPlainText(all);
      break;
    }
    case ControlKind::ListBox: {
      auto* l = static_cast<QListWidget*>(w);
      auto* list = static_cast<TListBox*>(c);
      if (l->count() != static_cast<int>(list->Items().size())) {
        l->clear();
        for (const auto& item : list->Items())
          l->addItem(ToQ(item));
      }
      if (l->currentRow() != list->ItemIndex()) l->setCurrentRow(list->ItemIndex());
      break;
    }
    case ControlKind::ProgressBar: {
      auto* bar = static_cast<QProgressBar*>(w);
      auto* model = static_cast<TProgressBar*>(c);
      bar->setRange(0, model->Max());
      bar->setValue(model->Position());
      break;
    }
    case ControlKind::UpDown:
    case ControlKind::Panel:
      break;
  }
  mirroring_ = false;
}

bool FormView::eventFilter(QObject* watched, QEvent* event) {
  const auto it = controlOf_.find(watched);
  if (it == controlOf_.end()) return QObject::eventFilter(watched, event);
  TControl* c = it->second;
  if (event->type() == QEvent::MouseButtonRelease &&
      (c->Kind() == ControlKind::Label || c->Kind() == ControlKind::Image)) {
    auto* me = static_cast<QMouseEvent*>(event);
    if (me->button() == Qt::LeftButton) Run([&] { static_cast<TCaptioned*>(c)->Click(); });
    return false;
  }
  if (event->type() == QEvent::ShortcutOverride && c->Kind() == ControlKind::Edit) {
    // Undo and redo are the table's (a box's own undo would bypass its
    // history); the edit lets the window's shortcut have them.
    auto* ke = static_cast<QKeyEvent*>(event);
    const QKeyCombination key = ke->keyCombination();
    if (ke->matches(QKeySequence::Undo) || ke->matches(QKeySequence::Redo) ||
        key == QKeyCombination(Qt::ControlModifier, Qt::Key_Y) ||
        key == QKeyCombination(Qt::ControlModifier | Qt::ShiftModifier, Qt::Key_Z)) {
      event->ignore();
      return true;
    }
  }
  if (event->type() == QEvent::KeyPress && c->Kind() == ControlKind::Edit) {
    auto* ke = static_cast<QKeyEvent*>(event);
    auto* edit = static_cast<TEdit*>(c);
    const QString text = ke->text();
    if (!edit->OnKeyPress || text.size() != 1 || !text[0].isPrint()) return false;
    const std::string typed = FromQ(text);
    char key = typed.empty() ? 0 : typed[0];
    bool failed = false;
    Run([&] {
      try {
        key = edit->KeyPress(key);
      } catch (...) {
        failed = true;
        throw;
      }
    });
    if (failed || key == 0) return true;  // swallowed
    if (key == typed[0]) return false;
    // Insert the character the model chose instead of the typed one.
    QKeyEvent replaced(ke->type(), ke->key(), ke->modifiers(), ToQ(std::string(1, key)));
    static_cast<QLineEdit*>(watched)->event(&replaced);
    return true;
  }
  return QObject::eventFilter(watched, event);
}

void FormView::BuildMenu(QMenuBar* bar, TMenuItem& root) {
  std::function<void(QMenu*, TMenuItem&)> fill = [&](QMenu* menu, TMenuItem& item) {
    for (auto& child : item.items) {
      if (child->caption == "-") {
        menu->addSeparator();
        continue;
      }
      if (!child->items.empty()) {
        QMenu* sub = menu->addMenu(ToQ(child->caption));
        sub->setObjectName(QString::fromStdString(child->name));
        fill(sub, *child);
        continue;
      }
      Bind(menu->addAction(ToQ(child->caption)), *child);
    }
  };
  for (auto& top : root.items) {
    if (!top->items.empty()) {
      QMenu* menu = bar->addMenu(ToQ(top->caption));
      menu->setObjectName(QString::fromStdString(top->name));
      fill(menu, *top);
    } else {
      Bind(bar->addAction(ToQ(top->caption)), *top);
    }
  }
}

void FormView::Bind(QAction* a, TMenuItem& item) {
  a->setObjectName(QString::fromStdString(item.name));
  TMenuItem* target = &item;
  QList<QKeySequence> keys;
  for (const std::string& k : target->shortcuts)
    keys << QKeySequence(QString::fromStdString(k));
  a->setShortcuts(keys);
  a->setEnabled(target->enabled);
  menuSubscriptions_.emplace_back(target, target->Subscribe([a, target] {
    a->setEnabled(target->enabled);
    a->setText(ToQ(target->caption));
  }));
  connect(a, &QAction::triggered, this, [this, target] { Run([&] { target->Click(); }); });
}

}  // namespace varnek::gui
