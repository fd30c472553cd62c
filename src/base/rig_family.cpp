#include "base/rig_family.h"

#include "base/text.h"

namespace varnek {

RigFamily FamilyOf(std::string_view code) {
  if (StartsWith(code, "TS")) return RigFamily::Kenwood;
  if (StartsWith(code, "FT-2")) return RigFamily::Ft2000;
  if (StartsWith(code, "IC")) return RigFamily::Icom;
  if (StartsWith(code, "FT")) return RigFamily::Yaesu;
  return RigFamily::None;
}

CommandForm SingleCommandFormOf(std::string_view code) {
  if (StartsWith(code, "IC")) return CommandForm::Icom;
  if (StartsWith(code, "FT-1") || StartsWith(code, "FT-8") || StartsWith(code, "FT-9"))
    return CommandForm::Yaesu;
  return CommandForm::Ascii;
}

YaesuVariant YaesuVariantOf(std::string_view code) {
  if (FamilyOf(code) != RigFamily::Yaesu) return YaesuVariant::None;
  if (StartsWith(code, "FT-1")) return YaesuVariant::Ft1000;
  if (StartsWith(code, "FT-9")) return YaesuVariant::Ft920;
  return YaesuVariant::None;
}

RecordLayout RecordLayoutOf(std::string_view code) {
  switch (FamilyOf(code)) {
    case RigFamily::Kenwood:
      if (StartsWith(code, "TS-2")) return RecordLayout::Ts2000;
      if (StartsWith(code, "TS-590")) return RecordLayout::Ts590;
      if (StartsWith(code, "TS-480")) return RecordLayout::Ts480;
      return RecordLayout::Ts570;
    case RigFamily::Ft2000:
      return RecordLayout::Ft2000;
    case RigFamily::Icom:
      return code == "IC-7300" ? RecordLayout::Ic7300 : RecordLayout::None;
    default:
      return RecordLayout::None;
  }
}

bool HasChannel00(std::string_view code) {
  return FamilyOf(code) == RigFamily::Kenwood;
}

bool HasScanEdgeChannels(std::string_view code) {
  return StartsWith(code, "TS-570") || StartsWith(code, "TS-870");
}

bool TakesFourFreqBytes(std::string_view code) {
  return code == "IC-735";
}

bool IsGenericCiv(std::string_view code) {
  return code == "IC-CI-V";
}

std::string_view FactoryCivAddress(std::string_view code) {
  return ReadsMemoryContents(code) ? "94" : "";
}

}  // namespace varnek
