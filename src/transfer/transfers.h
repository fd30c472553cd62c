#pragma once
// The flows that move channels between the table and the rig: the receive
// path that turns the rig's answers into rows, the one-channel click, and
// the load, save and clear runs. One transfer runs at a time; while one
// does, the commands that would start another or send to the rig are
// refused (and disabled in the GUI), since interleaved commands put the
// rig's answers into the wrong rows.
#include <array>
#include <atomic>
#include <functional>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "base/finally.h"
#include "base/kept_fields.h"
#include "rig/rig_io.h"
#include "transfer/terminal_log.h"
#include "transfer/verify.h"

namespace varnek {

class ChannelWindow;
class CommandSet;
class TRigForm;
class TSerialPort;

class Transfers {
 public:
  // Click: one channel clicked, its read or write waiting for the rig.
  enum class Run { None, Load, Save, Clear, Click, Compare };

  Transfers(Host& host, ChannelWindow& form, TSerialPort& port, TRigForm& rig, RigIo& io);
  // Stops a running load and waits for its worker; the GUI thread's queued
  // work is served meanwhile. Again after the first time, nothing.
  void Finish();
  ~Transfers();
  Transfers(const Transfers&) = delete;
  Transfers& operator=(const Transfers&) = delete;

  RigContext Context() { return {host_, form_, io_, notices_, answers_}; }
  RigNotices& Notices() { return notices_; }

  // Sets the serial component's answer framing for the rig and its "Wait
  // for answers" option: with the option on, clusters are handed over as
  // soon as they hold complete answers; with it off, the cluster rule holds.
  void ApplyAnswerFraming();

  // What the last run or click found, for the command line: the channels
  // that got no answer at all (reads; answer-paced writes and clears whose
  // sync query went unanswered; the read-back after a save), and the lines
  // of the read-back's differences.
  std::vector<std::string> Unanswered() const;
  std::vector<std::string> VerifyDifferences() const;
  // The rows the last save, clear or click to the rig sent something for.
  const std::vector<int>& SentChannels() const { return written_; }

  // The serial component's cluster notice: takes one cluster into the
  // transcript and runs the family's parser.
  void SerialPort1RxClusterEvent();

  // A click on channel n's number: writes the row with "Click to Rig" and a
  // frequency, reads it otherwise.
  void LabelClick(int channel);
  // `transmitSide`: the memory's transmit side (where the rig keeps one)
  // instead of the channel.
  void ReadChannelFromRig(const std::string& channel, bool transmitSide = false);
  Exchange WriteChannelToRig(const std::string& channel, const std::string& freq,
                             const std::string& mode, const std::string& name,
                             const KeptFields& kept = {});
  void VfoA1Click();
  void Memory1Click();

  // Starts the load on its worker and returns at once.
  void LoadFromRig1Click();
  void SaveToRig1Click();
  // Asks first; the answer Yes clears the checked channels in the rig.
  void ClrMemory1Click();
  // The clear run itself, without the question (a restore asked already).
  void ClearCheckedChannels();

  // --- backups (backup.cpp) ---
  // Where backups go; empty: the documents folder's "backups".
  std::string backupFolder;
  // The backup file the last save or clear made, or empty.
  const std::string& LastBackupPath() const { return lastBackup_; }
  // The newest complete backup of the selected rig in the backups folder
  // by the time recorded in it, or empty.
  std::string NewestBackup() const;
  // Puts a backup into the table, exactly its rows checked: the channels
  // that were empty then have an empty row. False (after saying why) when
  // the file cannot be read.
  bool LoadBackupIntoTable(const std::string& path);
  // Writes a backup back to the rig: its channels as they were, the empty
  // ones cleared.
  void RestoreBackup(const std::string& path);
  // Asked when a channel gave no answer for the backup: true writes without
  // its backup. Unset, the host asks the user.
  std::function<bool(const std::string& question)> OnBackupIncomplete;
  // Told the path of each backup written (the command line prints it).
  std::function<void(const std::string& path)> OnBackupMade;
  void Cancel1Click();

  // --- what the rig holds (compare.cpp) ---
  // What the program last saw in channel n of the selected rig on this
  // line (a load, a compare, a backup, a read-back, a write the rig
  // confirmed); nullopt when it has not seen it since the rig, the port or
  // the CI-V address changed.
  std::optional<HeldChannel> RigHolds(int n) const;
  // Everything remembered of the rig becomes unknown (another rig selected,
  // raw commands sent from the terminal).
  void ForgetWhatTheRigHolds();
  // One checked row against the rig: the fields that differ (none: the
  // same), or no answer.
  struct Compared {
    int channel = -1;
    bool noAnswer = false;
    std::vector<std::string> fields;
    HeldChannel rig;
    struct Row {
      std::string freq, mode, name;
    } row;
  };
  // Load > "Compare Checked with Rig": reads the checked channels as the
  // read-back does, storing nothing into the table, marks the rows that
  // differ and reports them.
  void CompareCheckedWithRig();
  // The last compare's rows, in channel order.
  const std::vector<Compared>& LastComparison() const { return comparison_; }
  // Told the rows of a compare instead of the message (the command line).
  std::function<void(const std::vector<Compared>&)> OnCompared;
  // "02: frequency - the table has 7.050.000 LSB, the rig 7.060.000 LSB".
  static std::string CompareLine(const Compared& c);
  // Save > "Changed Channels to Rig": the checked rows the rig does not
  // hold by what was last seen (a row never seen counts as changed), with
  // the backup of exactly those.
  void SaveChangedToRig();

  Run Current() const { return run_; }
  // A load's worker counts until it has ended, its last messages included.
  bool Busy() const { return run_ != Run::None || !workerDone_; }
  // The program is closing: the run sends no new request (the one on the
  // line may complete) and shows no message, as there is no window left
  // to show it over.
  void EndForClose();
  bool Closing() const { return closing_; }
  // True (after telling the user) when a run is going and `what` must wait.
  bool RefuseWhileBusy(const std::string& what);
  // Waits, letting GUI work run, until a started load has ended; for the
  // command line and the tests. False on time-out.
  bool WaitForLoad(int timeoutMs);

  // The channel in transfer and how many of the checked ones are done.
  std::function<void(const std::string& channel, int done, int total)> OnProgress;
  // The channels a run did not transfer, gathered at its end. Shown as a
  // message when unset; the command line counts them as a failed run.
  std::function<void(const std::string& notice)> OnRefusals;
  // Runs on the GUI thread whenever a run starts or ends.
  std::function<void(Run)> OnRunChanged;

 private:
  // A row as a click finds it, taken on the GUI thread in one hand-over;
  // a save takes all of its rows so at its start.
  struct RowNow {
    int channel = -1;
    bool checked = false, toRig = false;
    std::string freq, mode, name;
    KeptFields kept;
  };
  // `first` runs in the same hand-over, before the row is taken.
  RowNow TakeRow(int channel, const std::function<void()>& first = {});
  // Writes (returning how it went) or reads (`read` set) as a click does.
  // `firstRead`: the first read of a run (or a single click), which puts a
  // CI-V rig into memory mode first.
  Exchange DoClick(int channel, bool& read, bool firstRead);
  Exchange DoClick(int channel, const RowNow& row, bool& read, bool firstRead);
  void MemoryModeBeforeReads();
  // The selected rig's command set, taken afresh for each operation (a rig
  // change takes effect with the next one).
  const CommandSet& Commands() const;
  // The port closed under the run (a hang-up).
  bool LineLost();
  void SetRun(Run run);
  void EndRun();
  // The run's messages; none while the program closes.
  void Tell(const std::string& text);
  void Complain(const std::string& text);
  void Progress(const std::string& channel, int done, int total);
  int CheckedCount(int first);
  void LoadWorker();
  // The runs work on what they started with: the rows (or channels) taken
  // at the start, whatever the table does meanwhile. `backupOf`: the
  // channels the backup before the writes covers (none: no backup). False
  // when the run's writes did not go ahead (a backup declined or failed).
  bool SaveRun(const std::vector<RowNow>& rows, const std::vector<int>& backupOf);
  bool ClearRun(const std::vector<int>& channels, const std::vector<int>& backupOf);
  void SaveChannels(const std::vector<RowNow>& rows);
  void ClearChannels(const std::vector<int>& channels);
  // A click's write (a row with "Click to Rig"), backed up first when
  // backups are on.
  Exchange WriteClicked(int channel, const RowNow& row);
  void LogTranscript();
  void RestoreChannelInterval();

  // --- who answered ---
  enum class Asked { Read, Write, Clear, ReadBack };
  void BeginReport();
  // Starts watching for an answer to a read of `channel`; the receive path
  // marks the channel an answer names, or the watched one for an answer
  // that names none.
  void WatchRead(const std::string& channel);
  // Ends the watch and keeps the channel for JudgeReads; true when it has
  // been answered by now.
  bool EndWatch(Asked asked);
  // Lists the channels kept by EndWatch that no answer reached. With fixed
  // pacing an answer may still be on its way after the read's pauses (and
  // the next read's), so it judges only at the end of a run, after the time
  // the cluster rule needs.
  void JudgeReads();
  void NoteExchange(Exchange e, const std::string& channel, Asked asked);
  // The message about the channels that got no answer; empty when all did.
  std::string NoAnswerReport() const;
  void ReadBackWritten(const std::vector<RowNow>& rows);
  // Reads that wait for every answer whatever the run's pacing and store
  // nothing into the table (the read-back, the backup); until the returned
  // guard goes.
  Finally<std::function<void()>> LookOnlyReads();
  // With "Back up before writing": reads `channels` as the rig holds them
  // and writes the backup file. False when the run must not go on.
  bool BackUpBefore(const std::vector<int>& channels);
  // The checked rows of the table as they are now.
  std::vector<RowNow> RowsToSave();
  std::string HoldsKey() const;
  void NoteHeld(int n, const std::optional<HeldChannel>& held);
  // What a write or clear's outcome says of what the rig holds.
  void NoteWrite(int n, Exchange e, const RowNow& row);
  std::vector<std::string> Differences(const RowNow& row) const;
  std::vector<Compared> CompareRows(const std::vector<RowNow>& rows);
  std::vector<int> ChannelsToClear();
  std::string BackupFolder() const;

  Host& host_;
  ChannelWindow& form_;
  TSerialPort& port_;
  TRigForm& rig_;
  RigIo& io_;
  RigNotices notices_;
  RigAnswers answers_;

  mutable std::mutex answeredMutex_;
  std::set<std::string> answered_;                    // channels with an answer in this run
  std::string watched_;                               // the read waiting for its answer, or empty
  std::vector<std::pair<Asked, std::string>> asked_;  // reads ended, not judged yet
  std::vector<std::pair<Asked, std::string>> unanswered_;
  std::vector<std::string> differences_;
  std::vector<int> written_;  // rows the last save, clear or click to the rig sent
  std::string lastBackup_;
  // How far the terminal log has come through the transcript.
  TerminalLog terminalLog_;
  size_t loggedLines_ = 0;
  uint64_t loggedReplaced_ = 0;

  mutable std::mutex holdsMutex_;
  std::array<std::optional<HeldChannel>, 100> holds_;
  std::string holdsKey_;
  std::vector<Compared> comparison_;

  std::atomic<Run> run_{Run::None};
  int clicked_ = 0;  // the channel of a click run, for its undo step
  std::thread worker_;
  std::atomic<bool> workerDone_{true};
  std::atomic<bool> closing_{false};
};

}  // namespace varnek
