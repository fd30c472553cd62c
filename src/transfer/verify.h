#pragma once
// The read-back after a save: what a rig holds of a row it was sent, and
// how the row and the rig's answer differ. Pure functions; the save run
// reads the channels and shows the differences.
#include <string>
#include <string_view>

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

// The first line of the message listing the differences.
inline constexpr const char* kVerifyHeading =
    "Verify after write: the rig does not hold what was written:";

}  // namespace varnek
