#include "files/chirp_csv.h"

#include <array>
#include <map>
#include <optional>

#include "base/cp1252.h"
#include "base/text.h"
#include "rig/family.h"
#include "rig/freq.h"
#include "rig/icom_memory.h"
#include "rig/memory_extras.h"
#include "rig/modes.h"
#include "rig/record_schema.h"

namespace varnek {

const char* const kChirpHeader =
    "Location,Name,Frequency,Duplex,Offset,Tone,rToneFreq,cToneFreq,DtcsCode,DtcsPolarity,"
    "RxDtcsCode,CrossMode,Mode,TStep,Skip,Power,Comment,URCALL,RPT1CALL,RPT2CALL,DVCODE";

namespace {

constexpr std::string_view kBom = "\xEF\xBB\xBF";

bool KenwoodTs(std::string_view modelCode) {
  return FamilyOf(modelCode) == RigFamily::Kenwood;
}

std::string Row(int line) {
  return "line " + std::to_string(line) + ": ";
}

// Column positions by header name; -1 for a column the file lacks.
struct Columns {
  int location = -1, name = -1, frequency = -1, duplex = -1, mode = -1, offset = -1, tone = -1,
      rTone = -1, cTone = -1, dtcs = -1, polarity = -1, skip = -1;
};

Columns FindColumns(const std::vector<std::string>& header) {
  Columns c;
  const std::pair<const char*, int Columns::*> keys[] = {{"location", &Columns::location},
                                                         {"name", &Columns::name},
                                                         {"frequency", &Columns::frequency},
                                                         {"duplex", &Columns::duplex},
                                                         {"mode", &Columns::mode},
                                                         {"offset", &Columns::offset},
                                                         {"tone", &Columns::tone},
                                                         {"rtonefreq", &Columns::rTone},
                                                         {"ctonefreq", &Columns::cTone},
                                                         {"dtcscode", &Columns::dtcs},
                                                         {"dtcspolarity", &Columns::polarity},
                                                         {"skip", &Columns::skip}};
  for (size_t i = 0; i < header.size(); ++i) {
    const std::string key = CsvKey(header[i]);
    for (const auto& [name, column] : keys)
      if (key == name && c.*column < 0) c.*column = static_cast<int>(i);  // the first one counts
  }
  return c;
}

std::string Field(const std::vector<std::string>& fields, int column) {
  return column >= 0 && static_cast<size_t>(column) < fields.size()
             ? fields[static_cast<size_t>(column)]
             : std::string();
}

// What CHIRP's generic CSV expects in the columns the table has no value for.
struct Defaults {
  const char *duplex = "", *offset = "0.000000", *tone = "", *rTone = "88.5", *cTone = "88.5",
             *dtcs = "023", *polarity = "NN", *rxDtcs = "023", *cross = "Tone->Tone";
};

// A tone column ("88.5") in tenths of a hertz; 0 when it is none.
int ToneColumn(const std::string& text) {
  long long deci = 0;
  std::string why;
  return DecimalHertz(Trim(text), 1, deci, why) && deci > 0 && deci < 100000
             ? static_cast<int>(deci)
             : 0;
}

// Tone, shift and skip of one row; what the table cannot take is reported.
// A "split" row's transmit frequency goes to `splitHz`.
MemoryExtras RowExtras(const std::vector<std::string>& fields, const Columns& col,
                       const std::string& at, const std::string& number, ImportReport& report,
                       long long& splitHz) {
  MemoryExtras e;
  splitHz = 0;
  const std::string duplex = Trim(Field(fields, col.duplex));
  if (duplex == "split") {
    // CHIRP's Offset is then the transmit frequency itself.
    const std::string offset = Trim(Field(fields, col.offset));
    std::string why;
    if (!DecimalHertz(offset, 6, splitHz, why) || splitHz == 0) {
      splitHz = 0;
      report.Add(at + "split transmit frequency \"" + ReportText(offset) + "\" " +
                 (why.empty() ? "is zero" : why) + "; channel " + number +
                 " holds the receive frequency only");
    }
  } else if (duplex == "+" || duplex == "-") {
    e.duplex = duplex[0];
    const std::string offset = Trim(Field(fields, col.offset));
    long long hertz = 0;
    std::string why;
    if (DecimalHertz(offset, 6, hertz, why))
      e.offsetHz = hertz;
    else
      report.Add(at + "offset \"" + ReportText(offset) + "\" " + why + "; channel " + number +
                 " gets none");
  } else if (duplex == "off") {
    // CHIRP's "off" forbids transmitting on the channel; none of these
    // rigs' memories can hold that, and a simplex channel would transmit.
    report.Add(at + "duplex off (transmit disabled) is not kept; channel " + number +
               " is a simplex channel that transmits");
  } else if (!duplex.empty()) {
    report.Add(at + "duplex " + ReportText(duplex) + " is not kept; channel " + number +
               " holds the receive frequency only");
  }
  const std::string tone = Trim(Field(fields, col.tone));
  const auto fail = [&](const std::string& what) {
    report.Add(at + what + "; channel " + number + " gets no tone");
    e.squelch = MemoryExtras::Squelch::Off;
    e.toneDeciHz = e.ctcssDeciHz = 0;
  };
  // With a tone mode, the other tone column is taken too, so a record that
  // keeps both tones (the IC-7300's) gets both back. CHIRP writes 88.5
  // into a column that carries nothing: there it says nothing.
  const auto other = [&](int column) {
    const int deciHz = ToneColumn(Field(fields, column));
    return deciHz == 885 ? 0 : deciHz;
  };
  if (tone == "Tone") {
    e.squelch = MemoryExtras::Squelch::Tone;
    e.toneDeciHz = ToneColumn(Field(fields, col.rTone));
    e.ctcssDeciHz = other(col.cTone);
    if (e.toneDeciHz == 0) fail("rToneFreq \"" + ReportText(Field(fields, col.rTone)) + "\"");
  } else if (tone == "TSQL") {
    e.squelch = MemoryExtras::Squelch::Tsql;
    e.toneDeciHz = other(col.rTone);
    e.ctcssDeciHz = ToneColumn(Field(fields, col.cTone));
    if (e.ctcssDeciHz == 0) fail("cToneFreq \"" + ReportText(Field(fields, col.cTone)) + "\"");
  } else if (tone == "DTCS") {
    const std::string code = Trim(Field(fields, col.dtcs));
    if (!code.empty() && code.size() <= 3 && code.find_first_not_of("01234567") == std::string::npos) {
      e.squelch = MemoryExtras::Squelch::Dtcs;
      e.dtcsCode = StrToInt(code);
      // The rigs' DCS is always normal polarity on both sides.
      const std::string polarity = UpperCase(Trim(Field(fields, col.polarity)));
      if (!polarity.empty() && polarity != "NN")
        report.Add(at + "DtcsPolarity " + ReportText(polarity) + " is not kept; channel " + number +
                   " uses normal polarity (NN)");
    } else {
      fail("DtcsCode \"" + ReportText(code) + "\"");
    }
  } else if (!tone.empty()) {
    report.Add(at + "tone mode " + ReportText(tone) + " is not kept; channel " + number +
               " gets no tone");
  }
  const std::string skip = Trim(Field(fields, col.skip));
  if (skip == "S")
    e.skip = true;
  else if (!skip.empty())
    report.Add(at + "skip " + ReportText(skip) + " is not kept");
  return e;
}

// A split's transmit side where the rig keeps one apart (the TS rigs: the
// receive side's mode, CHIRP has no transmit mode); reported elsewhere.
void KeepSplit(long long txHz, std::string_view modelCode, const std::string& at,
               ImportedChannel& ch, ImportReport& report) {
  const std::string number = ChannelText(ch.channel);
  if (ReadsMemoryContents(modelCode)) {
    // The IC-7300's transmit block: CHIRP's row mode, the receive side's
    // filter, data mode and tones.
    KeptFields kept = ch.kept;
    std::vector<std::string> none;
    if (kept.Empty()) kept = KeptFor(MemoryExtras{}, modelCode, none);
    if (Ic7300KeepSplit(kept, txHz, ch.mode)) {
      ch.kept = kept;
      return;
    }
  }
  const std::string code = KenwoodModeCode(ch.mode, modelCode);
  if (FamilyOf(modelCode) != RigFamily::Kenwood || code.empty()) {
    report.Add(at + "duplex split is not kept; channel " + number +
               " holds the receive frequency only");
    return;
  }
  if (ch.kept.Empty()) {
    std::vector<std::string> none;
    ch.kept = KeptFor(MemoryExtras{}, modelCode, none);
  }
  ch.kept.tx = KenwoodFreqDigits(txHz, modelCode) + code;
}

// The TS-590 keeps FM narrow as a flag of an FM memory where CHIRP has a
// mode of its own (NFM); nullptr for a model that has no such flag.
const RecordField* NarrowFlag(std::string_view modelCode) {
  const RecordSchema* schema = SchemaOf(modelCode);
  return schema ? schema->Field(FieldRole::FmNarrow) : nullptr;
}

// The flag's "narrow" code: the last of its choices ("01").
bool IsNarrow(const KeptFields& kept) {
  const RecordField* flag = NarrowFlag(kept.model);
  return flag && FieldText(*flag, kept.fields) == flag->choices.back().code;
}

// CHIRP's columns for a row's kept fields; the defaults for a row without.
// An FM narrow flag that goes out as CHIRP's NFM is carried.
void ColumnsOfKept(const KeptFields& kept, const std::string& number,
                   std::vector<std::string>& report, std::string& skip,
                   std::array<std::string, 6>& values, bool narrowCarried) {
  const Defaults d;
  std::vector<std::string> notCarried;
  const std::optional<MemoryExtras> e = kept.Empty() ? std::nullopt : ExtrasOf(kept, &notCarried);
  if (!e) return;
  if (narrowCarried) std::erase(notCarried, std::string("FM narrow"));
  using S = MemoryExtras::Squelch;
  values[0] = e->duplex ? std::string(1, e->duplex) : "";
  values[1] = HertzText(e->offsetHz, 6);
  if (const long long tx = SplitTransmitHz(kept); tx > 0) {
    // A split: CHIRP names the transmit frequency in Offset.
    if (e->duplex) notCarried.push_back("the repeater shift beside the split");
    values[0] = "split";
    values[1] = HertzText(tx, 6);
  }
  values[2] = e->toneDeciHz ? DeciHzText(e->toneDeciHz) : d.rTone;
  values[3] = e->ctcssDeciHz ? DeciHzText(e->ctcssDeciHz) : d.cTone;
  values[4] = e->dtcsCode ? DtcsText(e->dtcsCode) : d.dtcs;
  const bool known = (e->squelch == S::Tone && e->toneDeciHz) ||
                     (e->squelch == S::Tsql && e->ctcssDeciHz) ||
                     (e->squelch == S::Dtcs && e->dtcsCode);
  values[5] = !known                   ? ""
              : e->squelch == S::Tone  ? "Tone"
              : e->squelch == S::Tsql  ? "TSQL"
                                       : "DTCS";
  if (e->squelch != S::Off && !known) notCarried.push_back("a tone number of no known tone");
  skip = e->skip ? "S" : "";
  ReportNotCarried(notCarried, number, kept.model, "CHIRP CSV", report);
}

}  // namespace

std::string ChirpModeToTable(std::string_view chirpMode, std::string_view modelCode) {
  const std::string m = UpperCase(Trim(chirpMode));
  if (m == "LSB" || m == "USB" || m == "CW" || m == "AM" || m == "FM" || m == "PKT") return m;
  if (m == "CWR" || m == "CW-R") return "CW-R";
  if (m == "NFM") return "FM-N";
  if (m == "RTTY" || m == "FSK") return KenwoodTs(modelCode) ? "FSK" : "RTTY";
  if (m == "RTTYR" || m == "FSKR" || m == "RTTY-R" || m == "FSK-R")
    return KenwoodTs(modelCode) ? "FSK-R" : "RTTY-R";
  if (m == "DIG" || m == "DV") return "DIGI";
  return {};
}

std::string TableModeToChirp(std::string_view mode, long long hertz) {
  static const std::map<std::string, std::string, std::less<>> kModes = {
      {"LSB", "LSB"},   {"USB", "USB"},     {"CW", "CW"},        {"CW-R", "CWR"},
      {"AM", "AM"},     {"FM", "FM"},       {"FM-N", "NFM"},     {"FSK", "RTTY"},
      {"RTTY", "RTTY"}, {"FSK-R", "RTTYR"}, {"RTTY-R", "RTTYR"}, {"DIGI", "DIG"},
      {"PKT", "PKT"},   {"PKT-L", "DIG"},   {"PKT-U", "DIG"},    {"PKT-FM", "DIG"},
  };
  const std::string m = Trim(mode);
  if (m == "SSB") return hertz < 10'000'000 ? "LSB" : "USB";
  const auto it = kModes.find(m);
  return it == kModes.end() ? std::string() : it->second;
}

ChannelImport ParseChirpCsv(std::string_view bytes, std::string_view modelCode) {
  ChannelImport result;
  if (StartsWith(bytes, kBom)) bytes.remove_prefix(kBom.size());
  std::string error;
  const std::vector<CsvRecord> records = ReadCsvRecords(bytes, ',', &error);
  if (records.empty()) {
    result.message = error.empty() ? "no CHIRP CSV header (the file is empty)" : error;
    return result;
  }
  const Columns col = FindColumns(records.front().fields);
  if (col.location < 0 || col.frequency < 0) {
    result.message = "no CHIRP CSV header: the first line names no Location and Frequency columns";
    return result;
  }
  result.ok = true;
  ImportReport report(result.report);
  if (!error.empty()) report.Add("the file could not be read to its end: " + error);
  const size_t nameLength = RigNameLength(modelCode);
  std::vector<int> lineOf(100, 0);  // where each channel was last taken from
  for (size_t r = 1; r < records.size(); ++r) {
    const CsvRecord& rec = records[r];
    const std::string at = Row(rec.line);
    const std::string location = Trim(Field(rec.fields, col.location));
    if (!IsAllDigits(location) || location.size() > 9) {
      report.Add(at + "location \"" + ReportText(location) + "\" is not a number; not taken");
      continue;
    }
    const int number = std::stoi(location);
    if (number > 99) {
      report.Add(at + "location " + location + " is above 99; not taken");
      continue;
    }
    long long hertz = 0;
    std::string why;
    const std::string freqText = Field(rec.fields, col.frequency);
    if (!DecimalHertz(freqText, 6, hertz, why) || hertz == 0) {
      if (hertz == 0 && why.empty()) why = "is zero";
      report.Add(at + "frequency \"" + ReportText(Trim(freqText)) + "\" " + why + "; location " +
                 location + " not taken");
      continue;
    }
    ImportedChannel ch;
    ch.channel = number;
    ch.freq = AsciiFreqDisplay(hertz);
    const std::string chirpMode = Trim(Field(rec.fields, col.mode));
    ch.mode = ChirpModeToTable(chirpMode, modelCode);
    const RecordField* narrow = ch.mode == "FM-N" ? NarrowFlag(modelCode) : nullptr;
    if (narrow) ch.mode = "FM";
    if (ch.mode.empty()) {
      ch.mode = BandPlanMode(ch.freq, modelCode);
      if (!chirpMode.empty())
        report.Add(at + "mode " + ReportText(chirpMode) + " has no counterpart here; channel " +
                   ChannelText(number) + " takes the band-plan mode " + ch.mode);
    }
    std::vector<std::string> notes;
    ch.name = ImportedName(Field(rec.fields, col.name), nameLength, notes, modelCode);
    for (const std::string& note : notes)
      report.Add(at + "name \"" + ReportText(Field(rec.fields, col.name)) + "\": " + note);
    long long splitHz = 0;
    const MemoryExtras extras =
        RowExtras(rec.fields, col, at, ChannelText(number), report, splitHz);
    KeepExtras(extras, modelCode, at, ch, report);
    if (splitHz > 0) KeepSplit(splitHz, modelCode, at, ch, report);
    if (narrow) {
      if (ch.kept.Empty()) {
        std::vector<std::string> none;
        ch.kept = KeptFor(MemoryExtras{}, modelCode, none);
      }
      ch.kept.fields.replace(narrow->at, narrow->length, narrow->choices.back().code);
    }
    if (lineOf[static_cast<size_t>(number)] > 0)
      report.Add(at + "location " + location + " again (first on line " +
                 std::to_string(lineOf[static_cast<size_t>(number)]) + "); this row is taken");
    for (const std::string& why : RigWillRefuse(ch, modelCode))
      report.Add(at + why);
    lineOf[static_cast<size_t>(number)] = rec.line;
    result.channels.push_back(std::move(ch));
  }
  report.Finish();
  return result;
}

ChannelExport ChirpCsvText(const ChannelTable& table, std::string_view) {
  ChannelExport result;
  result.ok = true;
  result.bytes = std::string(kChirpHeader) + "\r\n";
  const Defaults d;
  for (size_t n = 0; n < table.size(); ++n) {
    const ChannelRow& row = table[n];
    const std::string freq = Trim(row.freq);
    if (freq.empty()) continue;
    const std::string number = ChannelText(static_cast<int>(n));
    long long hertz = 0;
    if (!TableFreqHertz(freq, hertz)) {
      result.report.push_back("channel " + number + ": frequency \"" + freq +
                              "\" is not a frequency; not written");
      continue;
    }
    const std::string mode = Trim(row.mode);
    std::string chirpMode = TableModeToChirp(mode, hertz);
    const bool narrow = chirpMode == "FM" && IsNarrow(row.kept);
    if (narrow) chirpMode = "NFM";
    if (chirpMode.empty()) {
      chirpMode = "Auto";
      result.report.push_back("channel " + number + ": mode \"" + mode +
                              "\" has no CHIRP counterpart; written as Auto");
    } else if (mode != "PKT" && chirpMode == "DIG" && mode != "DIGI") {
      result.report.push_back("channel " + number + ": mode " + mode + " written as DIG");
    } else if (mode == "SSB") {
      result.report.push_back("channel " + number + ": mode SSB written as " + chirpMode);
    }
    // Duplex, offset, rToneFreq, cToneFreq, DtcsCode, Tone.
    std::array<std::string, 6> x = {d.duplex, d.offset, d.rTone, d.cTone, d.dtcs, d.tone};
    std::string skip;
    ColumnsOfKept(row.kept, number, result.report, skip, x, narrow);
    const std::vector<std::string> fields = {
        std::to_string(n), Cp1252ToUtf8(row.name), HertzText(hertz, 6), x[0], x[1], x[5], x[2],
        x[3], x[4], d.polarity, d.rxDtcs, d.cross, chirpMode, "5.00", skip, "50W", "", "", "", "",
        ""};
    for (size_t i = 0; i < fields.size(); ++i) {
      if (i) result.bytes += ',';
      result.bytes += CsvField(fields[i], ',');
    }
    result.bytes += "\r\n";
    ++result.channels;
  }
  return result;
}

ChannelImport ImportChirpCsv(const std::string& path, std::string_view modelCode) {
  return ImportFile(path, modelCode, ParseChirpCsv);
}

ChannelExport ExportChirpCsv(const std::string& path, const ChannelTable& table,
                             std::string_view modelCode) {
  return WriteExport(path, ChirpCsvText(table, modelCode));
}

}  // namespace varnek
