#pragma once
// The table as one value: every row's frequency, mode, name and kept
// fields, and its check mark. The undo history keeps these, the edit
// commands work on them, and the window is brought to one with the same
// writes a load makes, so its change reactions run as for any other load.
#include <array>

#include "files/channel_file.h"
#include "window/channel_window.h"

namespace varnek {

struct TableState {
  ChannelTable rows;
  std::array<bool, ChannelWindow::kChannels> checked{};
  friend bool operator==(const TableState&, const TableState&) = default;
};

TableState StateOf(const ChannelWindow& window);
// Writes the rows that differ; the others are not touched (no change
// reaction runs for them, a compare's mark on them stays).
void ApplyState(ChannelWindow& window, const TableState& state);

}  // namespace varnek
