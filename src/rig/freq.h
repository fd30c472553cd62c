#pragma once
// Frequency texts: the band plan that proposes a mode, the normal form
// MHz.kHz.Hz every writer starts from, the rig-side digit and BCD forms, and
// the display forms the answer parsers write into the table. Pure text
// functions; nothing here depends on the C locale.
#include <optional>
#include <string>
#include <string_view>

namespace varnek {

// The band-plan mode of a frequency text (kHz, kHz with fraction, or
// MHz.kHz.Hz; commas count as points). Empty for an empty text, "Error" when
// the kHz number is not an integer, "?" outside the plan. "DIGI" is named by
// family: FSK on Kenwood, RTTY on Icom and Yaesu. It keeps its own, older
// reading of the text ("14.25" proposes the mode of 14 kHz); a person
// overwrites what it proposes.
std::string BandPlanMode(std::string_view freq, std::string_view modelCode);

// A frequency text as a person types it or a file holds it. After trimming,
// with "," read as ".", it is exactly one of:
//   kHz, no separator            3699, 75
//   kHz with a fraction          14250.5, 3699.0, 0999.5  (four or more digits
//                                before the point: the leading zero is what
//                                makes 0999.5 kHz)
//   MHz with a fraction          14.25, 7.05, 144.8, 7.0505  (one to three
//                                digits before the point)
//   MHz.kHz.Hz                   3.699.000, 0.999.000, 1296.200.000  (the kHz
//                                group has exactly three digits)
// Anything else is malformed: signs, inner blanks, letters, units, more
// points, a short kHz group, non-zero digits finer than 1 Hz. Trailing zeros
// beyond 1 Hz are taken.
struct FreqReading {
  enum class Kind { Empty, Hertz, Malformed };
  Kind kind = Kind::Empty;
  long long hertz = 0;
  // The other reading of a kHz-with-fraction text, its digits before the
  // point taken as MHz ("1296.2": 1296.2 MHz); 0 for the other notations.
  long long asMhz = 0;
};
FreqReading ReadFreq(std::string_view text);
// The hertz of a well-formed, non-empty text.
std::optional<long long> FreqHertz(std::string_view text);
// The largest frequency a text may name (999 GHz): far beyond any rig, and
// safe from overflow in every form below.
inline constexpr long long kMaxFreqHertz = 999'999'999'999LL;

// MHz.kHz.Hz with at least three MHz digits ("014.250.000"), the form every
// writer starts from; empty for a text that is no frequency.
std::string NormalizeFreq(std::string_view freq);
// MHz.kHz.Hz without leading zeros, but one "0" below 1 MHz ("0.999.000"),
// so the text reads back as the same hertz.
std::string FreqText(long long hertz);
// Eleven digits of hertz (Kenwood) or eight (model codes "FT-2…"); empty
// when the frequency does not fit.
std::string KenwoodFreqDigits(long long hertz, std::string_view modelCode);
// `bytes` packed-BCD bytes of hertz as hex text, least significant first
// (CI-V: five; the IC-735 four, which end at 10 MHz x 10); empty when the
// frequency does not fit.
std::string IcomFreqBytes(long long hertz, int bytes = 5);
// Four packed-BCD bytes of 10 Hz as hex text, least significant first (the
// five-byte Yaesus); the 1 Hz digit is dropped; empty from 1000 MHz up.
std::string YaesuFreqBytes(long long hertz);

// What the answer parsers store: FreqText padded with blanks by the length
// rule of each family.
std::string AsciiFreqDisplay(long long hertz);
// Ten hex digits of CI-V frequency bytes as received (least significant byte first).
std::string IcomFreqDisplay(std::string_view digits);
// Nine decimal digits, most significant first.
std::string YaesuFreqDisplay(std::string_view digits);


}  // namespace varnek
