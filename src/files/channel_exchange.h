#pragma once
// What the channel-list importers and exporters of other programs' files
// (CHIRP CSV, Hamlib rigmem CSV) hand back, and the helpers they share: the
// report of everything a file held that the table does not take, the
// frequency and name conversions, and the CSV reader and field quoting built
// on libcsv.
#include <string>
#include <string_view>
#include <vector>

#include "files/channel_file.h"
#include "rig/memory_extras.h"

namespace varnek {

// One channel taken from a file, ready for the table writer. `freq` is in
// the form the ASCII answer parser stores (AsciiFreqDisplay: "14.250.000",
// "  7.050.000"); `mode` is final (a mode the file could not name already
// holds the band-plan proposal); `name` is cp1252. A file without a name
// column gives empty names: the file describes the whole channel.
struct ImportedChannel {
  int channel = 0;  // 0..99
  std::string freq, mode, name;
  // Tone, shift and skip the file gave, in the selected rig's layout; empty
  // when it gave none or the rig keeps none.
  KeptFields kept;
  friend bool operator==(const ImportedChannel&, const ImportedChannel&) = default;
};

// The result of reading another program's channel list.
struct ChannelImport {
  bool ok = false;  // false: nothing at all can be taken (unreadable, no header)
  // On failure: the file (when there is one) and why; on success a summary
  // ("12 channels from <path>").
  std::string message;
  std::vector<ImportedChannel> channels;  // in file order; a later row for a channel wins
  // One line for everything in the file that the table does not take as it
  // stands: rows not taken, and rows taken with a change (a mode proposed by
  // the band plan, a shortened name, replaced characters).
  std::vector<std::string> report;
};

// The result of writing one.
struct ChannelExport {
  bool ok = false;
  std::string message;  // "Saved to file <path>", or the file and the system's reason
  std::string bytes;    // what was (or would be) written
  int channels = 0;     // channel rows written
  // One line for each channel not written, or written differently from the table.
  std::vector<std::string> report;
};

// Puts the imported channels into the table, in order.
void ApplyImport(const ChannelImport& import, ChannelTable& table);
// The same through ChannelWindow::SetChannel, so the usual change reactions run.
void ApplyImport(const ChannelImport& import, ChannelWindow& form);

// The file dialogs of both formats: "CSV file (*.csv)", starting in the
// documents folder.
FileDialogSetup CsvDialogSetup(const std::string& documentsFolder);

// ---- Shared by the two formats ----

// Files above this size are refused before they are parsed.
constexpr size_t kImportFileLimit = 64u << 20;
// Reads `path` for an importer; false with `failure` filled when it cannot
// (missing, unreadable, too big).
bool ReadImportFile(const std::string& path, std::string& bytes, ChannelImport& failure);
// Writes `result.bytes` to `path` atomically and sets `ok` and `message`.
ChannelExport WriteExport(const std::string& path, ChannelExport result);
// "N channels from <path>" for a successful import.
void DescribeImport(const std::string& path, ChannelImport& import);
// Reads `path` and parses it with `parse`, the whole import of one format.
ChannelImport ImportFile(const std::string& path, std::string_view modelCode,
                         ChannelImport (*parse)(std::string_view bytes, std::string_view model));

// What the selected rig will refuse of a channel taken from a file, said at
// the import instead of at the save: a mode it has no code for, a frequency
// outside what it stores, channel 00 where it has none. Lines without the
// row's prefix; none for a rig of no family.
std::vector<std::string> RigWillRefuse(const ImportedChannel& channel, std::string_view modelCode);

// Longest name the rig keeps: 8 on the TS-2000, 0 (no limit) on rigs that
// keep no names, since there the name lives only in the table and its file.
size_t RigNameLength(std::string_view modelCode);

// Hertz of a table frequency text in any of its notations (FreqHertz),
// leading blanks included; false when it is not one or names no frequency
// an export can carry.
bool TableFreqHertz(std::string_view text, long long& hertz);

// A decimal number in units of 10^`decimals` hertz (6 for MHz, 0 for
// hertz) to hertz: digits, an optional point and fraction. Digits past the
// unit's resolution must be zeros. False, with `why`, for anything else or
// for 100 GHz and up.
bool DecimalHertz(std::string_view text, int decimals, long long& hertz, std::string& why);
// Hertz as a decimal number with exactly `decimals` digits after the point
// (none for 0).
std::string HertzText(long long hertz, int decimals);

// A name from a file (UTF-8, or cp1252 bytes when it is not valid UTF-8) to
// the table's cp1252, one line: control characters become blanks, and it is
// cut to `maxLength` when that is not 0. Each change adds a note (without
// the row's prefix), and so do characters the memory of `modelCode` cannot
// hold (kept in the table; a write refuses the channel until they change).
std::string ImportedName(std::string_view text, size_t maxLength, std::vector<std::string>& notes,
                         std::string_view modelCode = {});

// Text from a file quoted in a report line (report lines are cp1252 like
// every text of the core): converted like a name, at most 40 characters.
std::string ReportText(std::string_view text);

// Collects report lines; past a bound it only counts, so that a huge file
// of bad rows gives a readable report and bounded memory.
class ImportReport {
 public:
  explicit ImportReport(std::vector<std::string>& lines, size_t limit = 500)
      : lines_(lines), limit_(limit) {}
  void Add(std::string line);
  // Appends the "... and N more" line when lines were left out.
  void Finish();

 private:
  std::vector<std::string>& lines_;
  size_t limit_;
  size_t dropped_ = 0;
};

// Puts a file's tone, shift and skip into the channel as the selected
// rig's kept fields, and reports (at `at`, the row's prefix) what the rig
// cannot hold. Nothing the rig can hold leaves the row without kept fields.
void KeepExtras(const MemoryExtras& extras, std::string_view modelCode, const std::string& at,
                ImportedChannel& channel, ImportReport& report);

// The export report's line for what a row's kept fields hold that
// `format` has no column for: "channel 05: step 03, group 2 of the TS-2000
// not carried by CHIRP CSV". Nothing when `what` is empty.
void ReportNotCarried(const std::vector<std::string>& what, const std::string& number,
                      const std::string& model, const std::string& format,
                      std::vector<std::string>& report);

// A CSV record as libcsv splits it, with the file line it starts on.
struct CsvRecord {
  int line = 0;
  std::vector<std::string> fields;
};
// Every record of `bytes` with `delimiter`; double quotes quote, "" inside
// quotes is one quote, quoted fields may hold delimiters and line ends.
// Blank lines give no record. Unquoted fields are taken with their blanks.
// A quote left open at the end closes there. `error` gets libcsv's reason
// when it gives up (memory), and the records read so far are returned.
std::vector<CsvRecord> ReadCsvRecords(std::string_view bytes, char delimiter, std::string* error);
// The field as a CSV writer puts it: quoted (inner quotes doubled) when it
// holds the delimiter, a quote, a line end or leading or trailing blanks.
std::string CsvField(std::string_view text, char delimiter);

// The header names as keys: trimmed, lower case.
std::string CsvKey(std::string_view header);

}  // namespace varnek
