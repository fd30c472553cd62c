// The conformance cases from the command line: one rig of each family and
// the newer Kenwood record, written, read back, compared, cleared, read
// empty.
#include <gtest/gtest.h>

#include <sstream>

#include "cli/cli_app.h"
#include "sim/simulator.h"
#include "support/temp_folder.h"

namespace varnek::cli {
namespace {

struct RigCase {
  const char* selection;
  const char* channelInterval;
  const char* table;     // what is written
  const char* readBack;  // the rows as the rig gives them back
};

class CliConformance : public ::testing::TestWithParam<RigCase> {
 protected:
  int Run(std::vector<std::string> args, std::string* out = nullptr) {
    const RigCase& c = GetParam();
    std::vector<std::string> all = {"varnek-cli",         "--settings-dir", settings.Path(),
                                    "--rig",              c.selection,      "--port",
                                    device,               "--channel-interval", c.channelInterval,
                                    "--command-interval", "10",             "--loop-wait",
                                    "10",                 "--settle",       "400"};
    all.insert(all.end(), args.begin(), args.end());
    std::ostringstream o, e;
    const int status = RunCli(all, o, e, Console{});
    if (out) *out = o.str();
    EXPECT_EQ(status, 0) << e.str();
    return status;
  }
  void SetUp() override {
    sim::Options o;
    o.rig = GetParam().selection;
    sim = std::make_unique<sim::Simulator>(o);
    device = sim->Start();
  }
  void TearDown() override { sim->Stop(); }

  testing::TempFolder settings, files;
  std::unique_ptr<sim::Simulator> sim;
  std::string device;
};

TEST_P(CliConformance, WriteReadBackClear) {
  const RigCase& c = GetParam();
  files.Write("table.txt", c.table);
  Run({"--table", files / "table.txt", "write", "1-3"});
  // The CI-V rig gives its memory's data only in memory mode.
  if (std::string(c.selection).rfind("Icom", 0) == 0) Run({"memory"});
  std::string table;
  Run({"read", "1-3"}, &table);
  EXPECT_EQ(table, c.readBack) << c.selection;
  Run({"clear", "1-3", "--yes"});
  for (int n = 1; n <= 3; ++n) {
    const auto ch = sim->GetChannel(n);
    EXPECT_TRUE(!ch.has_value() || ch->hz == 0) << c.selection << " channel " << n;
  }
}

const char* const kTable = "01\t3.699.000\tLSB\tNET\r\n02\t14.250.000\tUSB\t\r\n03\t29.600.000\tFM\t\r\n";

INSTANTIATE_TEST_SUITE_P(
    OneRigPerFamily, CliConformance,
    ::testing::Values(
        RigCase{"Kenwood TS-570", "60", kTable,
                "01\t3.699.000\tLSB\t\r\n02\t14.250.000\tUSB\t\r\n03\t29.600.000\tFM\t\r\n"},
        RigCase{"Yaesu FT-2000", "160", kTable,
                "01\t3.699.000\tLSB\t\r\n02\t14.250.000\tUSB\t\r\n03\t29.600.000\tFM\t\r\n"},
        RigCase{"Icom IC-CI-V", "60", kTable,
                "01\t3.699.000\tLSB\t\r\n02\t14.250.000\tUSB\t\r\n03\t29.600.000\tFM\t\r\n"},
        RigCase{"Yaesu FT-920", "400", kTable,
                "01\t3.699.000\tLSB\t\r\n02\t14.250.000\tUSB\t\r\n03\t29.600.000\tFM\t\r\n"},
        // The newer Kenwoods: three-digit channels, names sent unpadded.
        RigCase{"Kenwood TS-590S", "60", kTable, kTable}),
    [](const auto& info) {
      std::string name = info.param.selection;
      for (char& ch : name)
        if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
      return name;
    });

}  // namespace
}  // namespace varnek::cli
