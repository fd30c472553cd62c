// What the rig holds, remembered from every answer the program saw, and the
// two commands built on it: Load > "Compare Checked with Rig" reads the
// checked channels and marks the rows that differ; Save > "Changed Channels
// to Rig" writes only the checked rows the rig does not hold already.
#include <mutex>

#include "base/text.h"
#include "rig/command_set.h"
#include "rig/family.h"
#include "serial/serial_port.h"
#include "transfer/transfers.h"
#include "transfer/verify.h"
#include "window/channel_window.h"

namespace varnek {
namespace {

std::string Count(size_t n, const char* one, const char* many) {
  return std::to_string(n) + " " + (n == 1 ? one : many);
}


}  // namespace

// What is remembered holds for one rig on one line: another model, port or
// CI-V address makes all of it unknown.
std::string Transfers::HoldsKey() const {
  return form_.shared.ModelCode.Get() + "|" + port_.DevicePath() + "|" +
         CivAddressOrDefault(form_.shared.CivAddress.Get());
}

void Transfers::ForgetWhatTheRigHolds() {
  std::lock_guard lock(holdsMutex_);
  holds_ = {};
}

void Transfers::NoteHeld(int n, const std::optional<HeldChannel>& held) {
  if (n < 0 || n >= ChannelWindow::kChannels) return;
  const std::string key = HoldsKey();
  std::lock_guard lock(holdsMutex_);
  if (key != holdsKey_) {
    holds_ = {};
    holdsKey_ = key;
  }
  holds_[static_cast<size_t>(n)] = held;
}

void Transfers::NoteWrite(int n, Exchange e, const RowNow& row) {
  switch (e) {
    case Exchange::Answered:  // the rig confirmed it: it holds the row
      NoteHeld(n, HeldOfRow(row.freq, row.mode, row.name, row.kept,
                            form_.shared.ModelCode.Get()));
      return;
    case Exchange::NotSent:  // nothing went out
    case Exchange::Refused:  // the rig kept what it held
      return;
    case Exchange::Sent:
    case Exchange::Unanswered:
      NoteHeld(n, std::nullopt);  // it may or may not hold the row now
      return;
  }
}

std::optional<HeldChannel> Transfers::RigHolds(int n) const {
  if (n < 0 || n >= ChannelWindow::kChannels) return std::nullopt;
  const std::string key = HoldsKey();
  std::lock_guard lock(holdsMutex_);
  if (key != holdsKey_) return std::nullopt;
  return holds_[static_cast<size_t>(n)];
}

std::vector<std::string> Transfers::Differences(const RowNow& row) const {
  const std::optional<HeldChannel> held = RigHolds(row.channel);
  if (!held) return {"not seen in the rig"};
  return RowDifferences(row.freq, row.mode, row.name, row.kept, *held,
                        form_.shared.ModelCode.Get());
}

void Transfers::CompareCheckedWithRig() {
  if (closing_ || RefuseWhileBusy("Comparing")) return;
  const std::vector<RowNow> rows = RowsToSave();
  io_.ClearTranscript();
  form_.shared.StopRequested = false;
  ApplyAnswerFraming();
  BeginReport();
  SetRun(Run::Compare);
  Finally end{[this] { SetRun(Run::None); }};
  comparison_ = CompareRows(rows);
  form_.lbChan.SetCaption("Ready");
  for (const Compared& c : comparison_)
    form_.SetRowCompared(c.channel, c.noAnswer        ? "no answer from the rig"
                                    : c.fields.empty() ? std::string()
                                                       : "rig: " + HeldText(c.rig) + " (" +
                                                             CommaSeparated(c.fields) + ")");
  if (closing_) return;
  if (OnCompared) {
    OnCompared(comparison_);
  } else {
    size_t same = 0, differ = 0, missing = 0;
    std::string lines;
    for (const Compared& c : comparison_) {
      if (c.noAnswer) {
        ++missing;
      } else if (c.fields.empty()) {
        ++same;
      } else {
        ++differ;
        lines += "\n" + CompareLine(c);
      }
    }
    std::string heading = "Compared with the rig: " + Count(same, "channel the same", "channels the same") +
                          ", " + Count(differ, "differs", "differ");
    if (missing > 0) heading += ", " + std::to_string(missing) + " without an answer";
    Tell(heading + "." + lines);
  }
  const std::string unanswered = NoAnswerReport();
  if (!unanswered.empty()) Tell(unanswered);
}

std::string Transfers::CompareLine(const Compared& c) {
  const std::string fields = CommaSeparated(c.fields);
  const std::string table = Trim(c.row.freq).empty()
                                ? std::string("empty")
                                : Trim(c.row.freq) + (Trim(c.row.mode).empty() ? "" : " " + Trim(c.row.mode)) +
                                      (Trim(c.row.name).empty() ? "" : " '" + Trim(c.row.name) + "'");
  return ChannelText(c.channel) + ": " + fields + " - the table has " + table + ", the rig " +
         HeldText(c.rig);
}

std::vector<Transfers::Compared> Transfers::CompareRows(const std::vector<RowNow>& rows) {
  const std::string code = form_.shared.ModelCode.Get();
  const CommandSet& commands = Commands();
  std::vector<Compared> result;
  if (commands.Family() == RigFamily::None) return result;
  // As the read-back: every answer awaited, nothing stored into the table.
  const auto restore = LookOnlyReads();
  MemoryModeBeforeReads();
  using S = ChannelAnswer::Status;
  const auto read = [&](const std::string& channel, bool transmitSide) -> ChannelAnswer {
    ReadChannelFromRig(channel, transmitSide);
    if (!EndWatch(Asked::Read)) return {};
    return commands.Held(io_.TranscriptLines(), code, channel);
  };
  int done = 0;
  for (const RowNow& row : rows) {
    const std::string channel = ChannelText(row.channel);
    Compared c;
    c.channel = row.channel;
    c.row = {row.freq, row.mode, row.name};
    // A channel never read (the run stopped, the line closed) is one the
    // rig gave no word on.
    if (form_.shared.StopRequested || !port_.Active() || closing_) {
      c.noAnswer = true;
      result.push_back(std::move(c));
      continue;
    }
    const ChannelAnswer held = read(channel, false);
    Progress(channel, ++done, static_cast<int>(rows.size()));
    c.noAnswer = held.status != S::Channel && held.status != S::Empty;
    if (!c.noAnswer && held.status == S::Channel && !held.side.empty()) {
      // A TS memory's transmit side: a split or a scan pair's end.
      const ChannelAnswer tx = read(channel, true);
      c.noAnswer = tx.status != S::Channel;
      if (!c.noAnswer) c.rig = HeldOf(held, &tx);
    } else if (!c.noAnswer) {
      c.rig = HeldOf(held);
    }
    if (!c.noAnswer) {
      NoteHeld(row.channel, c.rig);
      c.fields = RowDifferences(row.freq, row.mode, row.name, row.kept, c.rig, code);
    }
    result.push_back(std::move(c));
  }
  JudgeReads();
  return result;
}

void Transfers::SaveChangedToRig() {
  if (closing_ || RefuseWhileBusy("Saving")) return;
  std::vector<RowNow> changed;
  std::vector<int> channels;
  size_t same = 0;
  for (const RowNow& row : RowsToSave()) {
    if (Differences(row).empty()) {
      ++same;
      continue;
    }
    changed.push_back(row);
    channels.push_back(row.channel);
  }
  if (changed.empty()) {
    Tell(same == 0 ? "No saves, no channels checked!"
                   : "No saves: the rig holds every checked channel already (" +
                         Count(same, "channel", "channels") + ").");
    return;
  }
  if (!SaveRun(changed, channels) || closing_) return;
  Tell("Changed channels: " + Count(written_.size(), "sent to the rig", "sent to the rig") + ", " +
       Count(same, "was the same already", "were the same already") + ".");
}

}  // namespace varnek
