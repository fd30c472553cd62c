#pragma once
// The table's edit commands as pure functions over a TableState: insert,
// delete, move, sort, the clipboard's text both ways and find. Each one
// either does all it was asked or nothing, and then says why, so an undo
// step is never half a command.
#include <string>
#include <string_view>
#include <vector>

#include "edit/table_state.h"
#include "settings/rig_settings.h"

namespace varnek {

// The rows an insert, delete, move or sort stays within: the whole table
// (from 01 where the rig has no channel 00), or, where 90-99 hold
// program-scan edges, 00-89 and 90-99 apart.
struct RowBlock {
  int first = 0, last = ChannelWindow::kChannels - 1;
  friend bool operator==(const RowBlock&, const RowBlock&) = default;
};
RowBlock BlockOf(std::string_view modelCode, int row);

// A row that holds a frequency or a name (a mode alone is no channel).
bool RowFilled(const ChannelRow& row);

// Each returns why it changed nothing, or "" when done.
// An empty row at `row`; the rows below move down to the block's end,
// whose last row must be empty.
std::string InsertEmptyRow(TableState& t, int row, std::string_view modelCode);
// The rows below each deleted one move up within its block; the block ends
// in empty rows.
std::string DeleteRows(TableState& t, const std::vector<int>& rows, std::string_view modelCode);
// The rows one place up (delta -1) or down (+1) within their block; `rows`
// becomes where they are now.
std::string MoveRows(TableState& t, std::vector<int>& rows, int delta, std::string_view modelCode);
enum class SortKey { Frequency, Name, Mode };
// Two or more rows: those rows' contents are sorted among their places;
// one row or none: the block of `current`. Empty rows go last, the order
// is stable.
std::string SortRows(TableState& t, const std::vector<int>& rows, int current, SortKey key,
                     std::string_view modelCode);

// The rows as the channel file writes them: a line each, TAB-separated,
// the kept fields as the fifth field, CR LF after every line.
std::string ClipboardText(const TableState& t, const std::vector<int>& rows, FreqNotation notation);
// Clipboard lines for the rows from `first` down: channel file lines (their
// numbers are ignored) or a spreadsheet's "frequency TAB mode TAB name".
struct Pasted {
  std::vector<std::pair<int, ChannelRow>> rows;
  std::string refusal;  // "line 3: ..." when nothing may be pasted
};
Pasted ParsePaste(std::string_view text, int first, std::string_view modelCode,
                  FreqNotation notation);

// The next row after `from`, round the table, whose frequency is the one
// `text` names in any notation or whose name holds `text` (case ignored);
// -1 when none does.
int FindRow(const TableState& t, std::string_view text, int from);

}  // namespace varnek
