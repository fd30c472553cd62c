#pragma once
// The read-back after a save: what a rig holds of a row it was sent, and
// how the row and the rig's answer differ. Pure functions; the save run
// reads the channels and shows the differences.
#include <string>
#include <string_view>
#include <vector>

#include "base/kept_fields.h"
#include "rig/channel_answer.h"

namespace varnek {

// The mode name a read of the rig gives for a row written with `mode`: the
// rigs answer in their own terms ("SSB" goes out as USB; the five-byte
// Yaesus' records know only LSB, USB, CW, AM, FM and one data class).
std::string HeldMode(std::string_view mode, std::string_view modelCode);

// Empty when the rig's answer `rig` holds the row (`freq`, `mode`) as far as
// the rig can hold it: frequency to the rig's step (10 Hz on the
// five-byte Yaesus and the IC-735) and the mode as HeldMode says; an
// empty row must read back empty. Otherwise one line naming `channel`, what
// the table has and what the rig holds.
std::string VerifyDifference(const std::string& channel, const std::string& freq,
                             const std::string& mode, const ChannelAnswer& rig,
                             const std::string& modelCode);

// What the rig holds in a channel, as far as the program has seen it (a
// load, a compare, a backup, a read-back, a write the rig confirmed).
struct HeldChannel {
  bool empty = true;
  std::string freq, mode;
  bool hasName = false;  // the model stores names, and this is the rig's
  std::string name;
  // The record's other fields; kept.tx the transmit side where read.
  KeptFields kept;
  bool operator==(const HeldChannel&) const = default;
};
// From a look-only read's answer; `tx` the transmit side's answer where it
// was read (a TS rig's MR1).
HeldChannel HeldOf(const ChannelAnswer& rig, const ChannelAnswer* tx = nullptr);
// A row as the rig holds it once written (a write the rig confirmed).
HeldChannel HeldOfRow(const std::string& freq, const std::string& mode, const std::string& name,
                      const KeptFields& kept, const std::string& modelCode);

// The fields in which a table row differs from what the rig holds, by the
// read-back's rules: the frequency to the model's step, the mode as the rig
// keeps it, the name where the model stores one (as it stores it: trimmed,
// its length), the kept fields and the transmit side only where both sides
// have them. "frequency", "mode", "name", "kept fields", "transmit side";
// "empty in the rig" or "empty in the table" when one side is empty. None:
// the rig holds the row.
std::vector<std::string> RowDifferences(const std::string& freq, const std::string& mode,
                                        const std::string& name, const KeptFields& kept,
                                        const HeldChannel& rig, const std::string& modelCode);
// What the rig holds, for a row's hint and the compare's report:
// "14.250.000 USB 'DX' · tone 88.5 Hz", or "empty".
std::string HeldText(const HeldChannel& rig);

// The first line of the message listing the differences.
inline constexpr const char* kVerifyHeading =
    "Verify after write: the rig does not hold what was written:";

}  // namespace varnek
