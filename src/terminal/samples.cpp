#include "terminal/samples.h"

#include <cstdio>

#include "base/text.h"
#include "rig/family.h"
#include "rig/freq.h"
#include "rig/modes.h"

namespace varnek {
namespace {

bool UsesChannel(Sample s, RigFamily c) {
  switch (s) {
    case Sample::Channel:
    case Sample::MemSave:
      return c != RigFamily::None;
    case Sample::MemClear:
      return c != RigFamily::None && c != RigFamily::Ft2000;
    case Sample::ChanRecall:
      return c != RigFamily::None && c != RigFamily::Icom;
    case Sample::Memory:
      return c == RigFamily::Yaesu;
    default:
      return false;
  }
}

}  // namespace

std::vector<std::string> SampleCommand(Sample sample, const std::string& code,
                                       const SampleFields& f) {
  const RigFamily col = FamilyOf(code);
  if (UsesChannel(sample, col) && f.channel.empty()) return {};
  const std::string nn = f.channel.size() == 1 ? "0" + f.channel : f.channel;
  const std::string& ch = f.channel;
  auto hh = [&] { return HexByte(static_cast<unsigned>(StrToInt(f.channel))); };
  std::string text;
  switch (sample) {
    case Sample::Status:
      if (col == RigFamily::Kenwood || col == RigFamily::Ft2000) text = "FR;FA;MD0;";
      if (col == RigFamily::Yaesu) text = "00 00 00 02 10";
      if (col == RigFamily::Icom) return {"FE FE 00 E0 03 FD", "FE FE 00 E0 04 FD"};
      break;
    case Sample::Freq:
      if (f.freq.empty()) {
        if (col == RigFamily::Kenwood) text = "FA00014267000;";
        if (col == RigFamily::Ft2000) text = "FA14267000;";
        if (col == RigFamily::Yaesu) text = "00 67 42 01 0A";
        if (col == RigFamily::Icom) text = "FE FE 00 E0 05 00 70 26 14 00 FD";
      } else {
        // A typed text that is no frequency gives no sample.
        const std::optional<long long> hz = FreqHertz(f.freq);
        if (!hz) return {};
        if (col == RigFamily::Kenwood || col == RigFamily::Ft2000) text = KenwoodFreqDigits(*hz, code);
        if (col == RigFamily::Yaesu)
          text = (YaesuVariantOf(code) != YaesuVariant::None ? YaesuFreqBytes(*hz) : "") + " 0A";
        if (col == RigFamily::Icom && IsGenericCiv(code)) text = IcomFreqBytes(*hz);
      }
      break;
    case Sample::Mode:
      if (f.mode.empty()) {
        if (col == RigFamily::Kenwood || col == RigFamily::Ft2000) text = "MD3;";
        if (col == RigFamily::Yaesu) text = "00 00 00 01 0C";
        if (col == RigFamily::Icom) text = "FE FE 00 E0 06 01 FD";
      } else {
        if (col == RigFamily::Kenwood || col == RigFamily::Ft2000) text = KenwoodModeCode(f.mode, code);
        if (col == RigFamily::Yaesu) text = "00 00 00 " + YaesuModeCode(f.mode, true, code) + " 0C";
        if (col == RigFamily::Icom) text = "FE FE 00 E0 06 " + IcomModeCode(f.mode, code) + " FD";
      }
      break;
    case Sample::Channel:
      if (col == RigFamily::Kenwood) text = "MR0 " + nn + ";";
      if (col == RigFamily::Ft2000) text = "MR0" + nn + ";MC0" + nn + ";";
      if (col == RigFamily::Yaesu) text = hh() + " 00 00 04 10";
      if (col == RigFamily::Icom) text = "FE FE 00 E0 08 00 " + nn + " FD";
      break;
    case Sample::Memory:
      if (col == RigFamily::Kenwood || col == RigFamily::Ft2000) text = "VM;";
      if (col == RigFamily::Yaesu) text = "00 00 00 " + hh() + " 02";
      break;
    case Sample::MemSave:
      if (col == RigFamily::Kenwood) text = "MW0 0" + ch + "00014267000" + "2" + "0000 ;";
      if (col == RigFamily::Ft2000) text = "MW0" + ch + "14267000" + "+000000200000;";
      if (col == RigFamily::Yaesu) text = "00 00 00 " + hh() + " 03";
      if (col == RigFamily::Icom) text = "FE FE 00 E0 08 00 " + ch + " FD";
      break;
    case Sample::MemClear:
      if (col == RigFamily::Kenwood) text = "MW0 0" + ch + "00000000000" + "0" + "0000 ;";
      if (col == RigFamily::Ft2000) text = "MW000000000000000+00000000;";
      if (col == RigFamily::Yaesu) text = "00 00 01 " + hh() + " 03";
      if (col == RigFamily::Icom) text = "FE FE 00 E0 08 00 " + ch + " FD";
      break;
    case Sample::ChanRecall:
      if (col == RigFamily::Kenwood) text = "MC" + nn + ";";
      if (col == RigFamily::Ft2000) text = "MC0" + nn + ";";
      if (col == RigFamily::Yaesu) text = "00 00 02 " + hh() + " 03";
      break;
    case Sample::Pacing:
      if (col == RigFamily::Ft2000 || col == RigFamily::Yaesu) text = "00 00 00 " + f.mode + " 0E";
      break;
  }
  return {text};
}

}  // namespace varnek
