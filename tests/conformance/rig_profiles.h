#pragma once
// What each simulated rig is expected to hold, and every way in which a
// rig differs from the others. The conformance cases are the same for all
// rigs; they learn the exceptions only from the table of differences below,
// so a difference that is not listed there is a failing test.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <ostream>
#include <string>
#include <vector>

namespace varnek::conformance {

// One band of the band plan, edges in hertz (both inclusive).
struct Band {
  const char* name;
  std::int64_t low, high;
};

inline const std::vector<Band>& BandPlan() {
  static const std::vector<Band> bands = {
      {"160m", 1810000, 2000000},       {"80m", 3500000, 3800000},
      {"40m", 7000000, 7200000},        {"30m", 10100000, 10150000},
      {"20m", 14000000, 14350000},      {"17m", 18068000, 18168000},
      {"15m", 21000000, 21450000},      {"12m", 24890000, 24990000},
      {"10m", 28000000, 29700000},      {"6m", 50000000, 52000000},
      {"2m", 144000000, 146000000},     {"70cm", 430000000, 440000000},
      {"23cm", 1240000000, 1300000000},
  };
  return bands;
}

// Every mode name the table can hold (the band plan proposes SSB and the
// family tables add the rest).
inline const std::vector<std::string>& TableModes() {
  static const std::vector<std::string> modes = {
      "LSB",  "USB",    "SSB",  "CW",  "CW-R",  "AM",    "FM",     "FSK",  "FSK-R",
      "RTTY", "RTTY-R", "DIGI", "PKT", "PKT-L", "PKT-U", "PKT-FM", "FM-N",
  };
  return modes;
}

enum class Family { Kenwood, Ft2000, Icom, Yaesu5 };

struct RigProfile {
  std::string id;         // test name suffix
  std::string selection;  // the rig box's text, also the simulator's rig
  std::string model;      // the model code the program derives from it
  Family family;
  bool echo = true;
  int address = 0;
  // The table rows the rig has memories for.
  int first = 0, last = 99;
  // Pacing that lets every answer arrive before the next request.
  int channelInterval = 25, commandInterval = 5, clusterDelayMs = 15;
  // Bands of the plan the real rig covers.
  std::vector<std::string> bands;
  // "Wait for answers": the intervals are then only the longest wait for
  // an answer.
  bool waitForAnswers = false;
};

inline void PrintTo(const RigProfile& p, std::ostream* os) {
  *os << p.id;
}

// The reduced set for the sanitizer builds: one rig of each family (and
// the TS-480 for the newer Kenwoods' three-digit channels and unpadded
// names; the TS-590s take the same path) and a few channels. Chosen by the environment so the same binary serves both.
inline bool Reduced() {
  const char* v = std::getenv("VARNEK_REDUCED");
  return v && *v && std::string(v) != "0";
}

inline std::vector<RigProfile> AllProfiles() {
  const std::vector<std::string> hf = {"160m", "80m", "40m", "30m", "20m",
                                       "17m",  "15m", "12m", "10m"};
  std::vector<std::string> hf6 = hf;
  hf6.push_back("6m");
  std::vector<std::string> all = hf6;
  for (const char* b : {"2m", "70cm", "23cm"})
    all.push_back(b);
  // The five-byte Yaesus pace their record byte by byte (18 ms a byte after
  // the pacing command): the cluster must wait out the gaps, and a channel
  // takes about 300 ms to arrive. A classic CI-V read gives the mode answer
  // two channel intervals (a reset sets 300 ms); at 20 ms a loaded two-core
  // runner now and then delivered it after the next channel had begun, and
  // the row kept the band plan's mode.
  return {
      {"TS570", "Kenwood TS-570", "TS-570", Family::Kenwood, true, 0, 0, 99, 40, 10, 5, hf6},
      {"TS870S", "Kenwood TS-870S", "TS-870S", Family::Kenwood, true, 0, 0, 99, 40, 10, 5, hf},
      {"TS2000", "Kenwood TS-2000", "TS-2000", Family::Kenwood, true, 0, 0, 99, 70, 10, 5, all},
      {"FT2000", "Yaesu FT-2000", "FT-2000", Family::Ft2000, true, 0, 1, 99, 80, 10, 5, hf6},
      {"ICCIV", "Icom IC-CI-V", "IC-CI-V", Family::Icom, true, 0x00, 1, 99, 40, 5, 15, all},
      {"ICCIVNoEcho", "Icom IC-CI-V", "IC-CI-V", Family::Icom, false, 0x5C, 1, 99, 40, 5, 15, all},
      {"IC735", "Icom IC-735", "IC-735", Family::Icom, true, 0x04, 1, 99, 40, 5, 15, hf},
      {"FT1000", "Yaesu FT-1000", "FT-1000", Family::Yaesu5, true, 0, 1, 99, 400, 20, 40, hf},
      {"FT920", "Yaesu FT-920", "FT-920", Family::Yaesu5, true, 0, 1, 99, 400, 20, 40, hf6},
      {"TS590S", "Kenwood TS-590S", "TS-590S", Family::Kenwood, true, 0, 0, 99, 70, 10, 5, hf6},
      {"TS590SG", "Kenwood TS-590SG", "TS-590SG", Family::Kenwood, true, 0, 0, 99, 70, 10, 5, hf6},
      {"TS480", "Kenwood TS-480", "TS-480", Family::Kenwood, true, 0, 0, 99, 70, 10, 5, hf6},
  };
}

inline std::vector<RigProfile> Profiles() {
  std::vector<RigProfile> all = AllProfiles();
  if (!Reduced()) return all;
  std::vector<RigProfile> one;
  for (const char* id : {"TS570", "FT2000", "ICCIV", "FT920", "TS480"})
    for (auto p : all)
      if (p.id == id) {
        // A classic run pauses a fixed time for each answer. A sanitizer
        // build runs the program (and the simulator in it) several times
        // slower, and the CI-V rig's short interval left a late mode answer
        // for the next channel's transcript: the pauses grow with the build.
        if (p.channelInterval < 100) p.channelInterval *= 3;
        one.push_back(p);
      }
  return one;
}

// The same rigs with "Wait for answers" on. The channel interval is then
// only the time-out of one exchange, which a rig that answers never waits
// out: a generous one keeps a slow (sanitizer) build from taking a late
// answer for none.
inline std::vector<RigProfile> AnswerPacedProfiles() {
  std::vector<RigProfile> paced = Profiles();
  for (auto& p : paced) {
    p.waitForAnswers = true;
    p.channelInterval = std::max(p.channelInterval, 1000);
  }
  return paced;
}

// Channels of a full-range write: every channel the rig has, except where a
// channel is slow both ways. The five-byte Yaesus trickle their record out
// (about 0.7 s a channel each way); the receive path pauses for every CI-V
// frame and echo (about 0.35 s a channel), so the full range runs on the
// echoing IC-CI-V only, while the other two CI-V profiles differ from it
// just in the echo and the frequency width. There a stretch from the
// bottom, the middle and the top of the range stands for the whole.
inline std::vector<int> FullRange(const RigProfile& p) {
  std::vector<int> channels;
  if (Reduced()) {
    for (int n : {p.first, p.first + 1, 50, p.last - 1, p.last})
      channels.push_back(n);
    return channels;
  }
  for (int n = p.first; n <= p.last; ++n) {
    const bool slow = p.family == Family::Yaesu5 || p.id == "ICCIVNoEcho" || p.id == "IC735";
    if (!slow || n <= p.first + 2 || (n >= 49 && n <= 51) || n >= p.last - 2) channels.push_back(n);
  }
  return channels;
}

// --- the differences -------------------------------------------------------

enum class Kind {
  ModeReadsAs,      // `what` is written, the rig reports it back as `becomes`
  ModeRefused,      // the rig has no code for `what`: the write is refused
  BandRefused,      // band `what` is outside what the rig stores: the write is refused
  NameDropped,      // the rig keeps no memory names
  NameChanged,      // a name character or length the rig cannot hold
  NameRefused,      // a name with character `what` refuses the write
  EmptyRowRefused,  // a save of an empty row is refused instead of emptying the channel
  NoChannel,        // table row `what` is no memory of the rig
};

struct Difference {
  std::vector<std::string> rigs;  // profile ids
  Kind kind;
  std::string what, becomes;
  const char* reason;
};

inline const std::vector<Difference>& Differences() {
  static const std::vector<std::string> kenwood = {"TS570",  "TS870S",  "TS2000",
                                                   "TS590S", "TS590SG", "TS480"};
  static const std::vector<std::string> named = {"TS2000", "TS590S", "TS590SG", "TS480"};
  static const std::vector<std::string> icom = {"ICCIV", "ICCIVNoEcho", "IC735"};
  static const std::vector<std::string> yaesu = {"FT1000", "FT920"};
  static const std::vector<std::string> nameless = {"TS570",       "TS870S", "FT2000", "ICCIV",
                                                    "ICCIVNoEcho", "IC735",  "FT1000", "FT920"};
  static const std::vector<std::string> everyRig = {
      "TS570", "TS870S", "TS2000", "FT2000",  "ICCIV", "ICCIVNoEcho",
      "IC735", "FT1000", "FT920",  "TS590S", "TS590SG", "TS480"};
  static const std::vector<std::string> noRow00 = {"FT2000", "ICCIV",  "ICCIVNoEcho",
                                                   "IC735",  "FT1000", "FT920"};
  static const std::vector<Difference> d = {
      // SSB is what the band plan proposes on 2 m and up, where it means USB.
      {everyRig, Kind::ModeReadsAs, "SSB", "USB",
       "SSB is sent as USB, the convention above 10 MHz"},
      // Kenwood: one FSK code serves every data mode.
      {kenwood, Kind::ModeReadsAs, "DIGI", "FSK", "the rig's only data mode is FSK"},
      {kenwood, Kind::ModeReadsAs, "RTTY", "FSK", "the rig's only data mode is FSK"},
      {kenwood, Kind::ModeReadsAs, "PKT", "FSK", "the rig's only data mode is FSK"},
      {kenwood, Kind::ModeRefused, "RTTY-R", "", "reverse RTTY is FSK-R on a Kenwood"},
      {kenwood, Kind::ModeRefused, "PKT-L", "", "no packet modes on the Kenwood table"},
      {kenwood, Kind::ModeRefused, "PKT-U", "", "no packet modes on the Kenwood table"},
      {kenwood, Kind::ModeRefused, "PKT-FM", "", "no packet modes on the Kenwood table"},
      {kenwood, Kind::ModeRefused, "FM-N", "", "no narrow FM code on the Kenwood table"},
      // FT-2000: codes 6 and 9 are its RTTY-L/RTTY-U, named as Kenwood names them.
      {{"FT2000"}, Kind::ModeReadsAs, "DIGI", "FSK", "RTTY-L (code 6) is shown as FSK"},
      {{"FT2000"}, Kind::ModeReadsAs, "RTTY", "FSK", "RTTY-L (code 6) is shown as FSK"},
      {{"FT2000"}, Kind::ModeRefused, "PKT", "", "packet has three codes; plain PKT picks none"},
      {{"FT2000"}, Kind::ModeRefused, "RTTY-R", "", "RTTY-U is FSK-R (code 9) on this table"},
      // Icom: the CI-V mode byte has one RTTY for every data mode.
      {icom, Kind::ModeReadsAs, "FSK", "RTTY", "CI-V mode 04 is RTTY"},
      {icom, Kind::ModeReadsAs, "DIGI", "RTTY", "CI-V mode 04 is RTTY"},
      {icom, Kind::ModeReadsAs, "PKT", "RTTY", "CI-V mode 04 is RTTY"},
      {icom, Kind::ModeRefused, "FSK-R", "", "reverse RTTY is RTTY-R (08) on CI-V"},
      {icom, Kind::ModeRefused, "PKT-L", "", "no packet modes on CI-V"},
      {icom, Kind::ModeRefused, "PKT-U", "", "no packet modes on CI-V"},
      {icom, Kind::ModeRefused, "PKT-FM", "", "no packet modes on CI-V"},
      {icom, Kind::ModeRefused, "FM-N", "", "narrow FM is a filter, not a CI-V mode"},
      // FT-1000: the record folds the set-mode codes into seven modes.
      {{"FT1000"}, Kind::ModeReadsAs, "FSK", "DIGI", "RTTY-L comes back as record mode RTTY"},
      {{"FT1000"}, Kind::ModeReadsAs, "RTTY", "DIGI", "RTTY-L comes back as record mode RTTY"},
      {{"FT1000"}, Kind::ModeReadsAs, "PKT", "DIGI", "PKT-L comes back as record mode PKT"},
      {{"FT1000"}, Kind::ModeRefused, "CW-R", "", "set-mode 03 is narrow CW, not reverse"},
      {{"FT1000"}, Kind::ModeRefused, "FSK-R", "", "the writer has no reverse RTTY code"},
      {{"FT1000"}, Kind::ModeRefused, "RTTY-R", "", "the writer has no reverse RTTY code"},
      {{"FT1000"}, Kind::ModeRefused, "PKT-L", "", "only plain PKT is written"},
      {{"FT1000"}, Kind::ModeRefused, "PKT-U", "", "only plain PKT is written"},
      {{"FT1000"}, Kind::ModeRefused, "PKT-FM", "", "only plain PKT is written"},
      {{"FT1000"}, Kind::ModeRefused, "FM-N", "", "narrow FM is a filter here"},
      // FT-920: DATA-LSB/USB by the side of 10 MHz, and nothing else for data.
      {{"FT920"}, Kind::ModeReadsAs, "FSK", "DIGI", "the FT-920 has DATA modes only"},
      {{"FT920"}, Kind::ModeReadsAs, "RTTY", "DIGI", "the FT-920 has DATA modes only"},
      {{"FT920"}, Kind::ModeReadsAs, "PKT", "DIGI", "the FT-920 has DATA modes only"},
      {{"FT920"}, Kind::ModeRefused, "CW-R", "", "CW side follows 10 MHz, no reverse CW"},
      {{"FT920"}, Kind::ModeRefused, "FSK-R", "", "no reverse data mode"},
      {{"FT920"}, Kind::ModeRefused, "RTTY-R", "", "no reverse data mode"},
      {{"FT920"}, Kind::ModeRefused, "PKT-L", "", "no packet modes on the FT-920"},
      {{"FT920"}, Kind::ModeRefused, "PKT-U", "", "no packet modes on the FT-920"},
      {{"FT920"}, Kind::ModeRefused, "PKT-FM", "", "no packet modes on the FT-920"},
      {{"FT920"}, Kind::ModeRefused, "FM-N", "", "narrow FM is a filter here"},
      // Frequencies: outside what the model can store, refused before
      // anything is sent for the channel.
      {{"TS870S", "IC735", "FT1000"}, Kind::BandRefused, "6m", "", "HF-only rig"},
      {{"TS570", "TS870S", "FT2000", "IC735", "FT1000", "FT920", "TS590S", "TS590SG", "TS480"},
       Kind::BandRefused,
       "2m",
       "",
       "HF (and 6 m) rig"},
      {{"TS570", "TS870S", "FT2000", "IC735", "FT1000", "FT920", "TS590S", "TS590SG", "TS480"},
       Kind::BandRefused,
       "70cm",
       "",
       "HF (and 6 m) rig"},
      {{"TS570", "TS870S", "FT2000", "IC735", "FT1000", "FT920", "TS590S", "TS590SG", "TS480"},
       Kind::BandRefused,
       "23cm",
       "",
       "HF (and 6 m) rig"},
      // Names.
      {nameless, Kind::NameDropped, "", "", "only the TS-2000, TS-590 and TS-480 memories hold a name"},
      {named, Kind::NameRefused, ";", "", "a \";\" would end the command inside the name"},
      {named, Kind::NameRefused, "\xE9", "", "the memory holds printable ASCII only"},
      {named, Kind::NameChanged, "123456789", "12345678", "the name field is 8 characters"},
      {named,
       Kind::NameChanged,
       " ab ",
       "ab",
       "the table's name is trimmed; the rig pads with blanks"},
      // Empty rows in a save.
      {icom, Kind::EmptyRowRefused, "", "", "a memory is stored from the VFO: nothing to clear it"},
      {yaesu, Kind::EmptyRowRefused, "", "",
       "a memory is stored from the VFO: nothing to clear it"},
      // Channel ranges.
      {noRow00, Kind::NoChannel, "00", "", "memories count from 1 (row 00 is Kenwood TS only)"},
  };
  return d;
}

inline bool Listed(const Difference& d, const std::string& id) {
  for (const auto& r : d.rigs)
    if (r == id) return true;
  return false;
}

// The difference of `kind` for `what` on rig `id`, or null.
inline const Difference* Find(const std::string& id, Kind kind, const std::string& what) {
  for (const auto& d : Differences())
    if (d.kind == kind && d.what == what && Listed(d, id)) return &d;
  return nullptr;
}

inline bool Has(const std::string& id, Kind kind, const std::string& what = "") {
  return Find(id, kind, what) != nullptr;
}

// The mode the table shows after `mode` went to the rig and came back.
inline std::string ReadsAs(const std::string& id, const std::string& mode) {
  const Difference* d = Find(id, Kind::ModeReadsAs, mode);
  return d ? d->becomes : mode;
}

}  // namespace varnek::conformance
