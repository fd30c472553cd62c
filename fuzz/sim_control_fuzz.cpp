// The simulator's control lines (the commands varnek-rigsim reads on its
// standard input) and its memory image reader.
#include <string>

#include "fuzz_support.h"
#include "sim/simulator.h"

using namespace varnek;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view in = fuzz::AsText(data, size);
  try {
    const sim::Memory memory = sim::ParseMemoryImage(in);
    // An image the simulator wrote reads back as the same channels.
    fuzz::Require(sim::ParseMemoryImage(sim::FormatMemoryImage(memory)) == memory);
  } catch (const std::runtime_error&) {
    // A malformed image is refused with its line: the expected outcome.
  }

  static sim::Simulator simulator([] {
    sim::Options o;
    o.rig = "Kenwood TS-570";
    return o;
  }());
  for (const std::string& line : fuzz::SplitLines(in)) {
    // "dump FILE" would write wherever the input says.
    if (line.find("dump") != std::string::npos) continue;
    const std::string reply = simulator.Control(line);
    (void)reply;
  }
  simulator.SetFaults(sim::Faults{});
  return 0;
}
