// Backups: what the rig held of the channels a save or clear is about to
// change, read just before and kept as a channel file, and the restore that
// writes such a file back.
#include <algorithm>
#include <cctype>
#include <ctime>
#include <filesystem>

#include "base/file_io.h"
#include "base/finally.h"
#include "base/text.h"
#include "files/channel_file.h"
#include "rig/command_set.h"
#include "serial/serial_port.h"
#include "transfer/transfers.h"
#include "window/channel_window.h"

namespace varnek {
namespace {

// The rig's name as a file name: letters, digits, '-' and '_' stay.
std::string FileStem(const std::string& rig) {
  std::string s;
  for (const char c : rig)
    s += (std::isalnum(static_cast<unsigned char>(c)) || c == '-' || c == '_') ? c : '_';
  return s.empty() ? std::string("rig") : s;
}

std::string Timestamp() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  char text[32];
  std::strftime(text, sizeof text, "%Y%m%d-%H%M%S", &local);
  return text;
}

std::string ChannelNames(const std::vector<int>& channels) {
  std::string s;
  for (const int n : channels)
    s += (s.empty() ? "" : ", ") + ChannelText(n);
  return s;
}

}  // namespace

std::vector<int> Transfers::ChannelsToSave() {
  std::vector<int> channels;
  for (int n = 0; n < ChannelWindow::kChannels; ++n)
    if (form_.RowChecked(n) && (n > 0 || form_.RowAvailable(0))) channels.push_back(n);
  return channels;
}

std::vector<int> Transfers::ChannelsToClear() {
  std::vector<int> channels;
  for (int n = Commands().FirstClearable(); n < ChannelWindow::kChannels; ++n)
    if (form_.RowChecked(n)) channels.push_back(n);
  return channels;
}

std::string Transfers::BackupFolder() const {
  std::string folder = backupFolder.empty() ? form_.shared.DocumentsFolder.Get() + "backups"
                                            : backupFolder;
  if (!folder.empty() && folder.back() != '/') folder += '/';
  return folder;
}

bool Transfers::BackUpBefore(const std::vector<int>& channels) {
  lastBackup_.clear();
  if (!form_.shared.BackupBeforeWriting || channels.empty()) return true;
  const std::string code = form_.shared.ModelCode.Get();
  const CommandSet& commands = Commands();
  if (commands.Family() == RigFamily::None) return true;
  // Nothing read is stored into the table that is about to be written.
  const auto restore = LookOnlyReads();
  MemoryModeBeforeReads();
  std::string text;
  std::vector<int> silent;
  // Reads one side of channel `n` and tells whether the rig answered it.
  const auto read = [&](const std::string& channel, bool transmitSide) {
    ReadChannelFromRig(channel, transmitSide);
    std::lock_guard lock(answeredMutex_);
    const bool answered = answered_.count(watched_) > 0;
    watched_.clear();
    return answered;
  };
  using S = ChannelAnswer::Status;
  for (const int n : channels) {
    if (form_.shared.StopRequested || !port_.Active()) return false;
    const std::string channel = ChannelText(n);
    if (!read(channel, false)) {
      silent.push_back(n);
      continue;
    }
    // An empty channel answers with a refusal, an all-zero record or none
    // of its own: its line has no frequency.
    const ChannelAnswer held = commands.ParseHeld(io_.TranscriptLines(), code, channel);
    ChannelRow row;
    if (held.status == S::Channel) {
      row = {Trim(held.freq), held.mode, held.hasName ? held.name : std::string(), held.kept};
      // A write of the receive side makes a split simplex: its transmit
      // side (a scan pair's end) goes into the backup too. Only TS records
      // carry a side to compare with.
      if (!held.side.empty()) {
        if (!read(channel, true)) {
          silent.push_back(n);
          continue;
        }
        const ChannelAnswer tx = commands.ParseHeld(io_.TranscriptLines(), code, channel);
        if (tx.status == S::Channel && tx.side.size() == held.side.size() && tx.side != held.side)
          row.kept.tx = tx.side;
      }
    }
    text += ChannelLineText(n, row, FreqNotation::TwoPoints);
  }
  {
    std::lock_guard lock(answeredMutex_);
    answered_.clear();
  }
  commands.AfterReadsBeforeWrites(Context());
  if (!silent.empty()) {
    const std::string question = "No answer from the rig for channel" +
                                 std::string(silent.size() > 1 ? "s " : " ") +
                                 ChannelNames(silent) +
                                 ", so there is no backup of it. Write without that backup?";
    const bool go = OnBackupIncomplete ? OnBackupIncomplete(question)
                                       : host_.Confirm(question, MessageIcon::Warning);
    if (!go) return false;
  }
  const std::string folder = BackupFolder();
  const std::string path =
      folder + FileStem(form_.RigName()) + "-" + Timestamp() + ".txt";
  CreateDirectories(folder);
  const FileResult written = WriteFileAtomically(path, text);
  if (!written.ok) {
    Complain("The backup could not be written, so nothing was changed: " + written.message);
    return false;
  }
  lastBackup_ = path;
  form_.ShowStatus("Backed up to " + path);
  if (OnBackupMade) OnBackupMade(path);
  return true;
}

std::string Transfers::NewestBackup() const {
  const std::string stem = FileStem(form_.RigName()) + "-";
  std::string newest;
  std::error_code ec;
  for (const auto& entry : std::filesystem::directory_iterator(BackupFolder(), ec)) {
    const std::string name = entry.path().filename().string();
    // The time in the name sorts as text.
    if (StartsWith(name, stem) && name.size() > stem.size() && name > newest) newest = name;
  }
  return newest.empty() ? newest : BackupFolder() + newest;
}

bool Transfers::LoadBackupIntoTable(const std::string& path) {
  std::vector<ChannelLine> lines;
  const ChannelFileResult r = LoadChannelFile(
      path, FreqNotation::TwoPoints, [&](const ChannelLine& line) { lines.push_back(line); });
  if (!r.ok) {
    Tell(r.message);
    return false;
  }
  // A line the reader skipped is in no row: its channel is neither
  // written nor cleared.
  if (!r.report.empty()) {
    std::string text = path + ": these lines were not taken:";
    for (const std::string& line : r.report)
      text += "\r" + line;
    Tell(text);
  }
  for (int n = 0; n < ChannelWindow::kChannels; ++n)
    form_.SetRowChecked(n, false);
  for (const ChannelLine& line : lines) {
    form_.SetChannel(line.number, line.freq, line.mode, line.name);
    form_.SetRowKept(line.number, line.kept);
    form_.SetRowChecked(ChannelIndexOf(line.number), true);
  }
  return true;
}

void Transfers::RestoreBackup(const std::string& path) {
  if (closing_ || RefuseWhileBusy("Restoring")) return;
  if (!LoadBackupIntoTable(path)) return;
  std::vector<int> rows, empty;
  for (int n = 0; n < ChannelWindow::kChannels; ++n) {
    if (!form_.RowChecked(n)) continue;
    (Trim(form_.RowFreq(n)).empty() ? empty : rows).push_back(n);
  }
  const auto checkOnly = [this](const std::vector<int>& which) {
    for (int n = 0; n < ChannelWindow::kChannels; ++n)
      form_.SetRowChecked(n, std::find(which.begin(), which.end(), n) != which.end());
  };
  // The channels that held something are written, the empty ones cleared
  // by the family's own clear; afterwards the table shows the backup.
  if (!rows.empty()) {
    checkOnly(rows);
    SaveToRig1Click();
  }
  if (!empty.empty() && !form_.shared.StopRequested && !closing_) {
    checkOnly(empty);
    ClearCheckedChannels();
  }
  std::vector<int> all = rows;
  all.insert(all.end(), empty.begin(), empty.end());
  checkOnly(all);
}

}  // namespace varnek
