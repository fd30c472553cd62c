#include "base/headless_host.h"

#include <chrono>
#include <future>

#include "base/cross_thread_error.h"

namespace varnek {

HeadlessHost::HeadlessHost(Time time)
    : time_(time),
      guiThread_(std::this_thread::get_id()),
      start_(std::chrono::steady_clock::now()) {}

HeadlessHost::~HeadlessHost() = default;

void HeadlessHost::Record(Event e) {
  std::lock_guard lock(mutex_);
  events_.push_back(std::move(e));
}

void HeadlessHost::Sleep(int ms) {
  if (ms < 0) ms = 0;
  Record({Event::Sleep, ms, {}});
  if (time_ == Time::Simulated) {
    simulatedMs_ += ms;
    // Let other threads move on as they would during a real pause.
    std::this_thread::yield();
    return;
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

bool HeadlessHost::RunQueued() {
  std::function<void()> work;
  {
    std::lock_guard lock(mutex_);
    if (queue_.empty()) return false;
    work = std::move(queue_.front());
    queue_.pop_front();
  }
  work();
  // Whatever the work changed, a wait on another thread may be waiting for.
  Wake();
  return true;
}

void HeadlessHost::Wake() {
  std::lock_guard lock(mutex_);
  ++wakes_;
  queued_.notify_all();
}

uint64_t HeadlessHost::Wakes() const {
  std::lock_guard lock(mutex_);
  return wakes_;
}

void HeadlessHost::ProcessMessages() {
  Record({Event::ProcessMessages, 0, {}});
  while (RunQueued()) {
  }
}

void HeadlessHost::RunOnGuiThread(const std::function<void()>& work) {
  if (IsGuiThread()) {
    work();
    return;
  }
  std::promise<CrossThreadError> done;
  auto finished = done.get_future();
  {
    // Notified under the lock: whoever takes the work afterwards also sees
    // that this thread is done with the host until the work has run.
    std::lock_guard lock(mutex_);
    queue_.push_back([&] { done.set_value(CrossThreadError::Run(work)); });
    queued_.notify_all();
  }
  finished.get().Rethrow();
}

bool HeadlessHost::IsGuiThread() const {
  return std::this_thread::get_id() == guiThread_;
}

bool HeadlessHost::WaitFor(const std::function<bool()>& done, int timeoutMs) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  for (;;) {
    while (RunQueued()) {
    }
    const uint64_t seen = Wakes();
    if (done()) return true;
    std::unique_lock lock(mutex_);
    if (!queued_.wait_until(lock, deadline, [&] { return !queue_.empty() || wakes_ != seen; })) {
      lock.unlock();
      return done();
    }
  }
}

bool HeadlessHost::WaitUntil(const std::function<bool()>& ready, int timeoutMs) {
  if (timeoutMs < 0) timeoutMs = 0;
  Record({Event::Wait, timeoutMs, {}});
  if (time_ == Time::Simulated) {
    if (IsGuiThread()) {
      while (RunQueued()) {
      }
    }
    if (ready()) return true;
    simulatedMs_ += timeoutMs;
    std::this_thread::yield();
    return ready();
  }
  return Await(ready, timeoutMs);
}

bool HeadlessHost::Await(const std::function<bool()>& ready, int timeoutMs) {
  if (timeoutMs < 0) timeoutMs = 0;
  if (IsGuiThread()) return WaitFor(ready, timeoutMs);
  // Another thread (the load worker): what it waits for is changed by the
  // GUI thread's work, which wakes it.
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  for (;;) {
    const uint64_t seen = Wakes();
    if (ready()) return true;
    std::unique_lock lock(mutex_);
    if (!queued_.wait_until(lock, deadline, [&] { return wakes_ != seen; })) {
      lock.unlock();
      return ready();
    }
  }
}

void HeadlessHost::SetMessageSink(std::function<void(const std::string&)> messages,
                                  std::function<void(const std::string&)> errors) {
  std::lock_guard lock(mutex_);
  messageSink_ = std::move(messages);
  errorSink_ = std::move(errors);
}

void HeadlessHost::ShowMessage(const std::string& text) {
  Record({Event::Message, 0, text});
  std::function<void(const std::string&)> sink;
  {
    std::lock_guard lock(mutex_);
    sink = messageSink_;
  }
  if (sink) sink(text);
}

bool HeadlessHost::Confirm(const std::string& text, MessageIcon) {
  Record({Event::Confirm, 0, text});
  return confirmAnswer_;
}

void HeadlessHost::ReportError(const std::string& text) {
  Record({Event::Error, 0, text});
  std::function<void(const std::string&)> sink;
  {
    std::lock_guard lock(mutex_);
    sink = errorSink_;
  }
  if (sink) sink(text);
}

uint32_t HeadlessHost::TickCount() const {
  const auto real = std::chrono::duration_cast<std::chrono::milliseconds>(
                        std::chrono::steady_clock::now() - start_)
                        .count();
  return static_cast<uint32_t>(real + simulatedMs_.load());
}

std::vector<HeadlessHost::Event> HeadlessHost::Events() const {
  std::lock_guard lock(mutex_);
  return events_;
}

void HeadlessHost::ClearEvents() {
  std::lock_guard lock(mutex_);
  events_.clear();
}

std::vector<int> HeadlessHost::Sleeps() const {
  std::vector<int> r;
  for (const auto& e : Events())
    if (e.kind == Event::Sleep) r.push_back(e.ms);
  return r;
}

std::vector<std::string> HeadlessHost::Messages() const {
  std::vector<std::string> r;
  for (const auto& e : Events())
    if (e.kind == Event::Message) r.push_back(e.text);
  return r;
}

std::vector<std::string> HeadlessHost::Errors() const {
  std::vector<std::string> r;
  for (const auto& e : Events())
    if (e.kind == Event::Error) r.push_back(e.text);
  return r;
}

}  // namespace varnek
