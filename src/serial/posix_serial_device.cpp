// The serial device on POSIX terminals: a non-blocking descriptor in raw
// mode, waits with poll(), the lines through the TIOCM ioctls and line
// errors from the driver's interrupt counters where it keeps them.
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <mutex>

#include "serial/linux_custom_baud.h"
#include "serial/serial_device.h"

#if defined(__linux__)
#include <linux/serial.h>
#endif

namespace varnek {

namespace {

struct ErrnoStatus {
  int err;
  uint32_t code;
};

// The one place errno meets the component's status values.
constexpr ErrnoStatus kErrnoTable[] = {
    {EAGAIN, status::kIoPending},
#if EWOULDBLOCK != EAGAIN
    {EWOULDBLOCK, status::kIoPending},
#endif
    {EINPROGRESS, status::kIoIncomplete},
    {ECANCELED, status::kOperationAborted},
    {EINTR, status::kOperationAborted},
    {ETIMEDOUT, status::kWaitTimeout},
    {EINVAL, status::kInvalidParameter},
    {ENOTTY, status::kInvalidParameter},
    {EOPNOTSUPP, status::kInvalidParameter},
#if ENOTSUP != EOPNOTSUPP
    {ENOTSUP, status::kInvalidParameter},
#endif
    {ENOENT, status::kFileNotFound},
    {ENODEV, status::kFileNotFound},
    {ENXIO, status::kFileNotFound},
    {ENOTDIR, status::kFileNotFound},
    {EACCES, status::kAccessDenied},
    {EPERM, status::kAccessDenied},
    {EROFS, status::kAccessDenied},
    {EBUSY, status::kBusy},
    {EBADF, status::kInvalidHandle},
    {EEXIST, status::kAlreadyExists},
    {EIO, status::kDeviceError},
};

struct BaudEntry {
  uint32_t rate;
  speed_t speed;
};

constexpr BaudEntry kBauds[] = {
    {50, B50},         {75, B75},         {110, B110},       {134, B134},     {150, B150},
    {200, B200},       {300, B300},       {600, B600},       {1200, B1200},   {1800, B1800},
    {2400, B2400},     {4800, B4800},     {9600, B9600},     {19200, B19200}, {38400, B38400},
    {57600, B57600},   {115200, B115200}, {230400, B230400},
#ifdef B460800
    {460800, B460800},
#endif
#ifdef B921600
    {921600, B921600},
#endif
};

bool SpeedFor(uint32_t rate, speed_t& speed) {
  for (const auto& b : kBauds)
    if (b.rate == rate) {
      speed = b.speed;
      return true;
    }
  return false;
}

uint32_t RateFor(speed_t speed) {
  for (const auto& b : kBauds)
    if (b.speed == speed) return b.rate;
  return 0;
}

// Devices without modem lines (pseudo-terminals, some USB bridges) answer
// the line ioctls with one of these; they are not failures of the port.
bool NoSuchLineControl(int err) {
  return err == ENOTTY || err == EINVAL || err == EOPNOTSUPP;
}

uint32_t ModemWordFrom(int bits) {
  uint32_t w = 0;
  if (bits & TIOCM_CTS) w |= modem::kCts;
  if (bits & TIOCM_DSR) w |= modem::kDsr;
  if (bits & TIOCM_RNG) w |= modem::kRing;
  if (bits & TIOCM_CAR) w |= modem::kRlsd;
  return w;
}

struct Counters {
  long brk = 0, frame = 0, parity = 0, overrun = 0, bufOverrun = 0;
};

class PosixSerialDevice : public SerialDevice {
 public:
  PosixSerialDevice() {
    if (pipe(wake_) == 0) {
      for (int fd : wake_) {
        fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
        fcntl(fd, F_SETFD, FD_CLOEXEC);
      }
    } else {
      wake_[0] = wake_[1] = -1;
    }
  }
  ~PosixSerialDevice() override {
    Close();
    for (int fd : wake_)
      if (fd >= 0) ::close(fd);
  }

  uint32_t Open(const std::string& path) override {
    std::lock_guard lock(mutex_);
    if (fd_ >= 0) return status::kBusy;
    if (path.empty()) return status::kFileNotFound;
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return StatusFromErrno(errno);
    auto fail = [fd](int err) {
      ::close(fd);
      return StatusFromErrno(err);
    };
    if (!isatty(fd)) return fail(ENOTTY);
    // TIOCEXCL keeps other programs out but does not stop root, so a lock on
    // the device file stands guard as well (it also catches a second opener
    // inside this program).
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) return fail(errno == EWOULDBLOCK ? EBUSY : errno);
    if (ioctl(fd, TIOCEXCL) != 0) return fail(errno);
    termios t{};
    if (tcgetattr(fd, &t) != 0) return fail(errno);
    saved_ = t;
    cfmakeraw(&t);
    t.c_cflag |= CLOCAL | CREAD;
    t.c_cc[VMIN] = 0;
    t.c_cc[VTIME] = 0;
    if (tcsetattr(fd, TCSANOW, &t) != 0) return fail(errno);

    fd_ = fd;
    ++generation_;
    hasLines_ = true;
    hasCounters_ = true;
    eventMask_ = 0;
    pendingEvents_ = 0;
    stripNull_ = false;
    eventChar_ = 0;
    settings_ = LineSettings{};
    settings_.baudRate = RateFor(cfgetospeed(&t));
    uint32_t word = 0;
    ReadModemLocked(word);
    lastModem_ = word;
    lastModemLook_ = std::chrono::steady_clock::now();
    ReadCountersLocked(errorBase_);
    eventBase_ = errorBase_;
    lastInQueue_ = 0;
    lastOutQueue_ = 0;
    return status::kOk;
  }

  uint32_t Close() override {
    std::lock_guard lock(mutex_);
    if (fd_ < 0) return status::kInvalidHandle;
    ioctl(fd_, TIOCNXCL);
    tcsetattr(fd_, TCSANOW, &saved_);
    const int rc = ::close(fd_);
    const int err = errno;
    fd_ = -1;
    ++generation_;
    return rc == 0 ? status::kOk : StatusFromErrno(err);
  }

  bool IsOpen() const override {
    std::lock_guard lock(mutex_);
    return fd_ >= 0;
  }

  // The kernel sizes its own buffers; there is nothing to set.
  uint32_t SetQueueSizes(uint32_t, uint32_t) override {
    std::lock_guard lock(mutex_);
    return fd_ < 0 ? status::kInvalidHandle : status::kOk;
  }

  uint32_t GetLineSettings(LineSettings& settings) override {
    std::lock_guard lock(mutex_);
    if (fd_ < 0) return status::kInvalidHandle;
    termios t{};
    if (tcgetattr(fd_, &t) != 0) return StatusFromErrno(errno);
    settings = settings_;
    return status::kOk;
  }

  uint32_t SetLineSettings(const LineSettings& s) override {
    std::lock_guard lock(mutex_);
    if (fd_ < 0) return status::kInvalidHandle;
    termios t{};
    if (tcgetattr(fd_, &t) != 0) return StatusFromErrno(errno);
    const termios before = t;
    // A rate without a B-constant keeps the present speed here and is set
    // through termios2 once the rest is in place.
    speed_t speed = cfgetospeed(&t);
    const bool standard = SpeedFor(s.baudRate, speed);
    if (standard && (cfsetispeed(&t, speed) != 0 || cfsetospeed(&t, speed) != 0))
      return StatusFromErrno(errno);

    t.c_cflag &= ~static_cast<tcflag_t>(CSIZE);
    switch (s.byteSize) {
      case 5:
        t.c_cflag |= CS5;
        break;
      case 6:
        t.c_cflag |= CS6;
        break;
      case 7:
        t.c_cflag |= CS7;
        break;
      case 8:
        t.c_cflag |= CS8;
        break;
      default:
        return status::kInvalidParameter;
    }

    t.c_cflag &= ~static_cast<tcflag_t>(PARENB | PARODD);
#ifdef CMSPAR
    t.c_cflag &= ~static_cast<tcflag_t>(CMSPAR);
#endif
    switch (s.parity) {
      case 0:
        break;
      case 1:
        t.c_cflag |= PARENB | PARODD;
        break;
      case 2:
        t.c_cflag |= PARENB;
        break;
#ifdef CMSPAR
      case 3:
        t.c_cflag |= PARENB | CMSPAR | PARODD;
        break;
      case 4:
        t.c_cflag |= PARENB | CMSPAR;
        break;
#endif
      default:
        return status::kInvalidParameter;
    }
    t.c_iflag &= ~static_cast<tcflag_t>(INPCK | IGNPAR | PARMRK);
    if (s.parity != 0 && (s.flags & dcb::kParity)) t.c_iflag |= INPCK;

    switch (s.stopBits) {
      case 0:
        t.c_cflag &= ~static_cast<tcflag_t>(CSTOPB);
        break;
      case 2:
        t.c_cflag |= CSTOPB;
        break;
      default:
        return status::kInvalidParameter;  // no 1.5 stop bits here
    }

    // DSR/DTR handshaking and RTS toggling have no termios counterpart.
    if ((s.flags & (dcb::kOutxDsrFlow | dcb::kDsrSensitivity)) ||
        (s.flags & dcb::kDtrControlMask) == dcb::kDtrHandshake ||
        (s.flags & dcb::kRtsControlMask) == dcb::kRtsToggle)
      return status::kInvalidParameter;
    t.c_cflag &= ~static_cast<tcflag_t>(CRTSCTS);
    if ((s.flags & dcb::kOutxCtsFlow) || (s.flags & dcb::kRtsControlMask) == dcb::kRtsHandshake)
      t.c_cflag |= CRTSCTS;
    t.c_iflag &= ~static_cast<tcflag_t>(IXON | IXOFF | IXANY);
    if (s.flags & dcb::kOutX) t.c_iflag |= IXON;
    if (s.flags & dcb::kInX) t.c_iflag |= IXOFF;
    t.c_cc[VSTART] = static_cast<cc_t>(s.xonChar);
    t.c_cc[VSTOP] = static_cast<cc_t>(s.xoffChar);

    if (tcsetattr(fd_, TCSANOW, &t) != 0) return StatusFromErrno(errno);
    if (standard) {
      // tcsetattr succeeds when any part of the request took; check the speed.
      termios check{};
      if (tcgetattr(fd_, &check) == 0 && cfgetospeed(&check) != speed) {
        tcsetattr(fd_, TCSANOW, &check);
        return status::kInvalidParameter;
      }
    } else if (!CustomRateTook(s.baudRate)) {
      tcsetattr(fd_, TCSANOW, &before);
      return status::kInvalidParameter;
    }
    settings_ = s;
    stripNull_ = (s.flags & dcb::kNull) != 0;
    eventChar_ = s.eventChar;
    return status::kOk;
  }

  // A UART's clock divides to the nearest rate it can make; more than 3 %
  // off and the rig would not understand it.
  bool CustomRateTook(uint32_t rate) {
    if (rate == 0 || SetCustomBaud(fd_, rate) != 0) return false;
    const uint32_t got = CustomBaudOf(fd_);
    const uint32_t off = got > rate ? got - rate : rate - got;
    return got != 0 && off * 100 <= rate * 3;
  }

  uint32_t SetEventMask(uint32_t mask) override {
    std::lock_guard lock(mutex_);
    if (fd_ < 0) return status::kInvalidHandle;
    eventMask_ = mask & ev::kAll;
    pendingEvents_ &= eventMask_;
    // A new mask ends a wait in progress, as on the platform it came from.
    Poke();
    return status::kOk;
  }

  uint32_t GetModemStatus(uint32_t& word) override {
    std::lock_guard lock(mutex_);
    if (fd_ < 0) return status::kInvalidHandle;
    return ReadModemLocked(word);
  }

  uint32_t ClearError(CommStatus& st) override {
    std::lock_guard lock(mutex_);
    if (fd_ < 0) return status::kInvalidHandle;
    int in = 0, out = 0;
    if (ioctl(fd_, FIONREAD, &in) != 0) return StatusFromErrno(errno);
    // Nothing written since the queue was last seen empty: it still is.
    if (lastOutQueue_ > 0 && ioctl(fd_, TIOCOUTQ, &out) != 0) out = 0;
    Counters now;
    ReadCountersLocked(now);
    st.errors = 0;
    if (now.bufOverrun != errorBase_.bufOverrun) st.errors |= lineerr::kRxOver;
    if (now.overrun != errorBase_.overrun) st.errors |= lineerr::kOverrun;
    if (now.parity != errorBase_.parity) st.errors |= lineerr::kParity;
    if (now.frame != errorBase_.frame) st.errors |= lineerr::kFrame;
    if (now.brk != errorBase_.brk) st.errors |= lineerr::kBreak;
    errorBase_ = now;
    st.holdFlags = 0;
    st.inQueue = static_cast<uint32_t>(std::max(in, 0));
    st.outQueue = static_cast<uint32_t>(std::max(out, 0));
    return status::kOk;
  }

  uint32_t Read(char* buffer, size_t count, size_t& got) override {
    std::lock_guard lock(mutex_);
    got = 0;
    if (fd_ < 0) return status::kInvalidHandle;
    const ssize_t n = ::read(fd_, buffer, count);
    if (n < 0)
      return errno == EAGAIN || errno == EWOULDBLOCK ? status::kOk : StatusFromErrno(errno);
    got = static_cast<size_t>(n);
    if (eventChar_ != 0 && std::find(buffer, buffer + got, eventChar_) != buffer + got)
      pendingEvents_ |= ev::kRxFlag & eventMask_;
    // The driver cannot drop NULs itself; the reader does it.
    if (stripNull_) got = static_cast<size_t>(std::remove(buffer, buffer + got, '\0') - buffer);
    return status::kOk;
  }

  uint32_t Write(const char* data, size_t count, size_t& written) override {
    std::lock_guard lock(mutex_);
    written = 0;
    if (fd_ < 0) return status::kInvalidHandle;
    if (count == 0) return status::kOk;
    const ssize_t n = ::write(fd_, data, count);
    if (n < 0)
      return errno == EAGAIN || errno == EWOULDBLOCK ? status::kOk : StatusFromErrno(errno);
    written = static_cast<size_t>(n);
    if (written > 0) lastOutQueue_ = std::max<uint32_t>(lastOutQueue_, 1);
    return status::kOk;
  }

  uint32_t Purge() override {
    std::lock_guard lock(mutex_);
    if (fd_ < 0) return status::kInvalidHandle;
    return tcflush(fd_, TCIOFLUSH) == 0 ? status::kOk : StatusFromErrno(errno);
  }

  uint32_t SetDtr(bool on) override {
    return SetLine(TIOCM_DTR, on);
  }
  uint32_t SetRts(bool on) override {
    return SetLine(TIOCM_RTS, on);
  }

  uint32_t SetBreak(bool on) override {
    std::lock_guard lock(mutex_);
    if (fd_ < 0) return status::kInvalidHandle;
    return ioctl(fd_, on ? TIOCSBRK : TIOCCBRK) == 0 ? status::kOk : StatusFromErrno(errno);
  }

  WaitOutcome Wait(std::chrono::microseconds timeout, bool watchInput, bool watchOutput,
                   uint32_t& events, uint32_t& error) override {
    events = 0;
    error = 0;
    int fd;
    unsigned generation;
    {
      std::lock_guard lock(mutex_);
      if (fd_ < 0) {
        error = status::kInvalidHandle;
        return WaitOutcome::Failed;
      }
      fd = fd_;
      generation = generation_;
      if (pendingEvents_) timeout = std::chrono::microseconds(0);
    }
    pollfd fds[2] = {};
    fds[0].fd = fd;
    fds[0].events = static_cast<short>((watchInput ? POLLIN : 0) | (watchOutput ? POLLOUT : 0));
    fds[1].fd = wake_[0];
    fds[1].events = POLLIN;
    // ppoll: a wait for the rest of an answer is a few character times,
    // which whole milliseconds would round up by as much again.
    const long long us = std::max<long long>(timeout.count(), 0);
    const timespec span{static_cast<time_t>(us / 1000000), static_cast<long>(us % 1000000) * 1000};
    const int rc = ppoll(fds, wake_[0] >= 0 ? 2 : 1, &span, nullptr);
    if (rc < 0 && errno != EINTR) {
      error = StatusFromErrno(errno);
      return WaitOutcome::Failed;
    }
    bool woken = false;
    if (rc > 0 && (fds[1].revents & POLLIN)) {
      DrainWake();
      woken = true;
    }

    std::lock_guard lock(mutex_);
    // Closed (and perhaps the number reused) while we waited.
    if (fd_ < 0 || generation != generation_) return WaitOutcome::Woken;
    if (rc > 0 && (fds[0].revents & (POLLHUP | POLLERR | POLLNVAL))) {
      error = status::kDeviceError;
      return WaitOutcome::HangUp;
    }
    uint32_t found = pendingEvents_;
    pendingEvents_ = 0;
    int in = 0, out = 0;
    if (ioctl(fd_, FIONREAD, &in) == 0) {
      if ((rc > 0 && (fds[0].revents & POLLIN)) || static_cast<uint32_t>(in) > lastInQueue_)
        if (in > 0) found |= ev::kRxChar;
      lastInQueue_ = static_cast<uint32_t>(std::max(in, 0));
    }
    if (lastOutQueue_ > 0 && ioctl(fd_, TIOCOUTQ, &out) == 0) {
      if (out == 0) found |= ev::kTxEmpty;
      lastOutQueue_ = static_cast<uint32_t>(std::max(out, 0));
    }
    // Input wakes this wait once a byte at a slow line rate, and on a USB
    // adapter every look at the modem lines is a round trip over the bus:
    // look at them on a clock instead, which still sees a change within a
    // few tens of milliseconds.
    uint32_t word = 0;
    const auto now = std::chrono::steady_clock::now();
    if (now - lastModemLook_ >= kModemLookEvery && ReadModemLocked(word) == status::kOk) {
      lastModemLook_ = now;
      const uint32_t changed = word ^ lastModem_;
      if (changed & modem::kCts) found |= ev::kCts;
      if (changed & modem::kDsr) found |= ev::kDsr;
      if (changed & modem::kRlsd) found |= ev::kRlsd;
      if ((changed & modem::kRing) && (word & modem::kRing)) found |= ev::kRing;
      lastModem_ = word;
    }
    Counters counts;
    if (ReadCountersLocked(counts)) {
      if (counts.brk != eventBase_.brk) found |= ev::kBreak;
      if (counts.frame != eventBase_.frame || counts.parity != eventBase_.parity ||
          counts.overrun != eventBase_.overrun || counts.bufOverrun != eventBase_.bufOverrun)
        found |= ev::kErr;
      eventBase_ = counts;
    }
    events = found & eventMask_;
    if (events) return WaitOutcome::Event;
    return woken ? WaitOutcome::Woken : WaitOutcome::TimedOut;
  }

  void Wake() override {
    Poke();
  }

  void IdleWait(int ms) override {
    if (wake_[0] < 0) {
      usleep(static_cast<useconds_t>(ms) * 1000);
      return;
    }
    pollfd p{wake_[0], POLLIN, 0};
    if (poll(&p, 1, ms) > 0) DrainWake();
  }

 private:
  void Poke() {
    if (wake_[1] < 0) return;
    const char c = 1;
    [[maybe_unused]] ssize_t n = ::write(wake_[1], &c, 1);
  }
  void DrainWake() {
    char buf[64];
    while (::read(wake_[0], buf, sizeof buf) > 0) {
    }
  }

  uint32_t ReadModemLocked(uint32_t& word) {
    word = 0;
    if (!hasLines_) return status::kOk;
    int bits = 0;
    if (ioctl(fd_, TIOCMGET, &bits) != 0) {
      if (NoSuchLineControl(errno)) {
        hasLines_ = false;
        return status::kOk;
      }
      return StatusFromErrno(errno);
    }
    word = ModemWordFrom(bits);
    return status::kOk;
  }

  bool ReadCountersLocked(Counters& c) {
    c = Counters{};
#if defined(__linux__) && defined(TIOCGICOUNT)
    if (!hasCounters_) return false;
    serial_icounter_struct ic{};
    if (ioctl(fd_, TIOCGICOUNT, &ic) != 0) {
      hasCounters_ = false;
      return false;
    }
    c.brk = ic.brk;
    c.frame = ic.frame;
    c.parity = ic.parity;
    c.overrun = ic.overrun;
    c.bufOverrun = ic.buf_overrun;
    return true;
#else
    return false;
#endif
  }

  uint32_t SetLine(int bit, bool on) {
    std::lock_guard lock(mutex_);
    if (fd_ < 0) return status::kInvalidHandle;
    if (ioctl(fd_, on ? TIOCMBIS : TIOCMBIC, &bit) == 0) return status::kOk;
    // A line the device does not have is nothing to complain about.
    return NoSuchLineControl(errno) ? status::kOk : StatusFromErrno(errno);
  }

  mutable std::mutex mutex_;
  int fd_ = -1;
  unsigned generation_ = 0;
  int wake_[2] = {-1, -1};
  termios saved_{};
  LineSettings settings_;
  bool hasLines_ = true, hasCounters_ = true, stripNull_ = false;
  char eventChar_ = 0;
  uint32_t eventMask_ = 0, pendingEvents_ = 0;
  uint32_t lastModem_ = 0, lastInQueue_ = 0, lastOutQueue_ = 0;
  static constexpr std::chrono::milliseconds kModemLookEvery{40};
  std::chrono::steady_clock::time_point lastModemLook_{};
  Counters errorBase_, eventBase_;
};

}  // namespace

uint32_t StatusFromErrno(int err) {
  if (err == 0) return status::kOk;
  for (const auto& e : kErrnoTable)
    if (e.err == err) return e.code;
  return status::kErrnoBit | static_cast<uint32_t>(err);
}

std::string StatusText(uint32_t code) {
  switch (code) {
    case status::kOk:
      return "no error";
    case status::kFileNotFound:
      return "no such device";
    case status::kAccessDenied:
      return "permission denied";
    case status::kInvalidHandle:
      return "port not open";
    case status::kInvalidParameter:
      return "setting not supported by the device";
    case status::kBusy:
      return "device in use";
    case status::kAlreadyExists:
      return "already exists";
    case status::kWaitTimeout:
      return "timed out";
    case status::kOperationAborted:
      return "operation aborted";
    case status::kIoIncomplete:
      return "operation incomplete";
    case status::kIoPending:
      return "operation pending";
    case status::kDeviceError:
      return "device I/O error";
    default:
      break;
  }
  if (code & status::kErrnoBit) return std::strerror(static_cast<int>(code & ~status::kErrnoBit));
  return "error " + std::to_string(code);
}

std::unique_ptr<SerialDevice> MakePosixSerialDevice() {
  return std::make_unique<PosixSerialDevice>();
}

}  // namespace varnek
