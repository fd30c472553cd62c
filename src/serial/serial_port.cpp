#include "serial/serial_port.h"

#include <pthread.h>
#include <time.h>

#include <chrono>
#include <iostream>
#include <thread>

#include "base/text.h"
#include "serial/work_thread.h"

namespace varnek {

namespace {

// How long the end waits for an I/O thread stuck handing work over.
constexpr auto kThreadEndWait = std::chrono::seconds(2);

struct CharDelay {
  uint32_t baud;
  uint32_t microseconds;
};

// Roughly ten bit times per character, rounded up for slow UARTs.
constexpr CharDelay kCharDelays[] = {
    {110, 100000}, {300, 37000}, {600, 18000}, {1200, 9000}, {2400, 4500},
    {4800, 2300},  {9600, 1100}, {14400, 760}, {19200, 570}, {38400, 290},
    {56000, 200},  {57600, 190}, {115200, 95}, {128000, 85}, {256000, 43},
};

// The text of a failed open; a permission failure says how to get access,
// since that is what nearly every new Linux user of a serial adapter meets.
std::string OpenFailureText(uint32_t code, const std::string& path) {
  std::string msg = "Error reopening Port";
  if (code == status::kAccessDenied)
    msg += ": no permission for " + path +
           "; add your user to the group that owns the device (typically dialout, see ls -l " +
           path + ") and log in again";
  else if (code == status::kBusy)
    msg += ": " + path + " is in use by another program";
  else if (code == status::kFileNotFound)
    msg += ": no device " + (path.empty() ? std::string("for this port") : path);
  return msg;
}

}  // namespace

bool ClusterReadDue(uint32_t queued, uint32_t elapsedMs, bool readRequest, uint32_t clusterSize,
                    uint32_t charDelayUs, uint32_t extraDelayMs, uint32_t lineErrors) {
  if (queued == 0) return false;
  if (readRequest || queued >= clusterSize) return true;
  if (lineErrors & 0x1F) return true;
  const double timeout = static_cast<double>(queued) * charDelayUs / 1000.0 + extraDelayMs;
  return static_cast<double>(elapsedMs) > timeout;
}

double LineByteTimeMs(uint32_t baudRate, uint8_t dataBits, uint8_t parityType, uint8_t stopBits) {
  if (baudRate == 0) return 0;
  const double stop = stopBits == 0 ? 1.0 : stopBits == 1 ? 1.5 : 2.0;
  const double bits = 1.0 + dataBits + (parityType != 0 ? 1.0 : 0.0) + stop;
  return bits * 1000.0 / baudRate;
}

uint32_t CharDelayForBaud(uint32_t baudRate) {
  uint32_t us = 1100;
  for (const auto& row : kCharDelays)
    if (row.baud <= baudRate) us = row.microseconds;
  return us;
}

void LogSerialReport(uint32_t place, uint32_t code, const std::string& msg, uint8_t noise) {
  const char* kind = noise == 0 ? "error" : noise == 1 ? "warning" : "message";
  std::cerr << "varnek: serial " << kind << ' ' << place << ": " << msg;
  if (code != 0) std::cerr << " (code " << code << ", " << StatusText(code) << ')';
  std::cerr << '\n';
}

std::string SerialReportText(uint32_t code, const std::string& msg) {
  if (code == 0) return msg;
  return msg + " (" + StatusText(code) + ")";
}

TNotifyErrorEvent MakeSerialReportHandler(std::function<void(const std::string&)> showError) {
  return [showError = std::move(showError)](TSerialPort&, uint32_t place, uint32_t code,
                                            const std::string& msg, uint8_t noise) {
    LogSerialReport(place, code, msg, noise);
    if (noise == 0 && showError) showError(SerialReportText(code, msg));
  };
}

std::string DefaultPortPath(const std::string& commPort) {
  if (commPort.empty()) return {};
  if (commPort[0] == '/') return commPort;
  const std::string upper = UpperCase(commPort);
  if (StartsWith(upper, "COM")) {
    int n = 0;
    if (TryStrToInt(commPort.substr(3), n) && n >= 1 && commPort.size() > 3 &&
        commPort.find_first_not_of("0123456789", 3) == std::string::npos)
      return "/dev/ttyS" + std::to_string(n - 1);
    return {};
  }
  if (commPort.find('/') == std::string::npos) return "/dev/" + commPort;
  return {};
}

TSerialPort::TSerialPort(Host& host, std::unique_ptr<SerialDevice> device)
    : host_(host),
      device_(device ? std::move(device) : MakePosixSerialDevice()),
      resolver_(DefaultPortPath) {
  OnProcessError = [](TSerialPort&, uint32_t place, uint32_t code, const std::string& msg,
                      uint8_t noise) { LogSerialReport(place, code, msg, noise); };
  life_ = std::make_shared<SerialThreadLife>();
  thread_ = std::make_unique<TWorkThread>(*this);
}

TSerialPort::~TSerialPort() {
  destroying_ = true;
  ActivatePort(false);
  thread_->Terminate();
  device_->Wake();
  WaitThreadIdle(10);
  // A thread caught in a hand-over waits for this (the GUI) thread; run the
  // queued work so it can finish its pass and end. Its routines see
  // destroying_ and do nothing. A hand-over nobody runs (this is not the GUI
  // thread, or the GUI no longer turns) would hold the program's end for
  // ever: after a while the thread is left behind, owning its device and
  // itself, and it touches nothing of this component again.
  const auto start = std::chrono::steady_clock::now();
  while (!threadEnded_) {
    if (inHandOver_ && host_.IsGuiThread()) host_.ProcessMessages();
    device_->Wake();
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
    if (std::chrono::steady_clock::now() - start < kThreadEndWait) continue;
    std::lock_guard lock(life_->mutex);
    if (threadEnded_ || !inHandOver_) continue;  // it is not stuck: it ends soon
    std::cerr << "varnek: the serial I/O thread is stuck handing work over; left behind\n";
    life_->abandoned = true;
    thread_->Detach();
    life_->thread = std::move(thread_);
    life_->device = std::move(device_);
    std::lock_guard clusters(clusterMutex_);
    clusters_.clear();
    return;
  }
  thread_->Join();
  thread_.reset();
  std::lock_guard lock(clusterMutex_);
  clusters_.clear();
}

void TSerialPort::SetActive(bool v) {
  if (v == active_) return;
  ActivatePort(v);
}

void TSerialPort::SetCommPort(const std::string& v) {
  if (v == commPort_) return;
  commPort_ = v;
  ActivatePort(active_);
}

void TSerialPort::SetPortResolver(PortResolver resolver) {
  resolver_ = resolver ? std::move(resolver) : PortResolver(DefaultPortPath);
}

std::string TSerialPort::DevicePath() const {
  return resolver_(commPort_);
}

void TSerialPort::SetBaudRate(uint32_t v) {
  if (v == baudRate_) return;
  baudRate_ = v;
  if (xtoAuto_) UpdateCharDelayTimes();
  if (active_ && !ApplyCommState()) ActivatePort(false);  // not at a rate it cannot run
}

void TSerialPort::SetXONLimDiv(uint8_t v) {
  if (v > 100) {
    ReportProcessError(100, v, "Warning XOnLimDef set to 100", 1);
    v = 100;
  }
  SetLine(xonLimDiv_, v);
}

void TSerialPort::SetXOFFLimDiv(uint8_t v) {
  if (v > 100) {
    ReportProcessError(100, v, "Warning XOffLimDef set to 100", 1);
    v = 100;
  }
  SetLine(xoffLimDiv_, v);
}

// The kernel sizes its queues itself; the sizes only reach a device that is
// open (a closed one has nothing to take them).
void TSerialPort::SetRxQueueSize(uint16_t v) {
  if (v == rxQueueSize_) return;
  rxQueueSize_ = v;
  if (!active_) return;
  if (const uint32_t e = device_->SetQueueSizes(rxQueueSize_, txQueueSize_))
    ReportProcessError(101, e, "Error can not set Quesize", 0);
}

void TSerialPort::SetTxQueueSize(uint16_t v) {
  if (v == txQueueSize_) return;
  txQueueSize_ = v;
  if (!active_) return;
  if (const uint32_t e = device_->SetQueueSizes(rxQueueSize_, txQueueSize_))
    ReportProcessError(102, e, "Error can not set Quesize", 0);
}

void TSerialPort::SetWTOCharDelayTime(uint32_t v) {
  if (v == wtoCharDelayTime_) return;
  wtoCharDelayTime_ = v;
  if (active_ && !ApplyCommState()) ActivatePort(false);  // not at a rate it cannot run
}

void TSerialPort::SetWTOExtraDelayTime(uint16_t v) {
  if (v == wtoExtraDelayTime_) return;
  wtoExtraDelayTime_ = v;
  if (active_ && !ApplyCommState()) ActivatePort(false);  // not at a rate it cannot run
}

void TSerialPort::SetXTOAuto(bool v) {
  if (v == xtoAuto_) return;
  xtoAuto_ = v;
  if (v) UpdateCharDelayTimes();
}

void TSerialPort::UpdateCharDelayTimes() {
  const uint32_t us = CharDelayForBaud(baudRate_);
  SetRTOCharDelayTime(us);
  SetWTOCharDelayTime(us);
}

void TSerialPort::SetRTSState(bool v) {
  if (!active_) return;
  if (const uint32_t e = device_->SetRts(v))
    ReportProcessError(v ? 501 : 502, e, v ? "Error setting RTS" : "Error clearing RTS", 0);
  rtsState_ = v;
}

void TSerialPort::SetDTRState(bool v) {
  if (!active_) return;
  if (const uint32_t e = device_->SetDtr(v))
    ReportProcessError(v ? 601 : 602, e, v ? "Error setting DTR" : "Error clearing DTR", 0);
  dtrState_ = v;
}

void TSerialPort::SetBREAKState(bool v) {
  if (!active_) return;
  if (const uint32_t e = device_->SetBreak(v))
    ReportProcessError(v ? 701 : 702, e,
                       v ? "Error setting BREAK State" : "Error clearing BREAK State", 0);
  breakState_ = v;
}

void TSerialPort::SetAnswerFramer(TAnswerFramer framer, TAnswerShortfall shortfall) {
  // Without framing before and after nothing changes; a wake would only
  // shift the I/O thread's passes, and with them where the cluster rule
  // cuts.
  if (!framer && !framed_) return;
  {
    std::lock_guard lock(framerMutex_);
    framer_ = std::move(framer);
    shortfall_ = framer_ ? std::move(shortfall) : nullptr;
    framed_ = static_cast<bool>(framer_);
  }
  // Bytes waiting for the old rule are looked at again under the new one.
  device_->Wake();
}

void TSerialPort::SetReadRequest(bool v) {
  readRequest_ = v;
  if (v) device_->Wake();
}

void TSerialPort::ReportProcessError(uint32_t place, uint32_t code, const std::string& msg,
                                     uint8_t noise) {
  if (destroying_ || noise > errorNoise_ || !OnProcessError) return;
  OnProcessError(*this, place, code, msg, noise);
}

void TSerialPort::WaitThreadIdle(int rounds) {
  // Up to `rounds` × 75 ms, looking more often than that so that closing
  // takes no longer than the thread's pass.
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(75 * rounds);
  while (threadBusy_ && !inHandOver_ && std::chrono::steady_clock::now() < deadline) {
    device_->Wake();
    std::this_thread::sleep_for(std::chrono::milliseconds(3));
  }
}

void TSerialPort::AbortWrite() {
  bool aborted = false;
  {
    std::lock_guard lock(writeMutex_);
    if (sendInProgress_) {
      aborted = true;
      writtenBytes_ = static_cast<uint32_t>(writeDone_);
      writeData_.clear();
      writeDone_ = 0;
      writeQueue_.clear();
      sendInProgress_ = false;
    }
  }
  if (!aborted) return;
  ReportProcessError(9702, status::kOperationAborted, "Error getting Overlapped Result", 0);
  if (OnWriteDone) OnWriteDone(*this);
}

void TSerialPort::ActivatePort(bool open) {
  if (active_) {
    ReportProcessError(100, 0, "Msg start deactivating Port", 2);
    if (const uint32_t e = device_->SetEventMask(0))
      ReportProcessError(101, e, "Error disabling CommEvents", 0);
    active_ = false;
    device_->Wake();
    if (const uint32_t e = device_->Purge()) ReportProcessError(102, e, "Error clearing Queues", 0);
    AbortWrite();
    WaitThreadIdle(15);
    if (threadBusy_ && !inHandOver_) ReportProcessError(104, 0, "Warning ThreadIsRunning", 1);
    if (const uint32_t e = device_->Close()) ReportProcessError(103, e, "Error closing Port", 0);
  }
  if (!open) return;

  ReportProcessError(110, 0, "Msg start reactivating Port", 2);
  const std::string path = resolver_(commPort_);
  if (const uint32_t e = path.empty() ? status::kFileNotFound : device_->Open(path)) {
    ReportProcessError(kPlaceOpen, e, OpenFailureText(e, path), 0);
    return;
  }
  ++openGeneration_;
  active_ = true;
  if (const uint32_t e = device_->SetQueueSizes(rxQueueSize_, txQueueSize_))
    ReportProcessError(111, e, "Error setup Queuesize", 0);
  if (!ApplyCommState()) {
    // Opened at a rate the device cannot run is not open: every byte
    // would be garbage to the rig.
    active_ = false;
    device_->Close();
    ReportProcessError(kPlaceOpen, status::kInvalidParameter,
                       "Error reopening Port: " + path + " cannot run at " +
                           std::to_string(baudRate_) + " baud",
                       0);
    return;
  }
  SetDTRState(true);
  SetRTSState(true);
  if (const uint32_t e = device_->SetEventMask(ev::kAll))
    ReportProcessError(201, e, "Error activating CommEventMask", 0);
  device_->Wake();
  if (OnOpened) OnOpened(*this);
}

bool TSerialPort::ApplyCommState() {
  lineByteNs_ = static_cast<uint32_t>(
      LineByteTimeMs(baudRate_, dataBits_, parityType_, stopBits_) * 1e6 + 0.5);
  LineSettings s;
  if (const uint32_t e = device_->GetLineSettings(s)) {
    ReportProcessError(801, e, "Error getting DCB from CommState", 0);
    return true;
  }
  s.baudRate = baudRate_;
  uint32_t flags = dcb::kBinary;
  if (parityType_ != 0) flags |= dcb::kParity;
  if (parityErrorReplacement_) flags |= dcb::kErrorChar;
  flags |= static_cast<uint32_t>(flowControl_);
  if (stripNullChars_) flags |= dcb::kNull;
  s.flags = flags;
  s.parity = parityType_;
  s.errorChar = parityErrorChar_;
  s.eventChar = eventChar_;
  s.stopBits = stopBits_;
  s.byteSize = dataBits_;
  s.xonChar = xonChar_;
  s.xoffChar = xoffChar_;
  s.eofChar = 0;
  s.xonLim = static_cast<uint16_t>(rxQueueSize_ * xonLimDiv_ / 100);
  s.xoffLim = static_cast<uint16_t>(rxQueueSize_ * xoffLimDiv_ / 100);
  // Reads never block here and writes are paced by the I/O thread, so there
  // are no device time-outs to set.
  const uint32_t e = device_->SetLineSettings(s);
  if (!e) return true;
  // Is it the rate? The same settings at 9600 baud tell.
  LineSettings probe = s;
  probe.baudRate = 9600;
  if (baudRate_ != 9600 && device_->SetLineSettings(probe) == status::kOk) {
    ReportProcessError(802, e, "Error setting CommState: the device cannot run at " +
                                   std::to_string(baudRate_) + " baud", 0);
    return false;
  }
  ReportProcessError(802, e, "Error setting CommState, 87 indicate that Parms are incorrect", 0);
  return true;
}

bool TSerialPort::StartWriteLocked(std::string bytes, uint32_t& error) {
  error = 0;
  size_t n = 0;
  error = device_->Write(bytes.data(), bytes.size(), n);
  if (error) {
    lastWriteError_ = error;
    return false;
  }
  if (n == bytes.size()) {
    writtenBytes_ = static_cast<uint32_t>(n);
    return true;
  }
  writeData_ = std::move(bytes);
  writeDone_ = n;
  writeStartTick_ = SerialTick();
  sendInProgress_ = true;
  device_->Wake();  // the thread now waits for room in the output queue
  return false;
}

void TSerialPort::SendData(const char* buffer, size_t count) {
  std::string bytes(buffer, count);
  bool queued = false, done = false;
  uint32_t error = 0;
  {
    std::lock_guard lock(writeMutex_);
    if (sendInProgress_) {
      writeQueue_.push_back(std::move(bytes));
      queued = true;
    } else {
      done = StartWriteLocked(std::move(bytes), error);
    }
  }
  if (queued) {
    ReportProcessError(901, 0, "Msg, dont enter SendData while SendInProgress is set", 2);
    return;
  }
  if (error) {
    ReportProcessError(903, error, "Error writing Data", 0);
    return;
  }
  if (done && OnWriteDone) OnWriteDone(*this);
}

void TSerialPort::SendText(std::string_view text) {
  if (!text.empty()) SendData(text.data(), text.size());
}

int32_t TSerialPort::FirstClusterSize() {
  std::lock_guard lock(clusterMutex_);
  if (clusters_.empty()) return -1;
  return static_cast<int32_t>(clusters_.front()->Size);
}

std::string TSerialPort::TakeFirstCluster() {
  std::unique_ptr<TSerialCluster> first;
  {
    std::lock_guard lock(clusterMutex_);
    if (clusters_.empty()) return {};
    first = std::move(clusters_.front());
    clusters_.pop_front();
  }
  if (first->Size == 0) return {};
  return std::string(first->Data.get(), first->Size);
}

double TSerialPort::WorkThreadCpuSeconds() const {
  if (!thread_ || !thread_->Joinable()) return -1;
  clockid_t clock;
  if (pthread_getcpuclockid(thread_->NativeHandle(), &clock) != 0) return -1;
  timespec ts{};
  if (clock_gettime(clock, &ts) != 0) return -1;
  return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) / 1e9;
}

}  // namespace varnek
