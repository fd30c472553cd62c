#pragma once
// Everything the flows need from the GUI library: pauses, letting pending
// messages run, handing work to the GUI thread, message boxes and a tick
// count. The Qt front end implements it with Qt; the headless host serves
// the command line and the tests, which can record every pause and skip the
// real waiting.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace varnek {

enum class MessageIcon { None, Information, Question, Warning, Error };

class Host {
 public:
  virtual ~Host() = default;

  // Blocks the calling thread. A negative length is no pause at all: the
  // original's unsigned pause turned -1 into weeks.
  virtual void Sleep(int ms) = 0;
  // Lets pending GUI work run (the received clusters among it). GUI thread only.
  virtual void ProcessMessages() = 0;
  // Runs `work` on the GUI thread and returns when it has run. Called from
  // the GUI thread itself, it simply runs it.
  virtual void RunOnGuiThread(const std::function<void()>& work) = 0;
  virtual bool IsGuiThread() const = 0;
  // Pauses the calling thread until `ready` holds or `timeoutMs` has passed
  // (a negative time-out: no pause); true when `ready` held. On the GUI
  // thread pending GUI work runs meanwhile, since that is how the rig's
  // answers arrive. The answer-paced transfers wait with it.
  // The wait sleeps until something may have changed `ready`: GUI work
  // having run (a received cluster, a hand-over), or Wake. It never polls.
  virtual bool WaitUntil(const std::function<bool()>& ready, int timeoutMs) = 0;
  // Tells every wait to look at its condition again. Whoever changes what a
  // wait may look at from outside the GUI thread's work calls it (a worker
  // that ends, a Ctrl-C); work run on the GUI thread wakes the waits itself.
  // Any thread.
  virtual void Wake() = 0;
  // Waits as WaitUntil does, but in real time whatever clock the host keeps:
  // for the program's own hand-offs (a worker's end), not the rig's pacing.
  virtual bool Await(const std::function<bool()>& ready, int timeoutMs) = 0;

  virtual void ShowMessage(const std::string& text) = 0;
  // A summary and a list of lines that may be long (an import's report):
  // the Qt host shows it in a box that scrolls. By default one message, the
  // lines after the summary.
  virtual void ShowReport(const std::string& summary, const std::vector<std::string>& lines);
  // Yes/No question; true for Yes.
  virtual bool Confirm(const std::string& text, MessageIcon icon) = 0;
  // The general error report: what the original's default exception handler
  // showed.
  virtual void ReportError(const std::string& text) = 0;
  // Milliseconds from an arbitrary start; wraps like the 32-bit original.
  virtual uint32_t TickCount() const = 0;
};

// Runs one entry point from a front end (a menu command, click, key or
// change) and hands any error to the host's general report, so that no
// exception ever reaches the event loop. Returns false when it failed.
bool Guarded(Host& host, const std::function<void()>& handler);

}  // namespace varnek
