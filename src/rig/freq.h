#pragma once
// Frequency texts: the band plan that proposes a mode, the normal form
// MHz.kHz.Hz every writer starts from, the rig-side digit and BCD forms, and
// the display forms the answer parsers write into the table. Pure text
// functions; nothing here depends on the C locale.
#include <string>
#include <string_view>

namespace varnek {

// The band-plan mode of a frequency text (kHz, kHz with fraction, or
// MHz.kHz.Hz; commas count as points). Empty for an empty text, "Error" when
// the kHz number is not an integer, "?" outside the plan. "DIGI" is named by
// family: FSK on Kenwood, RTTY on Icom and Yaesu.
std::string BandPlanMode(std::string_view freq, std::string_view modelCode);
// 3699, 3699.0 and 3.699.000 all give 003.699.000; 144.800 gives 144.800.000.
std::string NormalizeFreq(std::string_view freq);
// Eleven digits of hertz (Kenwood) or eight (model codes "FT-2…").
std::string KenwoodFreqDigits(std::string_view freq, std::string_view modelCode);
// Five packed-BCD bytes as hex text, least significant first, for CI-V
// ("IC-CI-V" only); empty for other codes and for 10 GHz and up.
std::string IcomFreqBytes(std::string_view freq, std::string_view modelCode);
// Four packed-BCD bytes of 10 Hz as hex text for the Yaesu five-byte
// variants "FT-1" and "FT-9"; empty otherwise and from 1000 MHz up, which
// eight digits of 10 Hz cannot hold.
std::string YaesuFreqBytes(std::string_view freq, std::string_view modelCode);

// What the answer parsers store: MHz.kHz.Hz without leading zeros, padded
// with blanks by the length rule of each family.
std::string AsciiFreqDisplay(long long hertz);
// Ten hex digits of CI-V frequency bytes as received (least significant byte first).
std::string IcomFreqDisplay(std::string_view digits);
// Nine decimal digits, most significant first.
std::string YaesuFreqDisplay(std::string_view digits);

bool IsAllDigits(std::string_view s);

}  // namespace varnek
