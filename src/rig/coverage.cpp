#include "rig/coverage.h"

#include "base/text.h"
#include "rig/family.h"
#include "rig/freq.h"

namespace varnek {
namespace {

constexpr long long kHz = 1000;
constexpr long long MHz = 1000 * kHz;

struct ModelRow {
  const char* code;
  std::vector<FreqRange> ranges;
  long long stepHz;
};

// Receive ranges of the rigs in the Radio list, from the makers' manuals and
// other rig-control software's published capabilities. Where versions of a
// model differ (TS-570S to 60 MHz, TS-570D to 30 MHz; the TS-2000's regions
// and its 23 cm option), the model is the union of them.
const std::vector<ModelRow>& ModelTable() {
  static const std::vector<ModelRow> rows = {
      {"TS-570", {{500 * kHz, 60 * MHz}}, 1},
      {"TS-870S", {{100 * kHz, 30 * MHz}}, 1},
      {"TS-2000",
       {{30 * kHz, 60 * MHz},
        {118 * MHz, 174 * MHz},
        {220 * MHz, 512 * MHz},
        {1240 * MHz, 1300 * MHz}},
       1},
      {"FT-2000", {{30 * kHz, 60 * MHz}}, 1},
      {"FT-1000", {{100 * kHz, 30 * MHz}}, 10},
      {"FT-920", {{100 * kHz, 30 * MHz}, {48 * MHz, 56 * MHz}}, 10},
      {"IC-735", {{30 * kHz, 30 * MHz}}, 10},
      {"TS-590S", {{30 * kHz, 60 * MHz}}, 1},
      {"TS-590SG", {{30 * kHz, 60 * MHz}}, 1},
      // Sources give 50 or 100 kHz as the TS-480's lowest memory frequency.
      {"TS-480", {{50 * kHz, 60 * MHz}}, 1},
      // The generic CI-V rig: the union of what Icom's CI-V rigs receive
      // (HF to 2 m, 70 cm, and the 23/13/6 cm bands of the IC-9700 and
      // IC-905 class; the IC-905's 3 cm band needs a sixth BCD byte). Not
      // "whatever five BCD bytes carry": a kHz text such as 3699.00 would
      // then also be 3699 MHz and be refused as two-way.
      {"IC-CI-V",
       {{30 * kHz, 199'999'999LL},
        {400 * MHz, 470 * MHz},
        {1240 * MHz, 1320 * MHz},
        {2300 * MHz, 2450 * MHz},
        {5650 * MHz, 5850 * MHz}},
       1},
  };
  return rows;
}

// What the family's frequency field can carry, for a code the table lacks.
Coverage WireForm(std::string_view code) {
  switch (FamilyOf(code)) {
    case RigFamily::Kenwood:
      return {{{1, 99'999'999'999LL}}, 1, false};  // eleven digits of hertz
    case RigFamily::Ft2000:
      return {{{1, 99'999'999LL}}, 1, false};  // eight digits
    case RigFamily::Icom:
      return {{{1, 9'999'999'999LL}}, 1, false};  // five BCD bytes
    case RigFamily::Yaesu:
      return {{{10, 999'999'990LL}}, 10, false};  // four BCD bytes of 10 Hz
    case RigFamily::None:
      break;
  }
  return {};
}

std::string Refused(const std::string& channel, const std::string& why) {
  return "Channel " + channel + ": " + why + "; the channel was not written.";
}

}  // namespace

Coverage CoverageOf(std::string_view modelCode) {
  for (const ModelRow& row : ModelTable())
    if (modelCode == row.code) return {row.ranges, row.stepHz, true};
  return WireForm(modelCode);
}

std::string DescribeRanges(const Coverage& coverage) {
  std::string text;
  for (const FreqRange& r : coverage.ranges)
    text += (text.empty() ? "" : ", ") + FreqText(r.low) + "-" + FreqText(r.high);
  return text;
}

bool Covers(const Coverage& coverage, long long hertz) {
  for (const FreqRange& r : coverage.ranges)
    if (hertz >= r.low && hertz <= r.high) return true;
  return false;
}

RowFreq CheckRowFreq(const std::string& channel, std::string_view text,
                     std::string_view modelCode) {
  RowFreq out;
  const FreqReading reading = ReadFreq(text);
  const std::string shown = Trim(text);
  switch (reading.kind) {
    case FreqReading::Kind::Empty:
      out.empty = true;
      return out;
    case FreqReading::Kind::Malformed:
      out.refusal = Refused(channel, "\"" + shown +
                                         "\" is not a frequency (kHz as 14250 or 14250.5, MHz as "
                                         "14.25 or 14.250.000)");
      return out;
    case FreqReading::Kind::Hertz:
      break;
  }
  const Coverage coverage = CoverageOf(modelCode);
  const long long hertz = reading.hertz / coverage.stepHz * coverage.stepHz;
  if (reading.asMhz > 0 && Covers(coverage, reading.asMhz)) {
    out.refusal = Refused(channel, "\"" + shown + "\" can mean " + FreqText(reading.hertz) +
                                       " or " + FreqText(reading.asMhz) +
                                       " on this rig; write it in one of those forms");
    return out;
  }
  if (!Covers(coverage, hertz)) {
    const std::string rig = coverage.known ? "the " + std::string(modelCode) : "this rig";
    const std::string meant = FreqText(reading.hertz);
    out.refusal =
        Refused(channel, shown + (shown == meant ? "" : " (" + meant + ")") + " is outside what " +
                             rig + " can store (" + DescribeRanges(coverage) + ")");
    return out;
  }
  out.hertz = hertz;
  return out;
}

}  // namespace varnek
