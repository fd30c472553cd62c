// Inputs the fuzzers found in the simulator, kept as cases: a memory the
// line could fill but the rig's own image would refuse, and an image that
// did not read back as written.
#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>

#include "sim/protocol.h"
#include "tests/sim/line.h"

namespace varnek::sim::test {
namespace {

TEST(FuzzRegressions, StoredChannelsPassTheRigsOwnCheck) {
  struct Case {
    const char* why;
    std::string rig;
    std::string bytes;  // what the computer sends
  };
  // Five-byte commands as these tests write them: parameters with P1 last,
  // then the opcode. 0A sets the frequency in BCD of 10 Hz (least
  // significant pair first); 03 with P2 00 stores the VFO into channel P1.
  const std::vector<Case> cases = {
      {"0 Hz then store", "Yaesu FT-920", Bytes({0, 0, 0, 0, 0x0A}) + Bytes({0, 0, 0, 0x0B, 0x03})},
      {"999.999.990 Hz then store", "Yaesu FT-1000",
       Bytes({0x99, 0x99, 0x99, 0x99, 0x0A}) + Bytes({0, 0, 0, 0x0B, 0x03})},
      {"a good frequency still stores", "Yaesu FT-920",
       Bytes({0x00, 0x50, 0x42, 0x01, 0x0A}) + Bytes({0, 0, 0, 0x0B, 0x03})},
  };
  for (const Case& c : cases) {
    const RigModel* model = FindRig(c.rig);
    ASSERT_NE(model, nullptr) << c.rig;
    Options options;
    options.rig = c.rig;
    std::unique_ptr<Protocol> rig = model->make(options);
    std::string pending = c.bytes;
    while (auto command = rig->Extract(pending))
      rig->Handle(*command);
    EXPECT_FALSE(rig->memory.empty()) << c.why;
    for (const auto& [number, channel] : rig->memory)
      EXPECT_EQ(rig->CheckChannel(number, channel), "") << c.why << ": channel " << number;
  }
}

TEST(FuzzRegressions, SimplexTransmitSideIsRefusedInTheImage) {
  // "tx=0/4" kept a transmit mode that writing the image back dropped.
  EXPECT_THROW(ParseMemoryImage("7 14550000 4 \"\" tx=0/4\n"), std::runtime_error);
  const Memory split = ParseMemoryImage("7 14550000 4 \"\" tx=14560000/4\n");
  EXPECT_EQ(ParseMemoryImage(FormatMemoryImage(split)), split);
}

}  // namespace
}  // namespace varnek::sim::test
