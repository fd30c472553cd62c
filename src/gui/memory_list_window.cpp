#include "gui/memory_list_window.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QHeaderView>
#include <QInputDialog>
#include <QItemSelectionModel>
#include <QMenuBar>
#include <QTableView>

#include "gui/form_view.h"
#include "gui/main_window.h"
#include "gui/qt_text.h"

namespace varnek::gui {

MemoryListModel::MemoryListModel(Host& host, TMemoryList& list, QObject* parent)
    : QAbstractTableModel(parent), host_(host), list_(list) {}

int MemoryListModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : ChannelWindow::kChannels;
}

int MemoryListModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(list_.Columns().size());
}

QVariant MemoryListModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid()) return {};
  const int row = index.row(), column = index.column();
  const auto kind = list_.Columns()[static_cast<size_t>(column)].kind;
  switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
      if (kind == TMemoryList::ColumnKind::Check) return {};
      return ToQ(list_.Cell(row, column));
    case Qt::CheckStateRole:
      if (kind != TMemoryList::ColumnKind::Check) return {};
      return list_.Checked(row) ? Qt::Checked : Qt::Unchecked;
    case Qt::TextAlignmentRole:
      if (kind == TMemoryList::ColumnKind::Freq) return int(Qt::AlignRight | Qt::AlignVCenter);
      return {};
    default:
      return {};
  }
}

QVariant MemoryListModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (role != Qt::DisplayRole || orientation != Qt::Horizontal) return {};
  if (section < 0 || section >= columnCount()) return {};
  return ToQ(list_.Columns()[static_cast<size_t>(section)].title);
}

Qt::ItemFlags MemoryListModel::flags(const QModelIndex& index) const {
  if (!index.isValid()) return Qt::NoItemFlags;
  const int row = index.row(), column = index.column();
  if (!list_.Available(row)) return Qt::NoItemFlags;
  Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
  if (!list_.Editable(row, column)) return f;
  if (list_.Columns()[static_cast<size_t>(column)].kind == TMemoryList::ColumnKind::Check)
    return f | Qt::ItemIsUserCheckable;
  return f | Qt::ItemIsEditable;
}

bool MemoryListModel::setData(const QModelIndex& index, const QVariant& value, int role) {
  if (!index.isValid()) return false;
  bool done = false;
  Guarded(host_, [&] {
    if (role == Qt::CheckStateRole)
      done = list_.SetCell(index.row(), index.column(),
                           value.toInt() == Qt::Checked ? "1" : "0");
    else if (role == Qt::EditRole)
      done = list_.SetCell(index.row(), index.column(), FromQ(value.toString()));
  });
  return done;
}

void MemoryListModel::RowChanged(int row) {
  if (columnCount() == 0) return;
  emit dataChanged(index(row, 0), index(row, columnCount() - 1));
}

void MemoryListModel::ColumnsChanged() {
  beginResetModel();
  endResetModel();
}

QWidget* CellDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                                    const QModelIndex& index) const {
  const std::vector<std::string> choices = list_.Choices(index.row(), index.column());
  if (choices.empty()) return QStyledItemDelegate::createEditor(parent, option, index);
  auto* box = new QComboBox(parent);
  // A list offers what the model can hold, and nothing else.
  box->setEditable(false);
  for (const std::string& c : choices) box->addItem(ToQ(c));
  return box;
}

void CellDelegate::setEditorData(QWidget* editor, const QModelIndex& index) const {
  if (auto* box = qobject_cast<QComboBox*>(editor)) {
    const QString now = index.data(Qt::EditRole).toString();
    if (box->findText(now) < 0) box->insertItem(0, now);  // as the row holds it
    box->setCurrentText(now);
    return;
  }
  QStyledItemDelegate::setEditorData(editor, index);
}

void CellDelegate::setModelData(QWidget* editor, QAbstractItemModel* model,
                                const QModelIndex& index) const {
  if (auto* box = qobject_cast<QComboBox*>(editor)) {
    model->setData(index, box->currentText(), Qt::EditRole);
    return;
  }
  QStyledItemDelegate::setModelData(editor, model, index);
}

MemoryListWindow::MemoryListWindow(Host& host, TMemoryList& list, QWidget* parent)
    : QMainWindow(parent, Qt::Window), host_(host), list_(list) {
  setObjectName("MemoryList");
  setWindowTitle(ToQ(list.caption));
  setFont(WindowFont());
  table_ = new QTableView(this);
  table_->setObjectName("MemoryTable");
  model_ = new MemoryListModel(host, list, this);
  table_->setModel(model_);
  table_->setItemDelegate(new CellDelegate(list, table_));
  table_->setSelectionBehavior(QAbstractItemView::SelectRows);
  table_->setSelectionMode(QAbstractItemView::ExtendedSelection);
  table_->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                          QAbstractItemView::AnyKeyPressed);
  table_->verticalHeader()->hide();
  table_->verticalHeader()->setDefaultSectionSize(20);
  table_->horizontalHeader()->setStretchLastSection(false);
  setCentralWidget(table_);
  menuBar()->setObjectName("MemoryListMenu");
  menuView_ = new FormView(host, this, {});
  menuView_->BuildMenu(menuBar(), list.menu);
  resize(1060, 600);
  auto fitColumns = [this] {
    table_->resizeColumnsToContents();
    // Empty columns would shrink to their title; a frequency or a name
    // typed later needs the room.
    for (int c = 0; c < model_->columnCount(); ++c) {
      const auto kind = list_.Columns()[static_cast<size_t>(c)].kind;
      if (kind == TMemoryList::ColumnKind::Freq || kind == TMemoryList::ColumnKind::Name)
        table_->setColumnWidth(c, std::max(table_->columnWidth(c), 96));
    }
  };
  fitColumns();

  list.OnRowChanged = [this](int row) { model_->RowChanged(row); };
  list.OnColumnsChanged = [this, fitColumns] {
    model_->ColumnsChanged();
    fitColumns();
  };
  list.OnSelect = [this](int current, const std::vector<int>& rows) {
    ShowSelection(current, rows);
  };
  list.OnShow = [this] {
    show();
    raise();
    activateWindow();
  };
  list.OnClose = [this] { close(); };
  list.SetClipboard = [](const std::string& text) {
    QApplication::clipboard()->setText(ToQ(text));
  };
  list.ClipboardText = [] { return FromQ(QApplication::clipboard()->text()); };
  list.AskFindText = [this](const std::string& last) {
    bool ok = false;
    const QString text = QInputDialog::getText(
        this, "Find", "Frequency (any notation) or a part of a name:", QLineEdit::Normal,
        ToQ(last), &ok);
    return ok ? FromQ(text) : std::string();
  };
  connect(table_->selectionModel(), &QItemSelectionModel::selectionChanged, this,
          [this] { TakeSelection(); });
  connect(table_->selectionModel(), &QItemSelectionModel::currentChanged, this,
          [this] { TakeSelection(); });
}

MemoryListWindow::~MemoryListWindow() {
  for (auto* hook : {&list_.OnColumnsChanged, &list_.OnShow, &list_.OnClose})
    *hook = nullptr;
  list_.OnRowChanged = nullptr;
  list_.OnSelect = nullptr;
  list_.SetClipboard = nullptr;
  list_.ClipboardText = nullptr;
  list_.AskFindText = nullptr;
}

void MemoryListWindow::TakeSelection() {
  if (selecting_) return;
  std::vector<int> rows;
  for (const QModelIndex& i : table_->selectionModel()->selectedRows()) rows.push_back(i.row());
  const int current = table_->currentIndex().isValid() ? table_->currentIndex().row() : 0;
  list_.Select(current, rows);
}

void MemoryListWindow::ShowSelection(int current, const std::vector<int>& rows) {
  selecting_ = true;
  QItemSelectionModel* s = table_->selectionModel();
  const int column = std::max(table_->currentIndex().column(), 2);
  s->setCurrentIndex(model_->index(current, column), QItemSelectionModel::NoUpdate);
  QItemSelection selection;
  for (int r : rows)
    selection.select(model_->index(r, 0), model_->index(r, model_->columnCount() - 1));
  s->select(selection, QItemSelectionModel::ClearAndSelect);
  table_->scrollTo(model_->index(current, column));
  selecting_ = false;
}

}  // namespace varnek::gui
