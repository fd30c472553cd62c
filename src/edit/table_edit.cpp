#include "edit/table_edit.h"

#include <algorithm>
#include <optional>

#include "base/rig_family.h"
#include "base/text.h"
#include "edit/freq_refusal.h"
#include "rig/freq.h"

namespace varnek {
namespace {

constexpr int kLast = ChannelWindow::kChannels - 1;

std::string BlockText(const RowBlock& b) {
  return ChannelText(b.first) + "-" + ChannelText(b.last);
}

std::string Lower(std::string_view s) {
  std::string out(s);
  for (char& c : out)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return out;
}

// Checks that every row is one the rig has; sorted and without repeats.
std::optional<std::string> CheckRows(std::vector<int>& rows, std::string_view modelCode) {
  std::sort(rows.begin(), rows.end());
  rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
  if (rows.empty()) return "No row is selected.";
  for (int r : rows) {
    if (r < 0 || r > kLast) return "There is no channel " + std::to_string(r) + ".";
    if (r < BlockOf(modelCode, r).first) return "This rig has no channel " + ChannelText(r) + ".";
  }
  return std::nullopt;
}

void MoveRow(TableState& t, int to, int from) {
  t.rows[static_cast<size_t>(to)] = t.rows[static_cast<size_t>(from)];
  t.checked[static_cast<size_t>(to)] = t.checked[static_cast<size_t>(from)];
}

void EmptyRow(TableState& t, int row) {
  t.rows[static_cast<size_t>(row)] = {};
  t.checked[static_cast<size_t>(row)] = false;
}

std::vector<std::string_view> SplitTabs(std::string_view line) {
  std::vector<std::string_view> fields;
  size_t start = 0;
  for (;;) {
    const size_t tab = line.find('\t', start);
    fields.push_back(line.substr(start, tab == std::string_view::npos ? line.npos : tab - start));
    if (tab == std::string_view::npos) return fields;
    start = tab + 1;
  }
}

std::vector<std::string_view> SplitLines(std::string_view text) {
  std::vector<std::string_view> lines;
  size_t start = 0;
  while (start < text.size()) {
    const size_t end = text.find_first_of("\r\n", start);
    if (end == std::string_view::npos) {
      lines.push_back(text.substr(start));
      break;
    }
    lines.push_back(text.substr(start, end - start));
    start = end + (text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n' ? 2 : 1);
  }
  // A spreadsheet ends its copy with a line end; blank lines after the
  // last row are no rows.
  while (!lines.empty() && Trim(lines.back()).empty()) lines.pop_back();
  return lines;
}

}  // namespace

RowBlock BlockOf(std::string_view modelCode, int row) {
  const int first = HasChannel00(modelCode) ? 0 : 1;
  if (!HasScanEdgeChannels(modelCode)) return {first, kLast};
  if (row >= 90) return {90, kLast};
  return {first, 89};
}

bool RowFilled(const ChannelRow& row) {
  return !Trim(row.freq).empty() || !row.name.empty();
}

std::string InsertEmptyRow(TableState& t, int row, std::string_view modelCode) {
  std::vector<int> rows{row};
  if (auto problem = CheckRows(rows, modelCode)) return "Nothing inserted: " + *problem;
  const RowBlock b = BlockOf(modelCode, row);
  if (RowFilled(t.rows[static_cast<size_t>(b.last)]))
    return "Nothing inserted: channel " + ChannelText(b.last) + " is not empty, and an insert "
           "would push it out of channels " + BlockText(b) + ". Delete a row below first.";
  for (int i = b.last; i > row; --i)
    MoveRow(t, i, i - 1);
  EmptyRow(t, row);
  return {};
}

std::string DeleteRows(TableState& t, const std::vector<int>& selection,
                       std::string_view modelCode) {
  std::vector<int> rows = selection;
  if (auto problem = CheckRows(rows, modelCode)) return "Nothing deleted: " + *problem;
  // From the bottom up, so each deleted row's number still means that row.
  for (auto it = rows.rbegin(); it != rows.rend(); ++it) {
    const RowBlock b = BlockOf(modelCode, *it);
    for (int i = *it; i < b.last; ++i)
      MoveRow(t, i, i + 1);
    EmptyRow(t, b.last);
  }
  return {};
}

std::string MoveRows(TableState& t, std::vector<int>& rows, int delta, std::string_view modelCode) {
  if (auto problem = CheckRows(rows, modelCode)) return "Nothing moved: " + *problem;
  for (int r : rows) {
    const RowBlock b = BlockOf(modelCode, r);
    const int to = r + delta;
    if (to < b.first || to > b.last)
      return "Nothing moved: channel " + ChannelText(r) + " is at the " +
             (delta < 0 ? "top" : "bottom") + " of channels " + BlockText(b) + ".";
  }
  // Each row trades places with its neighbour; a run of selected rows
  // carries the neighbour from one end of the run to the other.
  auto swap = [&](int r) {
    const auto a = static_cast<size_t>(r), z = static_cast<size_t>(r + delta);
    std::swap(t.rows[a], t.rows[z]);
    std::swap(t.checked[a], t.checked[z]);
  };
  if (delta < 0)
    for (int r : rows) swap(r);
  else
    for (auto it = rows.rbegin(); it != rows.rend(); ++it) swap(*it);
  for (int& r : rows) r += delta;
  return {};
}

std::string SortRows(TableState& t, const std::vector<int>& selection, int current, SortKey key,
                     std::string_view modelCode) {
  std::vector<int> rows = selection;
  if (rows.size() < 2) {
    rows = {current};
    if (auto problem = CheckRows(rows, modelCode)) return "Nothing sorted: " + *problem;
    const RowBlock b = BlockOf(modelCode, current);
    rows.clear();
    for (int r = b.first; r <= b.last; ++r) rows.push_back(r);
  }
  if (auto problem = CheckRows(rows, modelCode)) return "Nothing sorted: " + *problem;
  const RowBlock b = BlockOf(modelCode, rows.front());
  if (BlockOf(modelCode, rows.back()) != b)
    return "Nothing sorted: the rows reach beyond channels " + BlockText(b) + ".";
  struct Entry {
    ChannelRow row;
    bool checked;
  };
  std::vector<Entry> entries;
  for (int r : rows)
    entries.push_back({t.rows[static_cast<size_t>(r)], t.checked[static_cast<size_t>(r)]});
  auto hertz = [](const ChannelRow& row) {
    return FreqHertz(Trim(row.freq)).value_or(kMaxFreqHertz + 1);
  };
  std::stable_sort(entries.begin(), entries.end(), [&](const Entry& a, const Entry& z) {
    const bool af = RowFilled(a.row), zf = RowFilled(z.row);
    if (af != zf) return af;
    switch (key) {
      case SortKey::Frequency:
        return hertz(a.row) < hertz(z.row);
      case SortKey::Name:
        return Lower(a.row.name) < Lower(z.row.name);
      case SortKey::Mode:
        return Trim(a.row.mode) < Trim(z.row.mode);
    }
    return false;
  });
  for (size_t i = 0; i < rows.size(); ++i) {
    t.rows[static_cast<size_t>(rows[i])] = entries[i].row;
    t.checked[static_cast<size_t>(rows[i])] = entries[i].checked;
  }
  return {};
}

std::string ClipboardText(const TableState& t, const std::vector<int>& selection,
                          FreqNotation notation) {
  std::vector<int> rows = selection;
  std::sort(rows.begin(), rows.end());
  rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
  std::string out;
  for (int r : rows)
    if (r >= 0 && r <= kLast) out += ChannelLineText(r, t.rows[static_cast<size_t>(r)], notation);
  return out;
}

Pasted ParsePaste(std::string_view text, int first, std::string_view modelCode,
                  FreqNotation notation) {
  Pasted out;
  const std::vector<std::string_view> lines = SplitLines(text);
  if (lines.empty()) {
    out.refusal = "The clipboard holds no lines to paste.";
    return out;
  }
  first = std::max(first, BlockOf(modelCode, first).first);
  for (size_t i = 0; i < lines.size(); ++i) {
    const std::string where = "Nothing pasted: line " + std::to_string(i + 1) + ": ";
    const int row = first + static_cast<int>(i);
    if (row > kLast) {
      out.rows.clear();
      out.refusal = where + "no row is left for it; " + std::to_string(lines.size()) +
                    " lines from channel " + ChannelText(first) + " go beyond channel 99.";
      return out;
    }
    const std::vector<std::string_view> fields = SplitTabs(lines[i]);
    // A channel file line starts with its number and then a frequency (or
    // nothing, for an empty channel); a spreadsheet's row starts with the
    // frequency.
    const bool numbered = fields.size() >= 2 && ChannelNumberOf(fields[0]) >= 0 &&
                          (Trim(fields[1]).empty() ||
                           ReadFreq(fields[1]).kind == FreqReading::Kind::Hertz);
    const ChannelLine c = ParseChannelLine(
        numbered ? std::string(lines[i]) : "00\t" + std::string(lines[i]), notation);
    const std::string refusal = FreqRefusal(ChannelText(row), c.freq, modelCode);
    if (!refusal.empty()) {
      out.rows.clear();
      out.refusal = where + refusal;
      return out;
    }
    out.rows.push_back({row, ChannelRow{c.freq, c.mode, c.name, c.kept}});
  }
  return out;
}

int FindRow(const TableState& t, std::string_view wanted, int from) {
  const std::string text = Trim(wanted);
  if (text.empty()) return -1;
  const FreqReading reading = ReadFreq(text);
  const std::string lower = Lower(text);
  for (int i = 1; i <= ChannelWindow::kChannels; ++i) {
    const int r = ((from + i) % ChannelWindow::kChannels + ChannelWindow::kChannels) %
                  ChannelWindow::kChannels;
    const ChannelRow& row = t.rows[static_cast<size_t>(r)];
    if (reading.kind == FreqReading::Kind::Hertz) {
      const auto hertz = FreqHertz(Trim(row.freq));
      if (hertz && (*hertz == reading.hertz || (reading.asMhz > 0 && *hertz == reading.asMhz)))
        return r;
    }
    if (Lower(row.name).find(lower) != std::string::npos) return r;
  }
  return -1;
}

}  // namespace varnek
