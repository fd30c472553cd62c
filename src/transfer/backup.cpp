// Backups: what the rig held of the channels a save or clear is about to
// change, read just before and kept as a channel file, and the restore that
// writes such a file back.
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>

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

// The time a backup is taken, in UTC to the millisecond: it sorts as text
// in the order the backups were made, across a change of daylight saving
// time too ("2026-12-09T18:53:17.123Z"). `compact` gives the file name's
// form ("20261209-185317.123Z").
std::string UtcStamp(std::chrono::system_clock::time_point t, bool compact) {
  const std::time_t secs = std::chrono::system_clock::to_time_t(t);
  const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(t.time_since_epoch()) % 1000;
  std::tm utc{};
  gmtime_r(&secs, &utc);
  char text[40];
  std::strftime(text, sizeof text, compact ? "%Y%m%d-%H%M%S" : "%Y-%m-%dT%H:%M:%S", &utc);
  char out[48];
  std::snprintf(out, sizeof out, "%s.%03dZ", text, static_cast<int>(ms.count()));
  return out;
}

std::string ChannelNames(const std::vector<int>& channels) {
  std::string s;
  for (const int n : channels)
    s += (s.empty() ? "" : ", ") + ChannelText(n);
  return s;
}

// The first line of every backup says what it is and when it was taken;
// readers of channel files pass over a line that starts with '#'.
constexpr const char* kHeader = "# Varnek backup of the ";
constexpr const char* kTaken = " taken ";
constexpr const char* kIncomplete = "; incomplete";

// Claims a name nobody has: a backup never replaces a file, and two taken
// within the same millisecond get a counter. The empty file made here is
// replaced by the backup itself; an empty file is never taken as a backup.
std::string ClaimNewName(const std::string& folder, const std::string& base, std::string& error) {
  for (int n = 1; n < 1000; ++n) {
    const std::string path = folder + base + (n == 1 ? "" : "-" + std::to_string(n)) + ".txt";
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd >= 0) {
      ::close(fd);
      return path;
    }
    if (errno != EEXIST) {
      error = path + ": " + std::strerror(errno);
      return {};
    }
  }
  error = folder + base + ".txt: too many backups of the same moment";
  return {};
}

// The time recorded in a backup's first line, or empty when the file is no
// complete backup (another file, an interrupted write, an incomplete one).
std::string CompleteBackupTime(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::string first;
  if (!in || !std::getline(in, first)) return {};
  if (!first.empty() && first.back() == '\r') first.pop_back();
  if (!StartsWith(first, kHeader) || first.find(kIncomplete) != std::string::npos) return {};
  const size_t at = first.rfind(kTaken);
  return at == std::string::npos ? std::string() : first.substr(at + std::strlen(kTaken));
}

}  // namespace

std::vector<Transfers::RowNow> Transfers::RowsToSave() {
  std::vector<RowNow> rows;
  for (int n = 0; n < ChannelWindow::kChannels; ++n) {
    if (!form_.RowChecked(n) || !form_.RowAvailable(n)) continue;
    RowNow row;
    row.channel = n;
    row.checked = true;
    row.freq = form_.RowFreq(n);
    row.mode = form_.RowMode(n);
    row.name = form_.RowName(n);
    row.kept = form_.RowKept(n);
    rows.push_back(std::move(row));
  }
  return rows;
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
  const auto taken = std::chrono::system_clock::now();
  // Nothing read is stored into the table that is about to be written.
  const auto restore = LookOnlyReads();
  MemoryModeBeforeReads();
  std::string text;
  std::vector<int> silent;
  // Reads one side of channel `n`: what the rig holds there by its own
  // answer, or nothing when no answer of this channel came. A refusal
  // ("?;" while the rig is busy), an error answer, a record cut short, a
  // late record of another channel or an acknowledgement without the
  // frequency says nothing of the channel; taken as empty, a restore would
  // clear a channel that held a memory.
  using S = ChannelAnswer::Status;
  const auto read = [&](const std::string& channel, bool transmitSide) -> ChannelAnswer {
    ReadChannelFromRig(channel, transmitSide);
    {
      std::lock_guard lock(answeredMutex_);
      const bool answered = answered_.count(watched_) > 0;
      answered_.erase(watched_);
      watched_.clear();
      if (!answered) return {};
    }
    return commands.Held(io_.TranscriptLines(), code, channel);
  };
  for (const int n : channels) {
    if (form_.shared.StopRequested || !port_.Active()) return false;
    const std::string channel = ChannelText(n);
    const ChannelAnswer held = read(channel, false);
    if (held.status != S::Channel && held.status != S::Empty) {
      silent.push_back(n);
      continue;
    }
    ChannelRow row;
    if (held.status == S::Channel) {
      row = {Trim(held.freq), held.mode, held.hasName ? held.name : std::string(), held.kept};
      // A write of the receive side makes a split simplex: its transmit
      // side (a scan pair's end) goes into the backup too. Only TS records
      // carry a side to compare with.
      if (!held.side.empty()) {
        const ChannelAnswer tx = read(channel, true);
        if (tx.status != S::Channel || tx.side.size() != held.side.size()) {
          silent.push_back(n);
          continue;
        }
        if (tx.side != held.side) row.kept.tx = tx.side;
        NoteHeld(n, HeldOf(held, &tx));
      } else {
        NoteHeld(n, HeldOf(held));
      }
    } else {
      NoteHeld(n, HeldChannel{});
    }
    text += ChannelLineText(n, row, FreqNotation::TwoPoints);
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
  std::string header = kHeader + form_.RigName() + kTaken + UtcStamp(taken, false);
  if (!silent.empty()) header += kIncomplete + (": no answer for " + ChannelNames(silent));
  const std::string folder = BackupFolder();
  CreateDirectories(folder);
  std::string error;
  const std::string path =
      ClaimNewName(folder, FileStem(form_.RigName()) + "-" + UtcStamp(taken, true), error);
  const FileResult written =
      path.empty() ? FileResult{false, error} : WriteFileAtomically(path, header + "\r\n" + text);
  if (!written.ok) {
    if (!path.empty()) DeleteFile(path);
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
  std::string newest, newestTime;
  std::error_code ec;
  for (const auto& entry : std::filesystem::directory_iterator(BackupFolder(), ec)) {
    const std::string name = entry.path().filename().string();
    // Only finished backups: a write's temporary file has another ending.
    const bool txt = name.size() > 4 && name.compare(name.size() - 4, 4, ".txt") == 0;
    if (!StartsWith(name, stem) || !txt || !entry.is_regular_file(ec)) continue;
    const std::string time = CompleteBackupTime(entry.path().string());
    if (!time.empty() && time > newestTime) {
      newestTime = time;
      newest = name;
    }
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
  form_.TableStep({});
  for (int n = 0; n < ChannelWindow::kChannels; ++n)
    form_.SetRowChecked(n, false);
  for (const ChannelLine& line : lines) {
    form_.SetChannel(line.number, line.freq, line.mode, line.name);
    form_.SetRowKept(line.number, line.kept);
    form_.SetRowChecked(ChannelIndexOf(line.number), true);
  }
  form_.TableStep("Load Last Backup");
  return true;
}

void Transfers::RestoreBackup(const std::string& path) {
  if (closing_ || RefuseWhileBusy("Restoring")) return;
  if (!LoadBackupIntoTable(path)) return;
  std::vector<RowNow> rows;
  std::vector<int> empty, all;
  for (const RowNow& row : RowsToSave()) {
    all.push_back(row.channel);
    if (Trim(row.freq).empty()) {
      // The family's own clear empties a channel; CI-V has none for 00.
      if (row.channel >= Commands().FirstClearable()) empty.push_back(row.channel);
    } else {
      rows.push_back(row);
    }
  }
  // One backup of everything the restore changes, before the writes. When
  // the writes do not go ahead (that backup declined or failed, a stop),
  // nothing is cleared either.
  if (!rows.empty()) {
    if (!SaveRun(rows, all) || form_.shared.StopRequested || closing_ || !port_.Active()) return;
    all.clear();
  }
  if (!empty.empty()) ClearRun(empty, all);
}

}  // namespace varnek
