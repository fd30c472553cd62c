#pragma once
// The memory list's view: a table view over the core's TMemoryList, whose
// cells and menu it mirrors. Cell editors fit the column: a list where the
// model offers choices (modes, tones, DCS codes), else a line of text.
#include <QAbstractTableModel>
#include <QMainWindow>
#include <QStyledItemDelegate>

#include "base/host.h"
#include "edit/memory_list.h"

class QTableView;

namespace varnek::gui {

class FormView;

class MemoryListModel : public QAbstractTableModel {
  Q_OBJECT
 public:
  MemoryListModel(Host& host, TMemoryList& list, QObject* parent);
  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;
  bool setData(const QModelIndex& index, const QVariant& value, int role) override;
  void RowChanged(int row);
  void ColumnsChanged();
  TMemoryList& list() { return list_; }

 private:
  Host& host_;
  TMemoryList& list_;
};

class CellDelegate : public QStyledItemDelegate {
  Q_OBJECT
 public:
  CellDelegate(TMemoryList& list, QObject* parent) : QStyledItemDelegate(parent), list_(list) {}
  QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                        const QModelIndex& index) const override;
  void setEditorData(QWidget* editor, const QModelIndex& index) const override;
  void setModelData(QWidget* editor, QAbstractItemModel* model,
                    const QModelIndex& index) const override;

 private:
  TMemoryList& list_;
};

class MemoryListWindow : public QMainWindow {
  Q_OBJECT
 public:
  MemoryListWindow(Host& host, TMemoryList& list, QWidget* parent);
  ~MemoryListWindow() override;
  QTableView* table() const { return table_; }
  MemoryListModel* model() const { return model_; }

 private:
  void ShowSelection(int current, const std::vector<int>& rows);
  void TakeSelection();

  Host& host_;
  TMemoryList& list_;
  QTableView* table_;
  MemoryListModel* model_;
  FormView* menuView_;
  bool selecting_ = false;
};

}  // namespace varnek::gui
