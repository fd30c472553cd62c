#include "edit/channel_editor.h"

#include "base/finally.h"

namespace varnek {

std::string RowsText(size_t count) {
  return std::to_string(count) + (count == 1 ? " Row" : " Rows");
}

ChannelEditor::ChannelEditor(ChannelWindow& window, std::function<FreqNotation()> notation)
    : window_(window), notation_(std::move(notation)) {
  history_.Reset(StateOf(window_));
  window_.OnTableStep = [this](const std::string& name) { Step(name); };
}

ChannelEditor::~ChannelEditor() {
  window_.OnTableStep = nullptr;
}

void ChannelEditor::Changed() {
  if (OnHistoryChanged) OnHistoryChanged();
}

void ChannelEditor::Reset() {
  history_.Reset(StateOf(window_));
  Changed();
}

void ChannelEditor::Step(const std::string& name) {
  if (depth_ > 0) return;
  if (history_.Record(name.empty() ? "Edit" : name, StateOf(window_))) Changed();
}

void ChannelEditor::Command(const std::string& name, const std::function<void()>& change) {
  Step({});
  {
    ++depth_;
    Finally out{[this] { --depth_; }};
    change();
  }
  Step(name);
}

std::string ChannelEditor::UndoCaption() const {
  return CanUndo() ? "Undo " + history_.UndoName() : "Undo";
}

std::string ChannelEditor::RedoCaption() const {
  return CanRedo() ? "Redo " + history_.RedoName() : "Redo";
}

void ChannelEditor::Show(const TableState& state) {
  ++depth_;
  Finally out{[this] { --depth_; }};
  ApplyState(window_, state);
}

bool ChannelEditor::Undo() {
  Step({});
  const TableState* state = history_.Undo();
  if (!state) return false;
  Show(*state);
  Changed();
  return true;
}

bool ChannelEditor::Redo() {
  // An edit after the undo starts a new line of steps: nothing to redo.
  Step({});
  const TableState* state = history_.Redo();
  if (!state) return false;
  Show(*state);
  Changed();
  return true;
}

bool ChannelEditor::Change(const std::string& name,
                           const std::function<std::string(TableState&)>& edit) {
  Step({});
  TableState next = StateOf(window_);
  const std::string refusal = edit(next);
  if (!refusal.empty()) {
    window_.host.ShowMessage(refusal);
    return false;
  }
  Show(next);
  Step(name);
  return true;
}

bool ChannelEditor::InsertEmptyRow(int row) {
  return Change("Insert Empty Row", [&](TableState& t) {
    return varnek::InsertEmptyRow(t, row, ModelCode());
  });
}

bool ChannelEditor::DeleteRows(const std::vector<int>& rows) {
  return Change("Delete " + RowsText(rows.size()), [&](TableState& t) {
    return varnek::DeleteRows(t, rows, ModelCode());
  });
}

bool ChannelEditor::MoveRows(std::vector<int>& rows, int delta) {
  return Change(delta < 0 ? "Move Up" : "Move Down", [&](TableState& t) {
    return varnek::MoveRows(t, rows, delta, ModelCode());
  });
}

bool ChannelEditor::SortRows(const std::vector<int>& rows, int current, SortKey key) {
  const char* by = key == SortKey::Frequency ? "Frequency" : key == SortKey::Name ? "Name" : "Mode";
  return Change(std::string("Sort by ") + by, [&](TableState& t) {
    return varnek::SortRows(t, rows, current, key, ModelCode());
  });
}

std::string ChannelEditor::Copy(const std::vector<int>& rows) const {
  return ClipboardText(StateOf(window_), rows, notation_ ? notation_() : FreqNotation::TwoPoints);
}

std::string ChannelEditor::Cut(const std::vector<int>& rows) {
  const std::string text = Copy(rows);
  Change("Cut " + RowsText(rows.size()), [&](TableState& t) {
    for (int r : rows)
      if (r >= BlockOf(ModelCode(), r).first && r < ChannelWindow::kChannels) {
        t.rows[static_cast<size_t>(r)] = {};
        t.checked[static_cast<size_t>(r)] = false;
      }
    return std::string();
  });
  return text;
}

std::vector<int> ChannelEditor::Paste(int row, std::string_view text) {
  const Pasted pasted =
      ParsePaste(text, row, ModelCode(), notation_ ? notation_() : FreqNotation::TwoPoints);
  std::vector<int> rows;
  const bool done = Change("Paste " + RowsText(pasted.rows.size()), [&](TableState& t) {
    for (const auto& [r, content] : pasted.rows)
      t.rows[static_cast<size_t>(r)] = content;
    return pasted.refusal;
  });
  if (done)
    for (const auto& p : pasted.rows) rows.push_back(p.first);
  return rows;
}

int ChannelEditor::Find(std::string_view text, int from) const {
  return FindRow(StateOf(window_), text, from);
}

}  // namespace varnek
