#include "files/chirp_csv.h"

#include <map>

#include "base/cp1252.h"
#include "base/text.h"
#include "rig/family.h"
#include "rig/freq.h"
#include "rig/modes.h"

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
  int location = -1, name = -1, frequency = -1, duplex = -1, mode = -1;
};

Columns FindColumns(const std::vector<std::string>& header) {
  Columns c;
  for (size_t i = 0; i < header.size(); ++i) {
    const std::string key = CsvKey(header[i]);
    const int at = static_cast<int>(i);
    // The first column of that name counts.
    if (key == "location" && c.location < 0) c.location = at;
    if (key == "name" && c.name < 0) c.name = at;
    if (key == "frequency" && c.frequency < 0) c.frequency = at;
    if (key == "duplex" && c.duplex < 0) c.duplex = at;
    if (key == "mode" && c.mode < 0) c.mode = at;
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
    if (ch.mode.empty()) {
      ch.mode = BandPlanMode(ch.freq, modelCode);
      if (!chirpMode.empty())
        report.Add(at + "mode " + ReportText(chirpMode) + " has no counterpart here; channel " +
                   ChannelText(number) + " takes the band-plan mode " + ch.mode);
    }
    std::vector<std::string> notes;
    ch.name = ImportedName(Field(rec.fields, col.name), nameLength, notes);
    for (const std::string& note : notes)
      report.Add(at + "name \"" + ReportText(Field(rec.fields, col.name)) + "\": " + note);
    const std::string duplex = Trim(Field(rec.fields, col.duplex));
    if (!duplex.empty() && duplex != "off")
      report.Add(at + "duplex " + ReportText(duplex) + " is not kept; channel " +
                 ChannelText(number) + " holds the receive frequency only");
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
    if (chirpMode.empty()) {
      chirpMode = "Auto";
      result.report.push_back("channel " + number + ": mode \"" + mode +
                              "\" has no CHIRP counterpart; written as Auto");
    } else if (mode != "PKT" && chirpMode == "DIG" && mode != "DIGI") {
      result.report.push_back("channel " + number + ": mode " + mode + " written as DIG");
    } else if (mode == "SSB") {
      result.report.push_back("channel " + number + ": mode SSB written as " + chirpMode);
    }
    const std::vector<std::string> fields = {std::to_string(n),
                                             Cp1252ToUtf8(row.name),
                                             HertzText(hertz, 6),
                                             d.duplex,
                                             d.offset,
                                             d.tone,
                                             d.rTone,
                                             d.cTone,
                                             d.dtcs,
                                             d.polarity,
                                             d.rxDtcs,
                                             d.cross,
                                             chirpMode,
                                             "5.00",
                                             "",
                                             "50W",
                                             "",
                                             "",
                                             "",
                                             "",
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
