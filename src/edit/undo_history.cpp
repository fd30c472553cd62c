#include "edit/undo_history.h"

namespace varnek {

void UndoHistory::Reset(const TableState& now) {
  undo_.clear();
  redo_.clear();
  current_ = now;
}

bool UndoHistory::Record(const std::string& name, const TableState& now) {
  if (now == current_) return false;
  undo_.push_back({name, current_, now});
  if (undo_.size() > kDepth) undo_.pop_front();
  redo_.clear();
  current_ = now;
  return true;
}

const TableState* UndoHistory::Undo() {
  if (undo_.empty()) return nullptr;
  redo_.push_back(std::move(undo_.back()));
  undo_.pop_back();
  current_ = redo_.back().before;
  return &current_;
}

const TableState* UndoHistory::Redo() {
  if (redo_.empty()) return nullptr;
  undo_.push_back(std::move(redo_.back()));
  redo_.pop_back();
  current_ = undo_.back().after;
  return &current_;
}

}  // namespace varnek
