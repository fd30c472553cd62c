#pragma once
// The memory list: all channels as a spreadsheet, one column per field the
// selected model keeps of a memory beyond frequency, mode and name. A
// presentation model over the main window's table, never a copy of it: a
// cell shows the row as the window holds it, and a cell edit writes the
// row (its boxes, or its kept fields in the model's own record layout) as
// one undo step. The view is Qt's item views; the menu is a TMenuItem tree
// like the main window's.
#include <functional>
#include <string>
#include <vector>

#include "base/controls.h"
#include "edit/channel_editor.h"
#include "rig/record_schema.h"

namespace varnek {

class TMemoryList {
 public:
  enum class ColumnKind { Channel, Check, Freq, Mode, Name, Field, TransmitSide };
  struct Column {
    std::string title;
    ColumnKind kind;
    const RecordField* field = nullptr;
  };

  explicit TMemoryList(ChannelEditor& editor);
  ~TMemoryList();
  TMemoryList(const TMemoryList&) = delete;
  TMemoryList& operator=(const TMemoryList&) = delete;

  std::string caption = "Memory List";
  TMenuItem menu{"MemoryListMenu", ""};
  TMenuItem& MenuItem(const std::string& name);

  // The columns of the selected model; built again when it changes.
  const std::vector<Column>& Columns() const { return columns_; }
  void ModelChanged();
  int ColumnOf(std::string_view title) const;

  std::string Cell(int row, int column) const;
  bool Checked(int row) const { return editor_.window().RowChecked(row); }
  bool Available(int row) const { return editor_.window().RowAvailable(row); }
  bool Editable(int row, int column) const;
  // What the cell's editor offers, as the cell shows it; empty: typed text.
  std::vector<std::string> Choices(int row, int column) const;
  // Why `text` cannot stand in the cell; empty when it can.
  std::string CellProblem(int row, int column, const std::string& text) const;
  // The user's edit of a cell: one undo step, or the refusal told.
  bool SetCell(int row, int column, const std::string& text);

  // The selection, as the view has it: the current row and the selected rows.
  void Select(int current, std::vector<int> rows);
  int Current() const { return current_; }
  const std::vector<int>& Selected() const { return selected_; }
  // Opens the list at `row`.
  void Open(int row);

  // The menu's commands (what the menu items run).
  void Undo();
  void Redo();
  void Copy();
  void Cut();
  void Paste();
  void InsertEmptyRow();
  void DeleteRows();
  void Move(int delta);
  void Sort(SortKey key);
  void Find();
  void FindNext();

  // While a transfer runs the table is the run's: nothing changes it.
  void SetBusy(bool busy);
  // The Undo and Redo items say what they would do.
  void RefreshUndo();

  // Set by the view.
  std::function<void(int row)> OnRowChanged;
  std::function<void()> OnColumnsChanged;
  std::function<void(int current, const std::vector<int>& rows)> OnSelect;
  std::function<void()> OnShow, OnClose;
  std::function<void(const std::string&)> SetClipboard;
  std::function<std::string()> ClipboardText;
  // Asks for the text to find (empty: cancelled), offering the last one.
  std::function<std::string(const std::string& last)> AskFindText;

 private:
  struct Candidate {
    std::string code, meaning;
  };
  std::vector<Candidate> FieldCandidates(const RecordField& field) const;
  // The kept fields a field edit starts from: the row's own when they are
  // this model's, else what a row typed by hand writes.
  KeptFields KeptBase(int row) const;
  std::string FieldCode(int row, const RecordField& field, const std::string& text,
                        std::string& problem) const;
  // The kept transmit side for a typed "frequency [mode]"; empty for
  // simplex or a refusal (then `problem` says why).
  std::string TransmitSide(int row, const std::string& text, std::string& problem) const;
  std::vector<int> Rows() const;
  void BuildMenu();

  ChannelEditor& editor_;
  const RecordSchema* schema_ = nullptr;
  std::string model_;
  std::vector<Column> columns_;
  int current_ = 0;
  std::vector<int> selected_;
  std::string lastFind_;
  bool busy_ = false;
};

// The mode names the model's memories take (every name the table knows
// when no rig is selected).
std::vector<std::string> ModeChoices(std::string_view modelCode);

}  // namespace varnek
