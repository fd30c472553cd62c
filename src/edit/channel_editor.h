#pragma once
// The table's editing over the main window: the undo history and the
// commands of the memory list and the Edit menus. A command reads the
// table, changes a copy, and writes back only when the whole change can be
// made; each command, box edit, menu command and load is one undo step.
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "edit/table_edit.h"
#include "edit/undo_history.h"

namespace varnek {

class ChannelEditor {
 public:
  // `notation`: the frequency notation of the channel file, for the clipboard.
  ChannelEditor(ChannelWindow& window, std::function<FreqNotation()> notation);
  ~ChannelEditor();
  ChannelEditor(const ChannelEditor&) = delete;
  ChannelEditor& operator=(const ChannelEditor&) = delete;

  // The table as it is becomes the start of a new history: the steps
  // before spoke of another model's memories.
  void Reset();
  // What changed since the last step becomes a step named `name`; an empty
  // name is the user's own edits ("Edit").
  void Step(const std::string& name);
  // Runs `change` as one step; the flows' own steps inside it are part of it.
  void Command(const std::string& name, const std::function<void()>& change);

  bool CanUndo() const { return history_.CanUndo(); }
  bool CanRedo() const { return history_.CanRedo(); }
  // "Undo Paste 3 Rows"; "Undo" when there is nothing to undo.
  std::string UndoCaption() const;
  std::string RedoCaption() const;
  // Edits not yet a step are one first, so an undo takes back the latest.
  bool Undo();
  bool Redo();
  // After every step, undo, redo and reset: the menus' captions follow.
  std::function<void()> OnHistoryChanged;

  // The commands. A refusal is told and changes nothing; false then.
  bool InsertEmptyRow(int row);
  bool DeleteRows(const std::vector<int>& rows);
  bool MoveRows(std::vector<int>& rows, int delta);
  bool SortRows(const std::vector<int>& rows, int current, SortKey key);
  std::string Copy(const std::vector<int>& rows) const;
  // Copies the rows and empties them in place.
  std::string Cut(const std::vector<int>& rows);
  // Returns the rows pasted (none on a refusal).
  std::vector<int> Paste(int row, std::string_view text);
  int Find(std::string_view text, int from) const;

  ChannelWindow& window() { return window_; }
  std::string ModelCode() const { return window_.shared.ModelCode.Get(); }

 private:
  bool Change(const std::string& name, const std::function<std::string(TableState&)>& edit);
  void Show(const TableState& state);
  void Changed();

  ChannelWindow& window_;
  std::function<FreqNotation()> notation_;
  UndoHistory history_;
  int depth_ = 0;  // inside a command or an undo: the flows' steps are part of it
};

// "1 Row", "3 Rows".
std::string RowsText(size_t count);

}  // namespace varnek
