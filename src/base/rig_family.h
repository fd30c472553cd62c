#pragma once
// Which command set, dialect and layout a model code stands for. Every rule
// that looks at the model code's letters lives here, so a new rig or a new
// per-family behaviour is one edit; the flows ask these rules (or the
// command set chosen by them) and never test the code themselves. The code is
// decided afresh for each operation, so a rig change takes effect with the
// next one.
#include <string_view>

namespace varnek {

enum class RigFamily {
  None,     // nothing is sent, nothing received is taken
  Kenwood,  // ASCII, Kenwood dialect ("TS…")
  Ft2000,   // ASCII, FT-2000 dialect ("FT-2…")
  Icom,     // CI-V ("IC…")
  Yaesu,    // five-byte CAT (other "FT…")
};

// Tested in order: "TS", "FT-2", "IC", "FT"; case matters ("ic-706" is no rig).
RigFamily FamilyOf(std::string_view modelCode);
inline bool IsAscii(RigFamily f) {
  return f == RigFamily::Kenwood || f == RigFamily::Ft2000;
}

// The VFO-A and memory-mode commands choose their form by their own rule:
// "IC" gives CI-V, "FT-1"/"FT-8"/"FT-9" five-byte, everything else ASCII.
enum class CommandForm { Ascii, Icom, Yaesu };
CommandForm SingleCommandFormOf(std::string_view modelCode);

// Record and frequency layouts inside the five-byte family.
enum class YaesuVariant { None, Ft1000, Ft920 };
YaesuVariant YaesuVariantOf(std::string_view modelCode);

// Which memory record a model code's rig keeps, as the record schema
// (src/rig/record_schema.h) describes it. Tested in order: "TS-2" the
// TS-2000's, "TS-590" the TS-590S's and TS-590SG's, "TS-480" the TS-480's,
// any other "TS" the TS-570's (the TS-870S keeps the same), "FT-2" the
// FT-2000's, "IC-7300" the IC-7300's memory-contents record; the rest keep
// nothing beyond frequency and mode.
enum class RecordLayout { None, Ts570, Ts2000, Ts590, Ts480, Ft2000, Ic7300 };
RecordLayout RecordLayoutOf(std::string_view modelCode);
// The TS-2000's layout ("TS-2…"): names, the "N;" empty answer, the read
// with a blank hundreds digit.
inline bool IsTs2000(std::string_view modelCode) {
  return RecordLayoutOf(modelCode) == RecordLayout::Ts2000;
}
// Channel 00 exists only on the Kenwoods; the other rigs count from 01.
bool HasChannel00(std::string_view modelCode);
// The TS-570 and TS-870S keep their program-scan edges in channels 90-99:
// those rows pair up as scan ranges rather than hold memories, so an insert
// or delete among 00-89 must not push a memory into them.
bool HasScanEdgeChannels(std::string_view modelCode);
// The IC-735 takes four frequency bytes; every other CI-V code five.
bool TakesFourFreqBytes(std::string_view modelCode);
// The generic CI-V entry, which names no particular rig.
bool IsGenericCiv(std::string_view modelCode);
// The IC-7300 reads and writes whole memory channels with its
// memory-contents command (1A 00) instead of going through the VFO.
inline bool ReadsMemoryContents(std::string_view modelCode) {
  return RecordLayoutOf(modelCode) == RecordLayout::Ic7300;
}
// The CI-V address a model leaves the factory with, for an empty address
// field; empty where the model has none of its own.
std::string_view FactoryCivAddress(std::string_view modelCode);

}  // namespace varnek
