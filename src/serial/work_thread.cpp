#include "serial/work_thread.h"

#include <algorithm>
#include <chrono>
#include <exception>
#include <iostream>
#include <memory>
#include <vector>

#include "serial/serial_port.h"

namespace varnek {

namespace {
// Longest block of one servicing pass.
constexpr int kPassWaitMs = 75;
// While received bytes wait for their cluster time-out the device stays
// readable, so input cannot wake us; look again this often instead.
constexpr int kQueuedRecheckMs = 10;
constexpr int kIdleWaitMs = 200;
// Readings of the status per pass while someone watches its changes; a
// flood changes the counts on every one.
constexpr int kMaxStatusReadings = 4;
// The modem lines are looked at this often, and at once when the device
// says one changed. A slow line wakes this thread for every byte, and on a
// USB adapter each look is a round trip over the bus.
constexpr uint32_t kModemLookMs = 40;
// Past the line time of the bytes an answer still needs: the other end's
// own pace is not exact.
constexpr long long kGatherSlackUs = 150;
}  // namespace

uint32_t SerialTick() {
  const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                      std::chrono::steady_clock::now().time_since_epoch())
                      .count();
  return static_cast<uint32_t>(ms);
}

namespace {
// Thrown out of a hand-over that returned after the component gave up on
// this thread: unwinds to the thread's start without touching anything.
struct Abandoned {};
}  // namespace

TWorkThread::TWorkThread(TSerialPort& port)
    : port_(port), device_(*port.device_), life_(port.life_), thread_([this] { Run(); }) {}

void TWorkThread::Run() {
  const std::shared_ptr<SerialThreadLife> life = life_;
  try {
    Execute();
  } catch (const Abandoned&) {
  }
  std::unique_ptr<TWorkThread> self;
  std::unique_ptr<SerialDevice> device;
  std::lock_guard lock(life->mutex);
  if (life->abandoned) {
    // Left behind: this thread owns itself and the device now, and they go
    // with it (after the lock is released, in reverse order).
    self = std::move(life->thread);
    device = std::move(life->device);
    return;
  }
  port_.threadBusy_ = false;
  port_.threadEnded_ = true;
}

SerialThreadLife::~SerialThreadLife() = default;

void TWorkThread::Detach() {
  if (thread_.joinable()) thread_.detach();
}

TWorkThread::~TWorkThread() {
  Join();
}

void TWorkThread::Join() {
  if (thread_.joinable()) thread_.join();
}

bool TWorkThread::Live() const {
  return port_.active_ && (lostGeneration_ == 0 || lostGeneration_ != port_.openGeneration_);
}

void TWorkThread::Execute() {
  servicing_ = port_.active_;
  lastReadTick_ = SerialTick();
  modemLookTick_ = lastReadTick_ - kModemLookMs;
  for (;;) {
    if (!servicing_) {
      port_.threadBusy_ = false;
      servicing_ = port_.active_;
      if (servicing_) {
        lastReadTick_ = SerialTick();
        modemLookTick_ = lastReadTick_ - kModemLookMs;  // a new opening: look now
        lineErrors_ = 0;
        pending_.clear();
        continue;
      }
      if (terminated_) break;
      device_.IdleWait(kIdleWaitMs);
      continue;
    }
    port_.threadBusy_ = true;
    ServicePass();
    // Closed by the GUI thread: nothing is outstanding on POSIX once the
    // write has been given up, so go idle.
    if (!port_.active_ && !port_.sendInProgress_) servicing_ = false;
    if (terminated_ && !servicing_) break;
  }
}

void TWorkThread::ServicePass() {
  // Straight after a device event the status was read for its handlers.
  if (Live() && !statusFresh_) PollModemAndErrors();
  statusFresh_ = false;
  CheckWriteDone();
  if (Live()) TryRead();
  if (Live()) {
    WaitOnDevice();
  } else if (port_.active_) {
    // The device hung up and the GUI thread has not closed it yet.
    device_.IdleWait(kIdleWaitMs);
  }
}

void TWorkThread::HandOver(const std::function<void()>& work) {
  Host& host = port_.host_;
  port_.inHandOver_ = true;
  SerialThreadLife& life = *life_;
  // Everything this thread read of the component so far happens before a
  // destructor that gives up on it (it takes this lock first): from here
  // until the hand-over returns, nothing of the component is touched.
  { std::lock_guard lock(life.mutex); }
  // Run late, after the component is gone, the work does nothing.
  const auto guarded = [&life, &work] {
    {
      std::lock_guard lock(life.mutex);
      if (life.abandoned) return;
    }
    work();
  };
  try {
    host.RunOnGuiThread(guarded);
  } catch (const std::exception& e) {
    std::cerr << "varnek: serial event handler failed: " << e.what() << '\n';
  } catch (...) {
    std::cerr << "varnek: serial event handler failed\n";
  }
  std::lock_guard lock(life.mutex);
  if (life.abandoned) throw Abandoned{};
  port_.inHandOver_ = false;
}

void TWorkThread::HandEvent(const std::function<void()>& fire) {
  if (port_.threadQuietMode_ || port_.destroying_) return;
  HandOver([this, &fire] {
    if (!port_.destroying_) fire();
  });
}

void TWorkThread::Report(uint32_t place, uint32_t code, const std::string& msg) {
  if (port_.threadQuietMode_ || port_.destroying_) return;
  HandOver([this, place, code, &msg] { port_.ReportProcessError(place, code, msg, 0); });
}

void TWorkThread::PollModemAndErrors(bool linesChanged) {
  const uint32_t now = SerialTick();
  if (linesChanged || now - modemLookTick_ >= kModemLookMs) {
    modemLookTick_ = now;
    ReadModem();
  }
  ReadStatus();
}

void TWorkThread::ReadModem() {
  uint32_t word = 0;
  if (const uint32_t err = device_.GetModemStatus(word)) {
    if (Live()) Report(9905, err, "Error getting ModemStatus");
  } else {
    const bool ringChanged = ((word ^ port_.modemState_) & modem::kRing) != 0;
    port_.modemState_ = word;
    port_.ctsState_ = (word & modem::kCts) != 0;
    port_.dsrState_ = (word & modem::kDsr) != 0;
    port_.rlsdState_ = (word & modem::kRlsd) != 0;
    port_.ringState_ = (word & modem::kRing) != 0;
    if (ringChanged && port_.OnRIEvent) HandEvent([this] { port_.OnRIEvent(port_); });
  }
}

void TWorkThread::ReadStatus() {
  // One reading gives the queue counts; reading until they stand still only
  // serves a watcher of every change.
  const int readings = port_.OnCommStat ? kMaxStatusReadings : 1;
  for (int i = 0; i < readings && Live(); ++i) {
    CommStatus st;
    if (const uint32_t err = device_.ClearError(st)) {
      if (Live()) Report(9803, err, "Error ClearCommError");
      break;
    }
    lineErrors_ |= st.errors;
    if (st.errors == port_.commError_ && st.holdFlags == port_.commStateFlags_ &&
        st.inQueue == port_.commStateInQueue_ && st.outQueue == port_.commStateOutQueue_)
      break;
    port_.commError_ = st.errors;
    port_.commStateFlags_ = st.holdFlags;
    port_.commStateInQueue_ = st.inQueue;
    port_.commStateOutQueue_ = st.outQueue;
    if (port_.OnCommStat) HandEvent([this] { port_.OnCommStat(port_); });
  }
}

void TWorkThread::TryRead() {
  if (port_.framed_ || !pending_.empty()) {
    TryReadFramed();
    return;
  }
  const uint32_t count = port_.commStateInQueue_;
  const uint32_t now = SerialTick();
  if (count == 0) {
    lastReadTick_ = now;
    return;
  }
  if (!ClusterReadDue(count, now - lastReadTick_, port_.readRequest_, port_.clusterSize_,
                      port_.rtoCharDelayTime_, port_.rtoExtraDelayTime_, lineErrors_))
    return;
  // Exactly the queued count; the cluster then copies exactly what came.
  auto buffer = std::make_unique<char[]>(count);
  size_t got = 0;
  const uint32_t err = device_.Read(buffer.get(), count, got);
  FinishRead(buffer.get(), got, err, now);
  // What was queued has been taken; the next reading tells what is new.
  port_.commStateInQueue_ = 0;
}

void TWorkThread::TryReadFramed() {
  // Closing purges what the device still held; what was already taken from
  // it belongs to that opening too, and must not be put in front of the
  // first answer on the reopened line.
  if (const uint32_t generation = port_.openGeneration_; generation != pendingGeneration_) {
    pending_.clear();
    pendingGeneration_ = generation;
  }
  const uint32_t now = SerialTick();
  if (const uint32_t count = port_.commStateInQueue_; count > 0) {
    const size_t before = pending_.size();
    pending_.resize(before + count);
    size_t got = 0;
    const uint32_t err = device_.Read(pending_.data() + before, count, got);
    pending_.resize(before + got);
    port_.commStateInQueue_ = 0;
    if (err) {
      port_.readRequest_ = false;
      if (!Live()) {
        pending_.clear();
        return;
      }
      Report(err == status::kOperationAborted ? 9907 : 9804, err,
             err == status::kOperationAborted ? "Error read aborted" : "Error reading Data");
      return;
    }
    if (got > 0) lastByteTick_ = now;
  }
  if (pending_.empty()) {
    lastReadTick_ = now;
    return;
  }
  size_t complete = 0;
  {
    std::lock_guard lock(port_.framerMutex_);
    if (port_.framer_)
      complete = std::min(port_.framer_(pending_), pending_.size());
    else
      complete = pending_.size();  // framing was switched off: nothing waits
  }
  if (complete == 0 &&
      ClusterReadDue(static_cast<uint32_t>(pending_.size()), now - lastByteTick_,
                     port_.readRequest_, port_.clusterSize_, port_.rtoCharDelayTime_,
                     port_.rtoExtraDelayTime_, lineErrors_))
    complete = pending_.size();
  if (complete == 0) return;
  port_.readRequest_ = false;
  HandOverPending(complete);
  lastReadTick_ = now;
}

void TWorkThread::HandOverPending(size_t count) {
  const std::string cluster = pending_.substr(0, count);
  pending_.erase(0, count);
  QueueCluster(cluster.data(), cluster.size());
}

void TWorkThread::FinishRead(const char* buffer, size_t got, uint32_t error, uint32_t now) {
  port_.readRequest_ = false;
  if (error) {
    if (!Live()) return;  // closed under us: the bytes were purged anyway
    Report(error == status::kOperationAborted ? 9907 : 9804, error,
           error == status::kOperationAborted ? "Error read aborted" : "Error reading Data");
    return;
  }
  QueueCluster(buffer, got);
  lastReadTick_ = now;
}

void TWorkThread::QueueCluster(const char* buffer, size_t count) {
  if (port_.destroying_) return;
  auto cluster = std::make_unique<TSerialCluster>();
  if (count > 0) {
    cluster->Data = std::make_unique<char[]>(count);
    std::copy(buffer, buffer + count, cluster->Data.get());
  }
  cluster->Size = static_cast<uint32_t>(count);
  cluster->LineErrors = lineErrors_;
  lineErrors_ = 0;
  {
    std::lock_guard lock(port_.clusterMutex_);
    port_.clusters_.push_back(std::move(cluster));
  }
  if (port_.threadQuietMode_ || port_.destroying_) return;
  HandOver([this] {
    if (!port_.destroying_ && port_.OnRxClusterEvent) port_.OnRxClusterEvent(port_);
  });
}

void TWorkThread::CheckWriteDone() {
  if (!port_.sendInProgress_) return;
  enum { Going, Done, TimedOut, Failed } outcome = Going;
  uint32_t error = 0;
  int finishedAtOnce = 0;
  std::vector<uint32_t> startErrors;
  {
    std::lock_guard lock(port_.writeMutex_);
    if (!port_.sendInProgress_) return;
    size_t n = 0;
    error = device_.Write(port_.writeData_.data() + port_.writeDone_,
                          port_.writeData_.size() - port_.writeDone_, n);
    port_.writeDone_ += n;
    const double limit =
        static_cast<double>(port_.writeData_.size()) * port_.wtoCharDelayTime_ / 1000.0 +
        port_.wtoExtraDelayTime_;
    if (error) {
      outcome = Failed;
    } else if (port_.writeDone_ == port_.writeData_.size()) {
      outcome = Done;
    } else if (static_cast<double>(SerialTick() - port_.writeStartTick_) > limit) {
      outcome = TimedOut;
    }
    if (outcome == Going) return;
    port_.writtenBytes_ = static_cast<uint32_t>(port_.writeDone_);
    if (outcome == Failed) port_.lastWriteError_ = error;
    // The next waiting write goes out at once, so that nothing can overtake it.
    bool more = false;
    while (!port_.writeQueue_.empty() && !more) {
      std::string next = std::move(port_.writeQueue_.front());
      port_.writeQueue_.pop_front();
      uint32_t startError = 0;
      if (port_.StartWriteLocked(std::move(next), startError))
        ++finishedAtOnce;
      else if (startError)
        startErrors.push_back(startError);
      else
        more = true;
    }
    if (!more) port_.sendInProgress_ = false;
  }
  if (outcome == TimedOut) Report(9701, status::kIoPending, "Error write TimeOut");
  if (outcome == Failed && Live()) Report(9702, error, "Error getting Overlapped Result");
  for (const uint32_t e : startErrors)
    if (Live()) Report(903, e, "Error writing Data");
  // Nobody listening: no hand-over, which would wake the GUI thread and
  // hold this one until it ran.
  if (port_.OnWriteDone)
    for (int i = 0; i < 1 + finishedAtOnce; ++i)
      HandEvent([this] {
        if (port_.OnWriteDone) port_.OnWriteDone(port_);
      });
}

std::chrono::microseconds TWorkThread::GatherTime() {
  // Woken by each byte, a slow line would cost a pass per byte. The bytes
  // the answer still needs cannot come sooner than their line time, so the
  // thread sleeps that long (and a little) and takes them in one read. For
  // an answer of unknown length it gathers two characters' worth; its end
  // then waits at most that long for its pass.
  size_t missing = 0;
  {
    std::lock_guard lock(port_.framerMutex_);
    if (port_.shortfall_) missing = port_.shortfall_(pending_);
  }
  const uint32_t byteNs = port_.lineByteNs_;
  long long us = 0;
  if (missing > 0 && byteNs > 0)
    us = static_cast<long long>(missing) * byteNs / 1000 + kGatherSlackUs;
  else
    us = 2LL * (byteNs > 0 ? byteNs / 1000 : port_.rtoCharDelayTime_.load());
  return std::chrono::microseconds(std::min<long long>(us, kPassWaitMs * 1000LL));
}

void TWorkThread::WaitOnDevice() {
  std::chrono::microseconds timeout = std::chrono::milliseconds(kPassWaitMs);
  const uint32_t queued = port_.commStateInQueue_;
  bool watchInput = queued == 0;
  // Bytes waiting (in the device, or taken and waiting for the rest of an
  // answer) go out by their time-out: look again soon.
  if (!watchInput || !pending_.empty()) timeout = std::chrono::milliseconds(kQueuedRecheckMs);
  if (!pending_.empty() && watchInput) {
    // The rest of an answer is on its way: let it arrive, take it at once.
    timeout = GatherTime();
    watchInput = false;
  }
  uint32_t events = 0, error = 0;
  const WaitOutcome outcome =
      device_.Wait(timeout, watchInput, port_.sendInProgress_, events, error);
  switch (outcome) {
    case WaitOutcome::Event:
      if (Live()) {
        PollModemAndErrors((events & (ev::kCts | ev::kDsr | ev::kRlsd | ev::kRing)) != 0);
        statusFresh_ = true;
        DispatchCommEvents(events);
      }
      break;
    case WaitOutcome::TimedOut:
    case WaitOutcome::Woken:
      break;
    case WaitOutcome::HangUp:
      HandleHangUp(error);
      break;
    case WaitOutcome::Failed:
      if (Live()) {
        Report(9913, error, "Error getting Overlappedresult");
        // Keep the pace of a pass even when the wait itself fails.
        device_.IdleWait(kPassWaitMs);
      }
      break;
  }
}

void TWorkThread::DispatchCommEvents(uint32_t mask) {
  if (port_.destroying_ || mask == 0) return;
  port_.commEvent_ = mask;
  struct Entry {
    uint32_t bit;
    TNotifyEvent TSerialPort::*handler;
  };
  static constexpr Entry kOrder[] = {
      {ev::kBreak, &TSerialPort::OnBreakEvent},
      {ev::kCts, &TSerialPort::OnCTSEvent},
      {ev::kDsr, &TSerialPort::OnDSREvent},
      {ev::kErr, &TSerialPort::OnLineErrorEvent},
      {ev::kRing, &TSerialPort::OnRingEvent},
      {ev::kRlsd, &TSerialPort::OnRLSDEvent},
      {ev::kRxChar, &TSerialPort::OnRxCharEvent},
      {ev::kRxFlag, &TSerialPort::OnRxEventCharEvent},
      {ev::kTxEmpty, &TSerialPort::OnTxQueueEmptyEvent},
  };
  for (const auto& e : kOrder) {
    const TNotifyEvent& handler = port_.*e.handler;
    if ((mask & e.bit) && handler) HandEvent([this, &handler] { handler(port_); });
  }
  if (port_.OnCommEvent) HandEvent([this] { port_.OnCommEvent(port_); });
}

void TWorkThread::HandleHangUp(uint32_t error) {
  // poll() reports a hang-up at once and for ever: stop using the device,
  // say so, and have the GUI thread close the port (closing from here would
  // wait for this thread's own idleness).
  const uint32_t generation = port_.openGeneration_;
  if (lostGeneration_ == generation) return;
  lostGeneration_ = generation;
  // Closed first, reported after: closing a dead device fails by itself
  // (its queues cannot be purged), and that report must not be the last
  // word the user sees, nor come while the port still counts as open.
  HandOver([this, generation, error] {
    if (port_.active_ && port_.openGeneration_ == generation && !port_.destroying_)
      port_.SetActive(false);
    if (!port_.threadQuietMode_ && !port_.destroying_)
      port_.ReportProcessError(9914, error, "Error device hung up", 0);
  });
}

}  // namespace varnek
