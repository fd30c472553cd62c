#pragma once
// What the command sets need from the rest of the program: the serial line,
// the terminal window (its command lines, its memo that records the rig's
// answers, its frequency and mode fields) and the port indicator. The front
// end implements RigIo over the serial component and the terminal window;
// the tests implement it with a recorder.
//
// Every member runs on the GUI thread. The load worker reaches them only
// through Host::RunOnGuiThread; the operations of kenwood.h, icom.h and
// yaesu.h do that hand-over themselves.
#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "base/host.h"
#include "rig/answer_framing.h"

namespace varnek {

class ChannelWindow;

class RigIo {
 public:
  virtual ~RigIo() = default;

  // --- the serial line ---
  // Sends bytes to the rig. Everything the program sends goes through here
  // (terminal sends included), because any foreign send makes an
  // outstanding CI-V read meaningless.
  void Send(const std::string& bytes) {
    ForgetOutstandingRead();
    SendText(bytes);
  }
  virtual bool PortActive() const = 0;
  // Milliseconds the line needs for one byte with its present settings
  // (start bit, data bits, parity, stop bits); 0 when unknown.
  virtual double ByteTimeMs() const { return 0; }
  // Opens the port with its present settings; failures stay silent.
  virtual void OpenPort() = 0;

  // --- the port indicator of the main window ---
  // Shows the image for the port's present state.
  virtual void RefreshPortIndicator() = 0;
  // Shows the open (true) or closed image regardless of the port state;
  // the writers blink with it.
  virtual void ShowPortImage(bool open) = 0;

  // --- the terminal window ---
  virtual bool TerminalVisible() const = 0;
  // Command line 1..4 (Edit1..Edit4): where the builders echo what they sent.
  virtual void SetCommandLine(int line, const std::string& text) = 0;
  // The answer transcript (the memo), line by line.
  virtual std::vector<std::string> TranscriptLines() const = 0;
  virtual void AddTranscriptLine(const std::string& line) = 0;
  // Empties the transcript. Like Send, every clear in the program goes
  // through here.
  void ClearTranscript() {
    ForgetOutstandingRead();
    DoClearTranscript();
  }
  // The terminal's decoded-answer fields edFreq and edMode.
  virtual void SetDecodedFreq(const std::string& text) = 0;
  virtual void SetDecodedMode(const std::string& text) = 0;

  // --- the outstanding CI-V read ---
  // Interfaces without the bus echo never show the select frame, so the
  // parser falls back on the channel the last read asked for, as long as
  // nothing else went to the rig or wiped the transcript since.
  std::optional<std::string> OutstandingRead() const {
    std::lock_guard lock(readMutex_);
    return outstandingRead_;
  }
  void ForgetOutstandingRead() {
    std::lock_guard lock(readMutex_);
    outstandingRead_.reset();
  }
  // Sends one frame of the read sequence that set the record, keeping it.
  void SendWithinRead(const std::string& bytes) { SendText(bytes); }
  void SetOutstandingRead(std::string channel) {
    std::lock_guard lock(readMutex_);
    outstandingRead_ = std::move(channel);
  }

 protected:
  virtual void SendText(const std::string& bytes) = 0;
  virtual void DoClearTranscript() = 0;

 private:
  mutable std::mutex readMutex_;
  std::optional<std::string> outstandingRead_;
};

// The first line of the message that lists what a run refused.
inline constexpr const char* kNotTransferredHeading = "Not transferred:";

// Channels a writer refuses (a mode or frequency the rig cannot take) and
// rigs the program has no layout for. Outside a run each notice is shown at
// once; while a run collects, notices are gathered (each text once) and the
// run shows them together at its end, going on with the next channel
// meanwhile. Safe to use from the load worker.
class RigNotices {
 public:
  void BeginCollecting();
  // Ends collecting and returns the gathered notices, one a line, with a
  // heading; empty when there were none.
  std::string EndCollecting();
  bool Collecting() const;
  // Shows `text` now (through the GUI thread) or gathers it.
  void Report(Host& host, const std::string& text);
  // The same for what is worth telling but refuses nothing (the rig
  // answering as another model): gathered apart, each text once, and
  // taken by the run's end for a message of their own.
  void Remark(Host& host, const std::string& text);
  std::string TakeRemarks();

 private:
  mutable std::mutex mutex_;
  bool collecting_ = false;
  std::vector<std::string> gathered_;
  std::vector<std::string> remarks_;
};

// The rig's answers as the receive path counts them, and whether what
// arrives now may change the table. Answers to the sync queries of
// answer-paced writes and to the read-back after a save are only looked
// at: the table is what the rig is compared with, not what it is told.
class RigAnswers {
 public:
  AnswerTally tally;
  void SetLookOnly(bool on) { lookOnly_ = on; }
  bool LookOnly() const { return lookOnly_; }
  // True the first time `what` is asked since the last Forget: an identity
  // that is not the selected model's is told once per run, not per write.
  bool FirstTime(const std::string& what);
  void ForgetTold();

 private:
  std::atomic<bool> lookOnly_{false};
  std::mutex toldMutex_;
  std::string told_;
};

// What every rig operation works with.
struct RigContext {
  Host& host;
  ChannelWindow& form;
  RigIo& io;
  RigNotices& notices;
  RigAnswers& answers;
};

// How one write or clear went with the rig.
enum class Exchange {
  NotSent,     // refused before sending, or nothing to send on this rig
  Sent,        // sent with fixed pauses: whether the rig took it is unknown
  Answered,    // answer-paced: the rig answered the last request
  Unanswered,  // answer-paced: the rig did not answer within the time-out
  Refused,     // sent, and the rig refused it ("?;", a CI-V NG): it holds nothing of it
};
// Whether the rig may now hold what was sent.
inline bool MayHold(Exchange e) {
  return e != Exchange::NotSent && e != Exchange::Refused;
}

// Helpers shared by the three command sets.
namespace rigops {
// Runs `work` on the GUI thread (directly when already there).
void OnGui(const RigContext& ctx, const std::function<void()>& work);
// Lets pending GUI work run; a worker thread has nothing to do here, the GUI
// thread runs it by itself meanwhile.
void Pump(const RigContext& ctx);
// Sends bytes and echoes `echo` into command line `line` when the terminal
// is visible. `keepRead` keeps an outstanding CI-V read.
void SendEcho(const RigContext& ctx, const std::string& bytes, int line, const std::string& echo,
              bool keepRead = false);
// The closed-port image for one channel interval, then the open one.
void BlinkIndicator(const RigContext& ctx);
// Appends `suffix` to the main window's status label.
void AppendStatus(const RigContext& ctx, const std::string& suffix);
bool AddLf(const RigContext& ctx);
std::vector<std::string> Transcript(const RigContext& ctx);
// The transcript's whole text, lines joined with CR LF, as the memo's text.
std::string TranscriptText(const std::vector<std::string>& lines);
// "5" gives "05"; longer texts are kept.
std::string TwoDigits(const std::string& channel);
// The writers' refusals, worded for the user.
std::string ModeRefusal(const std::string& channel, const std::string& mode);
// A row without a frequency on a rig whose memories are written from the VFO.
std::string NoFreqRefusal(const std::string& channel);
std::string NoLayoutNotice(const std::string& modelCode);
// The band plan proposes "SSB" only where SSB is USB by convention (2 m and
// up), so the writers send it as USB.
std::string ModeToSend(const std::string& mode);

// --- answer pacing ---
// The rig's option "Wait for answers": requests wait for the rig's reaction
// instead of a fixed pause.
bool Paced(const RigContext& ctx);
// Waits until the rig's answers counted by `count` pass `before`, at most
// `timeoutMs`; true when they did.
bool AwaitAnswers(const RigContext& ctx, uint64_t (AnswerTally::*count)() const, uint64_t before,
                  int timeoutMs);
// The same for any answer, at most one channel interval (the time-out of one
// exchange in answer-paced mode).
bool AwaitAnswer(const RigContext& ctx, uint64_t before);
// One request: the answer count is taken, `send` runs, and then either the
// rig's next answer is awaited (answer-paced) or `classicPause` runs (the
// fixed pacing). True when paced and answered.
bool SendThenWait(const RigContext& ctx, const std::function<void()>& send,
                  const std::function<void()>& classicPause);
// Waits while the line carries `bytes` bytes and then `settleMs` for the rig
// to carry them out: for commands the rig does not answer.
void AwaitLine(const RigContext& ctx, size_t bytes, int settleMs);
Exchange Outcome(bool answered);
}  // namespace rigops

}  // namespace varnek
