#pragma once
// A host without a screen: the command line and the tests. The thread that
// creates it is its GUI thread; other threads hand work to it through a small
// queue that ProcessMessages (and WaitFor) drain. It records every pause,
// message and error, and in simulated time it only advances its clock
// instead of sleeping, so a flow's pacing can be checked without waiting it.
#include <atomic>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "base/host.h"

namespace varnek {

class HeadlessHost : public Host {
 public:
  enum class Time { Real, Simulated };
  struct Event {
    enum Kind { Sleep, ProcessMessages, Message, Confirm, Error, Wait } kind;
    int ms = 0;
    std::string text;
  };

  explicit HeadlessHost(Time time = Time::Real);
  ~HeadlessHost() override;

  void Sleep(int ms) override;
  void ProcessMessages() override;
  void RunOnGuiThread(const std::function<void()>& work) override;
  bool IsGuiThread() const override;
  // Recorded as a Wait with the time-out. In simulated time a wait that is
  // not ready at once takes its whole time-out.
  bool WaitUntil(const std::function<bool()>& ready, int timeoutMs) override;
  void ShowMessage(const std::string& text) override;
  bool Confirm(const std::string& text, MessageIcon icon) override;
  void ReportError(const std::string& text) override;
  uint32_t TickCount() const override;
  void Wake() override;
  bool Await(const std::function<bool()>& ready, int timeoutMs) override;

  // Runs queued GUI work until `done` holds or `timeoutMs` passes; true when
  // `done` held. GUI thread only. Sleeps between pieces of work: `done` is
  // looked at again only after queued work has run or Wake was called.
  bool WaitFor(const std::function<bool()>& done, int timeoutMs);
  // The answer Confirm gives (default Yes).
  void SetConfirmAnswer(bool yes) { confirmAnswer_ = yes; }
  // Where messages and errors go besides the record (the command line prints
  // them); empty callbacks only record.
  void SetMessageSink(std::function<void(const std::string&)> messages,
                      std::function<void(const std::string&)> errors);

  std::vector<Event> Events() const;
  void ClearEvents();
  // Just the pauses taken on the GUI thread and on other threads, in order.
  std::vector<int> Sleeps() const;
  std::vector<std::string> Messages() const;
  std::vector<std::string> Errors() const;

 private:
  void Record(Event e);
  bool RunQueued();
  // The count of wake-ups, read before a wait looks at its condition so that
  // a wake-up between the look and the sleep is not lost.
  uint64_t Wakes() const;

  const Time time_;
  const std::thread::id guiThread_;
  const std::chrono::steady_clock::time_point start_;
  std::atomic<long long> simulatedMs_{0};
  std::atomic<bool> confirmAnswer_{true};

  mutable std::mutex mutex_;
  std::condition_variable queued_;
  std::deque<std::function<void()>> queue_;
  uint64_t wakes_ = 0;
  std::vector<Event> events_;
  std::function<void(const std::string&)> messageSink_, errorSink_;
};

}  // namespace varnek
