// What each simulated model can tune and store. A real rig refuses a
// frequency outside its ranges: the Kenwoods and the FT-2000 answer "?;" to
// the memory write, a CI-V rig NG to the set-frequency frame, the five-byte
// Yaesus ignore the command. Ranges are the receive coverage the makers
// publish; the generic CI-V rig is the union of what Icom's CI-V rigs
// receive that five BCD bytes carry, HF to the 6 cm band.
#include "sim/protocol.h"

namespace varnek::sim {
namespace {

constexpr std::int64_t kKHz = 1000;
constexpr std::int64_t kMHz = 1000 * kKHz;

struct Row {
  const char* rig;
  std::vector<Range> ranges;
};

const std::vector<Row>& Table() {
  static const std::vector<Row> rows = {
      {"Kenwood TS-570", {{500 * kKHz, 60 * kMHz}}},
      {"Kenwood TS-570S", {{500 * kKHz, 60 * kMHz}}},
      {"Kenwood TS-570D", {{500 * kKHz, 30 * kMHz}}},
      {"Kenwood TS-870S", {{100 * kKHz, 30 * kMHz}}},
      {"Kenwood TS-2000",
       {{30 * kKHz, 60 * kMHz},
        {118 * kMHz, 174 * kMHz},
        {220 * kMHz, 512 * kMHz},
        {1240 * kMHz, 1300 * kMHz}}},
      {"Yaesu FT-2000", {{30 * kKHz, 60 * kMHz}}},
      {"Icom IC-CI-V",
       {{30 * kKHz, 199999999},
        {400 * kMHz, 470 * kMHz},
        {1240 * kMHz, 1320 * kMHz},
        {2300 * kMHz, 2450 * kMHz},
        {5650 * kMHz, 5850 * kMHz}}},
      {"Icom IC-735", {{30 * kKHz, 30 * kMHz}}},
      {"Icom IC-7300", {{30 * kKHz, 74800 * kKHz}}},
      {"Kenwood TS-590S", {{30 * kKHz, 60 * kMHz}}},
      {"Kenwood TS-590SG", {{30 * kKHz, 60 * kMHz}}},
      // 50 kHz and Hamlib's 100 kHz disagree; the lower edge moves with
      // --ts480-low-khz.
      {"Kenwood TS-480", {{50 * kKHz, 60 * kMHz}}},
      {"Yaesu FT-1000", {{100 * kKHz, 30 * kMHz}}},
      {"Yaesu FT-920", {{100 * kKHz, 30 * kMHz}, {48 * kMHz, 56 * kMHz}}},
  };
  return rows;
}

}  // namespace

std::vector<Range> TunableRanges(const std::string& rig) {
  for (const Row& r : Table())
    if (r.rig == rig) return r.ranges;
  return {};
}

bool Protocol::Tunes(std::int64_t hz) const {
  for (const Range& r : tunable)
    if (hz >= r.low && hz <= r.high) return true;
  return false;
}

}  // namespace varnek::sim
