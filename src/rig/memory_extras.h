#pragma once
// A row's kept fields in the words other programs' channel lists use: the
// tone or tone squelch, the repeater shift and its offset, and whether scans
// skip the channel. Each ASCII model keeps them in its own record layout
// (tone numbers, DCS indexes, shift codes); this turns one into the other,
// and says what a layout holds that the words cannot (and the reverse).
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/kept_fields.h"

namespace varnek {

struct MemoryExtras {
  enum class Squelch { Off, Tone, Tsql, Dtcs };
  Squelch squelch = Squelch::Off;
  // Tenths of a hertz (885 is 88.5 Hz); 0 when the record names none.
  int toneDeciHz = 0;   // sent with the transmission (Tone)
  int ctcssDeciHz = 0;  // opens the squelch and is sent (Tsql)
  int dtcsCode = 0;     // the code's octal digits as written: 23 for "023"
  char duplex = 0;      // 0 simplex, '+' or '-'
  long long offsetHz = 0;
  bool skip = false;    // locked out of scans

  bool operator==(const MemoryExtras&) const = default;
  bool Plain() const { return *this == MemoryExtras{}; }
};

// Whether `modelCode` has a record layout these words map to.
bool HasExtras(std::string_view modelCode);

// The kept fields as words; nullopt when they come from no such model or do
// not fit its layout. What the record holds beyond the words ("reverse",
// "step 03", "clarifier") goes to `notCarried`.
std::optional<MemoryExtras> ExtrasOf(const KeptFields& kept, std::vector<std::string>* notCarried);

// Kept fields for `modelCode` that say `extras`, with the model's defaults
// everywhere else; what the layout cannot hold goes to `notHeld` ("the
// TS-570 keeps no shift"). Empty fields when the model has no such layout.
KeptFields KeptFor(const MemoryExtras& extras, std::string_view modelCode,
                   std::vector<std::string>& notHeld);

// "88.5" for 885.
std::string DeciHzText(int deciHz);
// A DCS code as written: "023" for 23.
std::string DtcsText(int code);

}  // namespace varnek
