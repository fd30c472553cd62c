#include "edit/table_state.h"

#include "base/text.h"

namespace varnek {

TableState StateOf(const ChannelWindow& window) {
  TableState s;
  s.rows = TableOf(window);
  for (int n = 0; n < ChannelWindow::kChannels; ++n)
    s.checked[static_cast<size_t>(n)] = window.RowChecked(n);
  return s;
}

void ApplyState(ChannelWindow& window, const TableState& state) {
  for (int n = 0; n < ChannelWindow::kChannels; ++n) {
    const auto i = static_cast<size_t>(n);
    const ChannelRow& row = state.rows[i];
    const ChannelRow now{window.RowFreq(n), window.RowMode(n), window.RowName(n), window.RowKept(n)};
    if (now != row) {
      // The frequency's change reaction proposes a mode and, for an empty
      // row, forgets the kept fields: mode and kept fields are written after it.
      window.SetChannel(ChannelText(n), row.freq, row.mode, row.name);
      window.SetRowKept(ChannelText(n), row.kept);
    }
    if (window.RowChecked(n) != state.checked[i]) window.SetRowChecked(n, state.checked[i]);
  }
}

}  // namespace varnek
