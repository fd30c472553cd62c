#pragma once
// The table's undo history: each step is the whole table before and after
// it (100 short rows: a few kilobytes), so undoing gives back exactly what
// was there, kept fields and check marks included, whatever the command was.
#include <deque>
#include <string>
#include <vector>

#include "edit/table_state.h"

namespace varnek {

class UndoHistory {
 public:
  static constexpr size_t kDepth = 200;

  // Forgets every step; `now` is where the next one starts.
  void Reset(const TableState& now);
  // The change from the last step to `now`, as a step named `name` ("Paste 3
  // Rows"). Nothing when the table is as it was. Clears the redo steps.
  bool Record(const std::string& name, const TableState& now);
  const TableState& Current() const { return current_; }

  bool CanUndo() const { return !undo_.empty(); }
  bool CanRedo() const { return !redo_.empty(); }
  std::string UndoName() const { return undo_.empty() ? std::string() : undo_.back().name; }
  std::string RedoName() const { return redo_.empty() ? std::string() : redo_.back().name; }
  // The table to show after undoing or redoing the step; nullptr when
  // there is none.
  const TableState* Undo();
  const TableState* Redo();

 private:
  struct Step {
    std::string name;
    TableState before, after;
  };
  std::deque<Step> undo_;
  std::vector<Step> redo_;
  TableState current_;
};

}  // namespace varnek
