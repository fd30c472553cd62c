#pragma once
// The thin device layer under TSerialPort: the handful of operations a serial
// line offers (open, line settings, queue sizes, event mask and wait, modem
// lines, error word and queue counts, read, write, purge, DTR/RTS, break).
// The component's logic was first written against the Windows comm API, so
// the values that cross this interface keep that API's numbers: the line
// settings flag word, the modem-status bits, the error word and the status
// codes below. One POSIX implementation lives in posix_serial_device.cpp.
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace varnek {

// Status values the component's logic tests and reports. Every errno is
// turned into one of these (or passed through with kStatusErrnoBit) by
// StatusFromErrno, in one table.
namespace status {
inline constexpr uint32_t kOk = 0;
inline constexpr uint32_t kFileNotFound = 2;
inline constexpr uint32_t kAccessDenied = 5;
inline constexpr uint32_t kInvalidHandle = 6;
inline constexpr uint32_t kInvalidParameter = 87;
inline constexpr uint32_t kBusy = 170;
inline constexpr uint32_t kAlreadyExists = 183;
inline constexpr uint32_t kWaitTimeout = 258;
inline constexpr uint32_t kOperationAborted = 995;
inline constexpr uint32_t kIoIncomplete = 996;
inline constexpr uint32_t kIoPending = 997;
inline constexpr uint32_t kDeviceError = 1117;
// An errno without a counterpart above: the bit plus the errno, so that the
// log still tells which one it was.
inline constexpr uint32_t kErrnoBit = 0x20000000;
}  // namespace status

// The status value for an errno (0 for 0).
uint32_t StatusFromErrno(int err);
// A short readable explanation of a status value for the log.
std::string StatusText(uint32_t code);

// Bits of the line-settings flag word (the layout FlowControl values use).
namespace dcb {
inline constexpr uint32_t kBinary = 0x1;
inline constexpr uint32_t kParity = 0x2;
inline constexpr uint32_t kOutxCtsFlow = 0x4;
inline constexpr uint32_t kOutxDsrFlow = 0x8;
inline constexpr uint32_t kDtrControlMask = 0x30;
inline constexpr uint32_t kDtrHandshake = 0x20;
inline constexpr uint32_t kDsrSensitivity = 0x40;
inline constexpr uint32_t kTxContinueOnXoff = 0x80;
inline constexpr uint32_t kOutX = 0x100;
inline constexpr uint32_t kInX = 0x200;
inline constexpr uint32_t kErrorChar = 0x400;
inline constexpr uint32_t kNull = 0x800;
inline constexpr uint32_t kRtsControlMask = 0x3000;
inline constexpr uint32_t kRtsHandshake = 0x2000;
inline constexpr uint32_t kRtsToggle = 0x3000;
inline constexpr uint32_t kAbortOnError = 0x4000;
}  // namespace dcb

// Modem-status word bits.
namespace modem {
inline constexpr uint32_t kCts = 0x10;
inline constexpr uint32_t kDsr = 0x20;
inline constexpr uint32_t kRing = 0x40;
inline constexpr uint32_t kRlsd = 0x80;
}  // namespace modem

// Error-word bits.
namespace lineerr {
inline constexpr uint32_t kRxOver = 0x01;
inline constexpr uint32_t kOverrun = 0x02;
inline constexpr uint32_t kParity = 0x04;
inline constexpr uint32_t kFrame = 0x08;
inline constexpr uint32_t kBreak = 0x10;
}  // namespace lineerr

// Comm-event mask bits.
namespace ev {
inline constexpr uint32_t kRxChar = 0x01;
inline constexpr uint32_t kRxFlag = 0x02;
inline constexpr uint32_t kTxEmpty = 0x04;
inline constexpr uint32_t kCts = 0x08;
inline constexpr uint32_t kDsr = 0x10;
inline constexpr uint32_t kRlsd = 0x20;
inline constexpr uint32_t kBreak = 0x40;
inline constexpr uint32_t kErr = 0x80;
inline constexpr uint32_t kRing = 0x100;
inline constexpr uint32_t kAll = 0x1FF;
}  // namespace ev

struct LineSettings {
  uint32_t baudRate = 9600;
  uint32_t flags = dcb::kBinary;
  uint16_t xonLim = 0, xoffLim = 0;
  uint8_t byteSize = 8;
  uint8_t parity = 0;    // 0 none, 1 odd, 2 even, 3 mark, 4 space
  uint8_t stopBits = 0;  // 0 one, 1 one and a half, 2 two
  char xonChar = 17, xoffChar = 19, errorChar = 0, eofChar = 0, eventChar = 0;
};

struct CommStatus {
  uint32_t errors = 0;    // error word since the last reading
  uint8_t holdFlags = 0;  // fCtlHold .. fTxim
  uint32_t inQueue = 0;   // bytes waiting to be read
  uint32_t outQueue = 0;  // bytes not yet sent
};

enum class WaitOutcome {
  Event,     // `events` holds what happened (masked by the event mask)
  TimedOut,  // nothing happened
  Woken,     // Wake() was called
  HangUp,    // the other end is gone (POLLHUP/POLLERR): stop using the device
  Failed,    // the wait itself failed; `error` holds the status value
};

class SerialDevice {
 public:
  virtual ~SerialDevice() = default;

  // All return a status value (0 on success). Every operation on a closed
  // device fails with kInvalidHandle. Safe to call from the GUI thread and
  // the I/O thread at once: the device serialises its own state.
  virtual uint32_t Open(const std::string& path) = 0;
  virtual uint32_t Close() = 0;
  virtual bool IsOpen() const = 0;
  virtual uint32_t SetQueueSizes(uint32_t rx, uint32_t tx) = 0;
  virtual uint32_t GetLineSettings(LineSettings& settings) = 0;
  // A setting the device or the platform cannot do gives kInvalidParameter
  // and leaves the line as it was.
  virtual uint32_t SetLineSettings(const LineSettings& settings) = 0;
  virtual uint32_t SetEventMask(uint32_t mask) = 0;
  virtual uint32_t GetModemStatus(uint32_t& word) = 0;
  // Reads and clears the error word; fills the queue counts.
  virtual uint32_t ClearError(CommStatus& status) = 0;
  // Takes up to `count` queued bytes without waiting; `got` may be 0.
  virtual uint32_t Read(char* buffer, size_t count, size_t& got) = 0;
  // Writes what the device takes now, without waiting; `written` may be
  // short. The rest is for a later call.
  virtual uint32_t Write(const char* data, size_t count, size_t& written) = 0;
  // Drops both queues.
  virtual uint32_t Purge() = 0;
  virtual uint32_t SetDtr(bool on) = 0;
  virtual uint32_t SetRts(bool on) = 0;
  virtual uint32_t SetBreak(bool on) = 0;
  // Waits up to `timeout` for input (when watchInput), room for output
  // (when watchOutput) or a line event; Wake() ends it early.
  virtual WaitOutcome Wait(std::chrono::microseconds timeout, bool watchInput, bool watchOutput,
                           uint32_t& events, uint32_t& error) = 0;
  // Ends a Wait in progress (or the next one) at once; any thread.
  virtual void Wake() = 0;
  // Sleeps up to `ms` unless woken; for the idle loop.
  virtual void IdleWait(int ms) = 0;
};

std::unique_ptr<SerialDevice> MakePosixSerialDevice();

// Turns a CommPort name into a device path.
using PortResolver = std::function<std::string(const std::string& commPort)>;
// "COM1".."COMn" become /dev/ttyS0.. (the numbering Wine uses); an absolute
// path stays as it is; a bare device name ("ttyUSB0") is looked up in /dev.
std::string DefaultPortPath(const std::string& commPort);

}  // namespace varnek
