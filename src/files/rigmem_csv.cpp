#include "files/rigmem_csv.h"

#include <algorithm>
#include <map>
#include <optional>

#include "base/text.h"
#include "rig/family.h"
#include "rig/freq.h"
#include "rig/kenwood.h"
#include "rig/memory_extras.h"

namespace varnek {
namespace {

constexpr std::string_view kBom = "\xEF\xBB\xBF";

bool KenwoodTs(std::string_view modelCode) {
  return FamilyOf(modelCode) == RigFamily::Kenwood;
}

std::string Row(int line) {
  return "line " + std::to_string(line) + ": ";
}

// The columns and the values rigmem writes for a channel of the rig, as
// `rigmem save` against each rig shows them; what the table does not hold
// gets the value of a plain simplex memory. Hamlib reads no TS-590 or
// TS-480 memory at all: their files take the TS-2000's columns, which
// carry a name, both tones and the lockout.
enum class Layout { Ts2000, Named, Kenwood, Ft2000, Generic };

Layout LayoutOf(std::string_view modelCode) {
  switch (RecordLayoutOf(modelCode)) {
    case RecordLayout::Ts2000:
      return Layout::Ts2000;
    case RecordLayout::Ts590:
    case RecordLayout::Ts480:
      return Layout::Named;
    case RecordLayout::Ts570:
      return Layout::Kenwood;
    case RecordLayout::Ft2000:
      return Layout::Ft2000;
    case RecordLayout::None:
      break;
  }
  return Layout::Generic;
}

std::vector<std::string> HeaderOf(Layout layout) {
  switch (layout) {
    case Layout::Ts2000:
    case Layout::Named:
      return {"num",       "channel_desc", "freq",      "mode",        "tx_freq", "tx_mode",
              "split",     "rptr_shift",   "rptr_offs", "tuning_step", "funcs",   "ctcss_tone",
              "ctcss_sql", "dcs_code",     "dcs_sql",   "scan_group",  "flags"};
    case Layout::Kenwood:
      return {"num", "freq", "mode", "tx_freq", "tx_mode", "split", "ctcss_tone"};
    case Layout::Ft2000:
      return {"num", "freq", "mode", "rptr_shift", "rit", "xit", "ctcss_tone", "ctcss_sql"};
    case Layout::Generic:
      break;
  }
  return {"num", "channel_desc", "freq", "mode"};
}

// Hamlib's repeater shift word.
std::string ShiftWord(char duplex) {
  return duplex == '+' ? "+" : duplex == '-' ? "-" : "None";
}

std::vector<std::string> ValuesOf(Layout layout, int number, const std::string& name,
                                  long long hertz, const std::string& mode, const MemoryExtras& e) {
  using S = MemoryExtras::Squelch;
  const std::string n = std::to_string(number), f = std::to_string(hertz);
  // Hamlib's tones are tenths of a hertz, its DCS codes the code's digits.
  const std::string tone = std::to_string(e.squelch == S::Tone ? e.toneDeciHz : 0);
  const std::string sql = std::to_string(e.squelch == S::Tsql ? e.ctcssDeciHz : 0);
  const std::string dcs = std::to_string(e.squelch == S::Dtcs ? e.dtcsCode : 0);
  switch (layout) {
    case Layout::Ts2000:
    case Layout::Named: {
      // Hamlib reads back the rig's step code 00 as 5 kHz in FM and 1 kHz otherwise.
      const std::string step = mode == "FM" || mode == "FMN" ? "5000" : "1000";
      return {n,    name, f,    mode, "0", "",  "off", ShiftWord(e.duplex), std::to_string(e.offsetHz),
              step, "0",  tone, sql,  dcs, dcs, "0",   e.skip ? "1" : "0"};
    }
    case Layout::Kenwood:
      return {n, f, mode, "0", "", "off", tone};
    case Layout::Ft2000:
      return {n, f, mode, ShiftWord(e.duplex), "0", "0", "0", "0"};
    case Layout::Generic:
      break;
  }
  return {n, name, f, mode};
}

std::string Field(const std::vector<std::string>& fields, int column) {
  return column >= 0 && static_cast<size_t>(column) < fields.size()
             ? fields[static_cast<size_t>(column)]
             : std::string();
}

// A name as rigmem can carry it: the separator would split the line (rigmem
// does not quote), a quote would start quoting for every other CSV reader,
// and a ";" would end a Kenwood command inside the name.
std::string RigmemName(const std::string& name, char separator, size_t maxLength,
                       const std::string& number, std::vector<std::string>& report) {
  std::string n = maxLength > 0 ? Trim(name) : name;
  if (maxLength > 0 && n.size() > maxLength) {
    report.push_back("channel " + number + ": name \"" + n + "\" cut to the rig's " +
                     std::to_string(maxLength) + " characters");
    n.resize(maxLength);
  }
  bool replaced = false;
  for (char& c : n)
    if (c == separator || c == '"' || c == ';' || static_cast<unsigned char>(c) < 0x20) {
      c = ' ';
      replaced = true;
    }
  if (replaced)
    report.push_back("channel " + number + ": name \"" + name +
                     "\": characters rigmem cannot carry became blanks");
  return n;
}

}  // namespace

std::string HamlibModeToTable(std::string_view hamlibMode, std::string_view modelCode) {
  static const std::map<std::string, std::string, std::less<>> kModes = {
      {"LSB", "LSB"},      {"USB", "USB"},      {"CW", "CW"},    {"CWR", "CW-R"},
      {"AM", "AM"},        {"FM", "FM"},        {"FMN", "FM-N"}, {"PKTLSB", "PKT-L"},
      {"PKTUSB", "PKT-U"}, {"PKTFM", "PKT-FM"},
  };
  const std::string m = UpperCase(Trim(hamlibMode));
  if (m == "RTTY") return KenwoodTs(modelCode) ? "FSK" : "RTTY";
  if (m == "RTTYR") return KenwoodTs(modelCode) ? "FSK-R" : "RTTY-R";
  const auto it = kModes.find(m);
  return it == kModes.end() ? std::string() : it->second;
}

std::string TableModeToHamlib(std::string_view mode, long long hertz) {
  static const std::map<std::string, std::string, std::less<>> kModes = {
      {"LSB", "LSB"},      {"USB", "USB"},      {"CW", "CW"},        {"CW-R", "CWR"},
      {"AM", "AM"},        {"FM", "FM"},        {"FM-N", "FMN"},     {"FSK", "RTTY"},
      {"RTTY", "RTTY"},    {"DIGI", "RTTY"},    {"PKT", "RTTY"},     {"FSK-R", "RTTYR"},
      {"RTTY-R", "RTTYR"}, {"PKT-L", "PKTLSB"}, {"PKT-U", "PKTUSB"}, {"PKT-FM", "PKTFM"},
  };
  const std::string m = Trim(mode);
  if (m == "SSB") return hertz < 10'000'000 ? "LSB" : "USB";
  const auto it = kModes.find(m);
  return it == kModes.end() ? std::string() : it->second;
}

std::string RigmemHeader(std::string_view modelCode, char separator) {
  std::string line;
  for (const std::string& key : HeaderOf(LayoutOf(modelCode)))
    line += key + separator;
  return line;
}

namespace {

// The columns of a rigmem file by their header; -1 for one it lacks.
struct RigmemColumns {
  int num, freq, mode, desc, bank, split, tx, shift, offset, tone, sql, dcs, dcsSql, flags;
  size_t count;
};

RigmemColumns ColumnsOf(const std::vector<std::string>& header) {
  std::map<std::string, int> column;
  for (size_t i = 0; i < header.size(); ++i)
    column.emplace(CsvKey(header[i]), static_cast<int>(i));
  const auto at = [&](const char* key) {
    const auto it = column.find(key);
    return it == column.end() ? -1 : it->second;
  };
  return {at("num"),        at("freq"),       at("mode"),       at("channel_desc"),
          at("bank_num"),   at("split"),      at("tx_freq"),    at("rptr_shift"),
          at("rptr_offs"),  at("ctcss_tone"), at("ctcss_sql"),  at("dcs_code"),
          at("dcs_sql"),    at("flags"),      header.size()};
}

// A whole number of a column; 0 for an empty or unreadable one.
long long Number(const std::string& text, int base = 10) {
  const std::string t = Trim(text);
  if (t.empty() || t.size() > 12) return 0;
  size_t used = 0;
  try {
    const long long v = std::stoll(t, &used, base);
    return used == t.size() && v > 0 ? v : 0;
  } catch (...) {
    return 0;
  }
}

// Tone, shift and skip in the columns rigmem writes: the tone that opens
// the squelch wins over the one only sent, a DCS code over both, as in
// Hamlib's own write.
MemoryExtras ExtrasOfRecord(const std::vector<std::string>& fields, const RigmemColumns& c) {
  MemoryExtras e;
  const std::string shift = Trim(Field(fields, c.shift));
  if (shift == "+" || shift == "-") {
    e.duplex = shift[0];
    e.offsetHz = Number(Field(fields, c.offset));
  }
  const long long tone = Number(Field(fields, c.tone)), sql = Number(Field(fields, c.sql));
  const long long dcs = std::max(Number(Field(fields, c.dcs)), Number(Field(fields, c.dcsSql)));
  if (tone > 0 && tone < 100000) {
    e.squelch = MemoryExtras::Squelch::Tone;
    e.toneDeciHz = static_cast<int>(tone);
  }
  if (sql > 0 && sql < 100000) {
    e.squelch = MemoryExtras::Squelch::Tsql;
    e.ctcssDeciHz = static_cast<int>(sql);
  }
  if (dcs > 0 && dcs < 1000) {
    e.squelch = MemoryExtras::Squelch::Dtcs;
    e.dtcsCode = static_cast<int>(dcs);
  }
  e.skip = (Number(Field(fields, c.flags), 16) & 1) != 0;  // Hamlib's skip flag
  return e;
}

// rigmem writes a name holding the separator as it is: the extra fields
// belong to the name.
void JoinSplitName(std::vector<std::string>& fields, const RigmemColumns& c, char separator) {
  if (c.desc < 0 || fields.size() <= c.count) return;
  const size_t extra = fields.size() - c.count;
  const auto d = static_cast<size_t>(c.desc);
  for (size_t k = 1; k <= extra; ++k)
    fields[d] += separator + fields[d + k];
  fields.erase(fields.begin() + static_cast<std::ptrdiff_t>(d + 1),
               fields.begin() + static_cast<std::ptrdiff_t>(d + 1 + extra));
}

// One record's channel, or nothing with the reason in the report. `empty`
// counts the records that stand for an empty channel.
std::optional<ImportedChannel> ChannelOf(std::vector<std::string> fields, const std::string& where,
                                         const RigmemColumns& c, std::string_view modelCode,
                                         ImportReport& report, int& empty) {
  const std::string number = Trim(Field(fields, c.num));
  if (!IsAllDigits(number) || number.size() > 9) {
    report.Add(where + "channel number \"" + ReportText(number) + "\" is not a number; not taken");
    return std::nullopt;
  }
  const int n = std::stoi(number);
  const std::string bankText = Trim(Field(fields, c.bank));
  if (!bankText.empty() && bankText != "0") {
    report.Add(where + "channel " + number + " of bank " + ReportText(bankText) +
               ": only bank 0 is taken");
    return std::nullopt;
  }
  long long hertz = 0;
  std::string why;
  const std::string freqText = Field(fields, c.freq);
  if (!DecimalHertz(freqText, 0, hertz, why)) {
    report.Add(where + "frequency \"" + ReportText(Trim(freqText)) + "\" " + why + "; channel " +
               number + " not taken");
    return std::nullopt;
  }
  if (hertz == 0) {  // rigmem saves some rigs' empty channels with frequency 0
    ++empty;
    return std::nullopt;
  }
  if (n > 99) {
    report.Add(where + "channel " + number + " is above 99; not taken");
    return std::nullopt;
  }
  ImportedChannel ch;
  ch.channel = n;
  ch.freq = AsciiFreqDisplay(hertz);
  const std::string hamlibMode = Trim(Field(fields, c.mode));
  ch.mode = HamlibModeToTable(hamlibMode, modelCode);
  if (ch.mode.empty()) {
    ch.mode = BandPlanMode(ch.freq, modelCode);
    report.Add(where + "mode \"" + ReportText(hamlibMode) + "\" has no counterpart here; channel " +
               ChannelText(n) + " takes the band-plan mode " + ch.mode);
  }
  std::vector<std::string> notes;
  // Rigs pad their name fields with blanks; the rig's own answer parser
  // trims them too.
  ch.name = ImportedName(Trim(Field(fields, c.desc)), RigNameLength(modelCode), notes, modelCode);
  for (const std::string& note : notes)
    report.Add(where + "name \"" + ReportText(Field(fields, c.desc)) + "\": " + note);
  const MemoryExtras extras = ExtrasOfRecord(fields, c);
  // Seen against the simulated rig: Hamlib 4.5.4 writes a TS-570 memory's
  // tone number right but reads it back as the next tone of its list. The
  // file does not say which Hamlib wrote it, so the tone is taken as written.
  if (extras.squelch == MemoryExtras::Squelch::Tone && LayoutOf(modelCode) == Layout::Kenwood)
    report.Add(where + "tone " + DeciHzText(extras.toneDeciHz) +
               " Hz taken as written; rigmem 4.5 saves a TS-570's tone one step too high");
  KeepExtras(extras, modelCode, where, ch, report);
  if (Trim(Field(fields, c.split)) == "on")
    report.Add(where + "the transmit side (" + ReportText(Trim(Field(fields, c.tx))) +
               " Hz) of split channel " + number + " is not kept");
  return ch;
}

// The row's kept fields as far as rigmem's columns for the rig carry them;
// the rest is reported.
MemoryExtras RigmemExtras(const KeptFields& kept, Layout layout, const std::string& number,
                          std::vector<std::string>& report) {
  std::vector<std::string> notCarried;
  std::optional<MemoryExtras> e = kept.Empty() ? std::nullopt : ExtrasOf(kept, &notCarried);
  if (!e) return {};
  // rigmem's columns hold one frequency: a split's transmit side (or a scan
  // pair's end) would be lost without a word.
  if (kept.tx.size() == 12 && IsAllDigits(kept.tx))
    notCarried.push_back("the split's transmit side " + FreqText(std::stoll(kept.tx.substr(0, 11))));
  using S = MemoryExtras::Squelch;
  if (layout == Layout::Kenwood) {
    // Hamlib's TS-570 and TS-870S backends have no column for it and write it as off.
    if (e->skip) notCarried.push_back("lockout (rigmem writes it as 0, off)");
  } else if (layout == Layout::Ft2000) {
    if (e->squelch != S::Off) notCarried.push_back("tone");
    e->squelch = S::Off;
  } else if (layout == Layout::Generic) {
    return {};
  }
  ReportNotCarried(notCarried, number, kept.model, "rigmem CSV", report);
  return *e;
}

// The records of a rigmem file as rigmem writes and reads them: one per
// line, split at every separator. rigmem never quotes, so a '"' is part of
// a name; a CSV reader's quoting would take a name beginning with one as
// the start of a field that runs over every following line.
std::vector<CsvRecord> RigmemRecords(std::string_view bytes, char separator) {
  std::vector<CsvRecord> records;
  ForEachLine(bytes, [&](int line, std::string_view text) {
    if (!Trim(text).empty()) {
      CsvRecord rec{line, {}};
      size_t from = 0;
      for (;;) {
        const size_t cut = text.find(separator, from);
        rec.fields.emplace_back(text.substr(from, cut - from));
        if (cut == std::string_view::npos) break;
        from = cut + 1;
      }
      records.push_back(std::move(rec));
    }
  });
  return records;
}

}  // namespace

ChannelImport ParseRigmemCsv(std::string_view bytes, std::string_view modelCode) {
  ChannelImport result;
  if (StartsWith(bytes, kBom)) bytes.remove_prefix(kBom.size());
  // The separator is whatever follows "num" on the first line.
  const std::string first(bytes.substr(0, 4));
  if (first.size() < 4 || CsvKey(first.substr(0, 3)) != "num" ||
      (first[3] != ',' && first[3] != ';')) {
    result.message =
        "no Hamlib rigmem header: the first line does not start with num and a ',' or ';'";
    return result;
  }
  const char separator = first[3];
  const std::vector<CsvRecord> records = RigmemRecords(bytes, separator);
  const RigmemColumns columns = ColumnsOf(records.front().fields);
  if (columns.freq < 0) {
    result.message = "the rigmem header has no freq column";
    return result;
  }
  result.ok = true;
  ImportReport report(result.report);
  std::vector<int> lineOf(100, 0);
  int empty = 0;
  std::string emptyLines;
  for (size_t r = 1; r < records.size(); ++r) {
    const CsvRecord& rec = records[r];
    const std::string where = Row(rec.line);
    std::vector<std::string> fields = rec.fields;
    JoinSplitName(fields, columns, separator);
    const int emptyBefore = empty;
    std::optional<ImportedChannel> ch = ChannelOf(fields, where, columns, modelCode, report, empty);
    if (empty > emptyBefore)
      emptyLines += (emptyLines.empty() ? "" : ", ") + std::to_string(rec.line);
    if (!ch) continue;
    const auto n = static_cast<size_t>(ch->channel);
    if (lineOf[n] > 0)
      report.Add(where + "channel " + Trim(Field(fields, columns.num)) + " again (first on line " +
                 std::to_string(lineOf[n]) + "); this row is taken");
    for (const std::string& why : RigWillRefuse(*ch, modelCode))
      report.Add(where + why);
    lineOf[n] = rec.line;
    result.channels.push_back(std::move(*ch));
  }
  if (empty > 0)
    report.Add(std::to_string(empty) +
               (empty == 1
                    ? " channel is empty in the file (frequency 0); the table's is left (line "
                    : " channels are empty in the file (frequency 0); the table's are left "
                      "(lines ") +
               emptyLines + ")");
  report.Finish();
  return result;
}

ChannelExport RigmemCsvText(const ChannelTable& table, std::string_view modelCode, char separator) {
  ChannelExport result;
  result.ok = true;
  if (separator != ';') separator = ',';  // the only two rigmem reads
  const Layout layout = LayoutOf(modelCode);
  const std::vector<std::string> header = HeaderOf(layout);
  const bool names = header[1] == "channel_desc";
  result.bytes = RigmemHeader(modelCode, separator) + "\n";
  const size_t nameLength = RigNameLength(modelCode);
  for (size_t i = 0; i < table.size(); ++i) {
    const ChannelRow& row = table[i];
    const std::string freq = Trim(row.freq);
    if (freq.empty()) continue;
    const std::string number = ChannelText(static_cast<int>(i));
    if (i == 0 && FamilyOf(modelCode) != RigFamily::Kenwood) {
      result.report.push_back("channel 00: this rig has no channel 00; not written");
      continue;
    }
    long long hertz = 0;
    if (!TableFreqHertz(freq, hertz)) {
      result.report.push_back("channel " + number + ": frequency \"" + freq +
                              "\" is not a frequency; not written");
      continue;
    }
    const std::string mode = Trim(row.mode);
    const std::string hamlibMode = TableModeToHamlib(mode, hertz);
    if (hamlibMode.empty()) {
      result.report.push_back("channel " + number + ": mode \"" + mode +
                              "\" has no Hamlib counterpart; not written");
      continue;
    }
    if (mode == "SSB")
      result.report.push_back("channel " + number + ": mode SSB written as " + hamlibMode);
    std::string name;
    if (names) {
      name = RigmemName(row.name, separator, nameLength, number, result.report);
      // Hamlib 4.5's TS-2000 memory write sends a six-character name field.
      if (layout == Layout::Ts2000 && Trim(name).size() > 6)
        result.report.push_back("channel " + number + ": name \"" + name +
                                "\": rigmem sends only its first 6 characters to the TS-2000");
    } else if (!Trim(row.name).empty()) {
      result.report.push_back("channel " + number + ": name \"" + row.name +
                              "\" not written (the rig keeps no names)");
    }
    const MemoryExtras extras = RigmemExtras(row.kept, layout, number, result.report);
    for (const std::string& value :
         ValuesOf(layout, static_cast<int>(i), name, hertz, hamlibMode, extras))
      result.bytes += value + separator;
    result.bytes += '\n';
    ++result.channels;
  }
  return result;
}

ChannelImport ImportRigmemCsv(const std::string& path, std::string_view modelCode) {
  return ImportFile(path, modelCode, ParseRigmemCsv);
}

ChannelExport ExportRigmemCsv(const std::string& path, const ChannelTable& table,
                              std::string_view modelCode, char separator) {
  return WriteExport(path, RigmemCsvText(table, modelCode, separator));
}

}  // namespace varnek
