#include "terminal/samples.h"

#include <cstdio>

#include "base/text.h"
#include "rig/family.h"
#include "rig/freq.h"
#include "rig/modes.h"

namespace varnek {
namespace {

enum class Column { None, Kenwood, Ft2000, Yaesu, Icom };

Column ColumnOf(const std::string& code) {
  if (StartsWith(code, "TS")) return Column::Kenwood;
  if (StartsWith(code, "FT-2")) return Column::Ft2000;
  if (StartsWith(code, "FT")) return Column::Yaesu;
  if (StartsWith(code, "IC")) return Column::Icom;
  return Column::None;
}

bool UsesChannel(Sample s, Column c) {
  switch (s) {
    case Sample::Channel:
    case Sample::MemSave:
      return c != Column::None;
    case Sample::MemClear:
      return c != Column::None && c != Column::Ft2000;
    case Sample::ChanRecall:
      return c != Column::None && c != Column::Icom;
    case Sample::Memory:
      return c == Column::Yaesu;
    default:
      return false;
  }
}

}  // namespace

std::vector<std::string> SampleCommand(Sample sample, const std::string& code,
                                       const SampleFields& f) {
  const Column col = ColumnOf(code);
  if (UsesChannel(sample, col) && f.channel.empty()) return {};
  const std::string nn = f.channel.size() == 1 ? "0" + f.channel : f.channel;
  const std::string& ch = f.channel;
  auto hh = [&] { return HexByte(static_cast<unsigned>(StrToInt(f.channel))); };
  std::string text;
  switch (sample) {
    case Sample::Status:
      if (col == Column::Kenwood || col == Column::Ft2000) text = "FR;FA;MD0;";
      if (col == Column::Yaesu) text = "00 00 00 02 10";
      if (col == Column::Icom) return {"FE FE 00 E0 03 FD", "FE FE 00 E0 04 FD"};
      break;
    case Sample::Freq:
      if (f.freq.empty()) {
        if (col == Column::Kenwood) text = "FA00014267000;";
        if (col == Column::Ft2000) text = "FA14267000;";
        if (col == Column::Yaesu) text = "00 67 42 01 0A";
        if (col == Column::Icom) text = "FE FE 00 E0 05 00 70 26 14 00 FD";
      } else {
        // A typed text that is no frequency gives no sample.
        const std::optional<long long> hz = FreqHertz(f.freq);
        if (!hz) return {};
        if (col == Column::Kenwood || col == Column::Ft2000) text = KenwoodFreqDigits(*hz, code);
        if (col == Column::Yaesu)
          text = (YaesuVariantOf(code) != YaesuVariant::None ? YaesuFreqBytes(*hz) : "") + " 0A";
        if (col == Column::Icom && code == "IC-CI-V") text = IcomFreqBytes(*hz);
      }
      break;
    case Sample::Mode:
      if (f.mode.empty()) {
        if (col == Column::Kenwood || col == Column::Ft2000) text = "MD3;";
        if (col == Column::Yaesu) text = "00 00 00 01 0C";
        if (col == Column::Icom) text = "FE FE 00 E0 06 01 FD";
      } else {
        if (col == Column::Kenwood || col == Column::Ft2000) text = KenwoodModeCode(f.mode, code);
        if (col == Column::Yaesu) text = "00 00 00 " + YaesuModeCode(f.mode, true, code) + " 0C";
        if (col == Column::Icom) text = "FE FE 00 E0 06 " + IcomModeCode(f.mode, code) + " FD";
      }
      break;
    case Sample::Channel:
      if (col == Column::Kenwood) text = "MR0 " + nn + ";";
      if (col == Column::Ft2000) text = "MR0" + nn + ";MC0" + nn + ";";
      if (col == Column::Yaesu) text = hh() + " 00 00 04 10";
      if (col == Column::Icom) text = "FE FE 00 E0 08 00 " + nn + " FD";
      break;
    case Sample::Memory:
      if (col == Column::Kenwood || col == Column::Ft2000) text = "VM;";
      if (col == Column::Yaesu) text = "00 00 00 " + hh() + " 02";
      break;
    case Sample::MemSave:
      if (col == Column::Kenwood) text = "MW0 0" + ch + "00014267000" + "2" + "0000 ;";
      if (col == Column::Ft2000) text = "MW0" + ch + "14267000" + "+000000200000;";
      if (col == Column::Yaesu) text = "00 00 00 " + hh() + " 03";
      if (col == Column::Icom) text = "FE FE 00 E0 08 00 " + ch + " FD";
      break;
    case Sample::MemClear:
      if (col == Column::Kenwood) text = "MW0 0" + ch + "00000000000" + "0" + "0000 ;";
      if (col == Column::Ft2000) text = "MW000000000000000+00000000;";
      if (col == Column::Yaesu) text = "00 00 01 " + hh() + " 03";
      if (col == Column::Icom) text = "FE FE 00 E0 08 00 " + ch + " FD";
      break;
    case Sample::ChanRecall:
      if (col == Column::Kenwood) text = "MC" + nn + ";";
      if (col == Column::Ft2000) text = "MC0" + nn + ";";
      if (col == Column::Yaesu) text = "00 00 02 " + hh() + " 03";
      break;
    case Sample::Pacing:
      if (col == Column::Ft2000 || col == Column::Yaesu) text = "00 00 00 " + f.mode + " 0E";
      break;
  }
  return {text};
}

}  // namespace varnek
