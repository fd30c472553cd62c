// The component's rules that need no line: the cluster rule, the automatic
// character times, port names, status values and the texts of failed opens.
#include <cerrno>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "base/headless_host.h"
#include "serial/serial_port.h"

namespace varnek {
namespace {

TEST(ClusterRule, ReadsWhenAnyConditionHolds) {
  struct Case {
    const char* what;
    uint32_t queued, elapsed;
    bool readRequest;
    uint32_t clusterSize, errors;
    bool due;
  } cases[] = {
      {"nothing queued, even on request", 0, 100000, true, 0, 0x1F, false},
      {"20 bytes at 9600 wait 272 ms", 20, 272, false, 3072, 0, false},
      {"and go after it", 20, 273, false, 3072, 0, true},
      {"a full cluster goes at once", 3072, 0, false, 3072, 0, true},
      {"more than a cluster too", 5000, 0, false, 3072, 0, true},
      {"a request goes at once", 1, 0, true, 3072, 0, true},
      {"a framing error forces the read", 5, 0, false, 3072, 0x08, true},
      {"so does a break", 5, 0, false, 3072, 0x10, true},
      {"the other bits do not", 5, 0, false, 3072, 0x100, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(
        ClusterReadDue(c.queued, c.elapsed, c.readRequest, c.clusterSize, 1100, 250, c.errors),
        c.due);
  }
}

TEST(LineByteTime, CountsStartDataParityAndStopBits) {
  const struct {
    uint32_t baud;
    uint8_t data, parity, stop;
    double ms;
  } cases[] = {
      {9600, 8, 0, 0, 10.0 * 1000 / 9600},  // 8N1
      {4800, 8, 0, 2, 11.0 * 1000 / 4800},  // 8N2, the five-byte Yaesus
      {9600, 7, 2, 0, 10.0 * 1000 / 9600},  // 7E1
      {1200, 5, 0, 1, 7.5 * 1000 / 1200},   // 5N1.5
      {0, 8, 0, 0, 0.0},
  };
  for (const auto& c : cases)
    EXPECT_DOUBLE_EQ(LineByteTimeMs(c.baud, c.data, c.parity, c.stop), c.ms) << c.baud;
}

TEST(CharDelay, FollowsTheBaudRateWhileAutomatic) {
  struct Case {
    uint32_t baud, us;
  } cases[] = {
      {100, 1100},  {110, 100000}, {9600, 1100},
      {56000, 200}, {115000, 190},  // below the 115200 row
      {115200, 95}, {256000, 43},  {1000000, 43},
  };
  HeadlessHost host;
  TSerialPort port(host);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.baud);
    port.SetBaudRate(c.baud);
    EXPECT_EQ(port.RTOCharDelayTime(), c.us);
    EXPECT_EQ(port.WTOCharDelayTime(), c.us);
  }
  // Not automatic: the times stay until it becomes automatic again.
  port.SetXTOAuto(false);
  port.SetBaudRate(300);
  EXPECT_EQ(port.RTOCharDelayTime(), 43u);
  port.SetXTOAuto(true);
  EXPECT_EQ(port.RTOCharDelayTime(), 37000u);
}

TEST(PortNames, MapToDevicePaths) {
  struct Case {
    const char* name;
    const char* path;
  } cases[] = {
      {"COM1", "/dev/ttyS0"},
      {"COM25", "/dev/ttyS24"},
      {"com3", "/dev/ttyS2"},
      {"/dev/ttyUSB0", "/dev/ttyUSB0"},
      {"ttyACM1", "/dev/ttyACM1"},
      {"COM0", ""},
      {"COM", ""},
      {"COM1x", ""},
      {"COM-1", ""},
      {"", ""},
      {"dev/ttyS0", ""},
  };
  for (const auto& c : cases)
    EXPECT_EQ(DefaultPortPath(c.name), c.path) << c.name;

  HeadlessHost host;
  TSerialPort port(host);
  port.SetCommPort("COM4");
  EXPECT_EQ(port.DevicePath(), "/dev/ttyS3");
  port.SetPortResolver([](const std::string& n) { return "/dev/serial/by-id/" + n; });
  EXPECT_EQ(port.DevicePath(), "/dev/serial/by-id/COM4");
  port.SetPortResolver(nullptr);
  EXPECT_EQ(port.DevicePath(), "/dev/ttyS3");
}

TEST(StatusValues, ComeFromErrnoInOneTable) {
  struct Case {
    int err;
    uint32_t code;
  } cases[] = {
      {0, status::kOk},
      {EACCES, status::kAccessDenied},
      {EPERM, status::kAccessDenied},
      {ENOENT, status::kFileNotFound},
      {EBUSY, status::kBusy},
      {EINVAL, status::kInvalidParameter},
      {EAGAIN, status::kIoPending},
      {ECANCELED, status::kOperationAborted},
      {ETIMEDOUT, status::kWaitTimeout},
      {EIO, status::kDeviceError},
      {E2BIG, status::kErrnoBit | E2BIG},
  };
  for (const auto& c : cases)
    EXPECT_EQ(StatusFromErrno(c.err), c.code) << c.err;
  EXPECT_NE(StatusText(status::kErrnoBit | E2BIG).find("list"), std::string::npos);
}

// A device whose open fails with a chosen status.
class RefusingDevice : public SerialDevice {
 public:
  explicit RefusingDevice(uint32_t code) : code_(code) {}
  uint32_t Open(const std::string&) override { return code_; }
  uint32_t Close() override { return status::kInvalidHandle; }
  bool IsOpen() const override { return false; }
  uint32_t SetQueueSizes(uint32_t, uint32_t) override { return status::kInvalidHandle; }
  uint32_t GetLineSettings(LineSettings&) override { return status::kInvalidHandle; }
  uint32_t SetLineSettings(const LineSettings&) override { return status::kInvalidHandle; }
  uint32_t SetEventMask(uint32_t) override { return status::kInvalidHandle; }
  uint32_t GetModemStatus(uint32_t&) override { return status::kInvalidHandle; }
  uint32_t ClearError(CommStatus&) override { return status::kInvalidHandle; }
  uint32_t Read(char*, size_t, size_t&) override { return status::kInvalidHandle; }
  uint32_t Write(const char*, size_t, size_t&) override { return status::kInvalidHandle; }
  uint32_t Purge() override { return status::kInvalidHandle; }
  uint32_t SetDtr(bool) override { return status::kInvalidHandle; }
  uint32_t SetRts(bool) override { return status::kInvalidHandle; }
  uint32_t SetBreak(bool) override { return status::kInvalidHandle; }
  WaitOutcome Wait(std::chrono::microseconds, bool, bool, uint32_t&, uint32_t&) override {
    return WaitOutcome::Failed;
  }
  void Wake() override {}
  void IdleWait(int) override {}

 private:
  uint32_t code_;
};

TEST(FailedOpen, SaysWhatToDo) {
  struct Case {
    uint32_t code;
    const char* hint;  // empty: the bare text
  } cases[] = {
      {status::kAccessDenied, "dialout"},
      {status::kBusy, "in use"},
      {status::kFileNotFound, "no device"},
      {status::kDeviceError, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.code);
    HeadlessHost host;
    TSerialPort port(host, std::make_unique<RefusingDevice>(c.code));
    std::vector<std::string> errors;
    port.OnProcessError = [&](TSerialPort&, uint32_t place, uint32_t code, const std::string& msg,
                              uint8_t noise) {
      if (place == 112 && noise == 0 && code == c.code) errors.push_back(msg);
    };
    port.SetCommPort("/dev/ttyUSB0");
    port.SetActive(true);
    EXPECT_FALSE(port.Active());
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0].rfind("Error reopening Port", 0), 0u);
    if (*c.hint)
      EXPECT_NE(errors[0].find(c.hint), std::string::npos) << errors[0];
    else
      EXPECT_EQ(errors[0], "Error reopening Port");
  }
}

TEST(ReportHandler, ShowsErrorsOnlyAndLogsEverything) {
  HeadlessHost host;
  TSerialPort port(host, std::make_unique<RefusingDevice>(status::kAccessDenied));
  std::vector<std::string> shown;
  port.OnProcessError = MakeSerialReportHandler([&](const std::string& t) { shown.push_back(t); });
  ::testing::internal::CaptureStderr();
  port.SetXONLimDiv(200);  // a warning
  port.SetCommPort("/dev/ttyUSB0");
  port.SetActive(true);  // a message, then the error
  const std::string log = ::testing::internal::GetCapturedStderr();
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0].rfind("Error reopening Port", 0), 0u);
  EXPECT_NE(shown[0].find("(permission denied)"), std::string::npos) << shown[0];
  for (const char* line : {"warning 100", "message 110", "error 112"})
    EXPECT_NE(log.find(line), std::string::npos) << line << " missing from " << log;
}

TEST(ClosedPort, DoesNothingButReport) {
  HeadlessHost host;
  TSerialPort port(host);
  std::vector<uint32_t> places;
  port.OnProcessError = [&](TSerialPort&, uint32_t place, uint32_t, const std::string&, uint8_t) {
    places.push_back(place);
  };
  port.SendText("");  // nothing to send, nothing to say
  EXPECT_TRUE(places.empty());
  port.SendText("FA;");
  EXPECT_EQ(places, std::vector<uint32_t>{903});
  EXPECT_EQ(port.FirstClusterSize(), -1);
  EXPECT_EQ(port.TakeFirstCluster(), "");
  port.SetBREAKState(true);
  EXPECT_FALSE(port.BREAKState());
}

}  // namespace
}  // namespace varnek
