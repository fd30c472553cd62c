#pragma once
// The channel text file: one line per channel that has a frequency, four
// TAB-separated fields (two-digit number, frequency, mode, name), CR LF line
// ends, cp1252 bytes, no header. A row that holds fields kept from a rig's
// record that say something (a tone, a shift, a lockout) has a fifth field
// after the name, "MODEL:fields" (readers that know four fields take the
// name up to the next TAB and so never see it). The frequency field follows the notation
// chosen in the settings; reading converts no notation back, it only pads
// the frequency with blanks so it lines up in the table.
#include <array>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "base/file_io.h"
#include "base/kept_fields.h"
#include "settings/rig_settings.h"

namespace varnek {

class ChannelWindow;

struct ChannelRow {
  std::string freq, mode, name;
  KeptFields kept;
  friend bool operator==(const ChannelRow&, const ChannelRow&) = default;
};
using ChannelTable = std::array<ChannelRow, 100>;

// The frequency field of a saved line for an already trimmed frequency
// text. Point: "14.267.000" gives "14267.00" (the third decimal is cut, not
// rounded); comma: the same with a comma; two points: the text as it is.
std::string FreqForFile(std::string_view freq, FreqNotation notation);

// One line of the file, CR LF included, with every kept field; an empty
// frequency stays empty (a backup's line for a channel that was empty).
std::string ChannelLineText(int number, const ChannelRow& row, FreqNotation notation);
// The whole file's bytes. Rows whose frequency is empty or blank get no
// line; the mode is trimmed, the name written exactly.
std::string ChannelFileText(const ChannelTable& table, FreqNotation notation);

// One line as the reader splits it: the number untouched, the frequency
// trimmed and padded for the notation, mode and name untouched. Missing
// fields are empty.
struct ChannelLine {
  std::string number, freq, mode, name;
  KeptFields kept;  // a fifth field that is not "MODEL:fields" keeps nothing
  friend bool operator==(const ChannelLine&, const ChannelLine&) = default;
};
ChannelLine ParseChannelLine(std::string_view line, FreqNotation notation);
// The blanks put before a loaded frequency of this length.
std::string LoadPadding(size_t length, FreqNotation notation);

// Calls `apply` for every line of `bytes` in order, whatever it holds; lines
// end at LF, CR LF or a lone CR, the last line needs no end. A UTF-8
// byte-order mark before the first line is dropped. Which lines name a
// channel is up to `apply`.
void ForEachChannelLine(std::string_view bytes, FreqNotation notation,
                        const std::function<void(const ChannelLine&)>& apply);

// The channel a line's number field names: one or two digits with blanks
// around them ("05", "5", " 5 "), else -1.
int ChannelNumberOf(std::string_view field);

// A line the reader did not take.
struct SkippedLine {
  int line = 0;       // counted from 1
  std::string start;  // the line's start as a report quotes it: 'Location,Name,...'
  // Why, for a person: "line 3 skipped: 'Location,Name,…' does not begin
  // with a channel number 00-99 and a TAB".
  std::string report;
  // The channel the line seems to be about (its leading one or two digits,
  // "5,Name,…" or "05 14.250 USB" typed with blanks), else -1. A write from
  // the file leaves that channel alone.
  int channel = -1;
};

// The file as the reader takes it: the channel lines in file order, their
// numbers made two digits, and every other line that is not blank. A file
// with a byte-order mark is UTF-8 (an editor's "UTF-8 with BOM"): its texts
// are turned into cp1252.
struct ChannelFileLines {
  std::vector<ChannelLine> channels;
  std::vector<SkippedLine> skipped;
  std::vector<std::string> notes;  // names that cp1252 cannot hold, per line
};
ChannelFileLines ReadChannelLines(std::string_view bytes, FreqNotation notation);

// Puts every channel line into its row; other lines are skipped. Rows
// without a line keep what they held.
void ApplyChannelFile(std::string_view bytes, FreqNotation notation, ChannelTable& table);

struct ChannelFileResult {
  bool ok = false;
  // What to show: "Saved to file <path>" after a save; on failure the file
  // and the system's reason.
  std::string message;
  int lines = 0;  // lines written, or lines that named a channel on load
  // On load: the lines not taken and what else a person should know, one
  // report line each, and the channels skipped lines seem to be about.
  std::vector<std::string> report;
  std::vector<SkippedLine> skipped;
};

// The report lines of a load, at most `limit` of the skipped ones and a
// count of the rest.
std::vector<std::string> SkippedReport(const ChannelFileLines& lines, size_t limit = 10);

// Writes the table through a temporary file renamed over `path`, so a
// failed save leaves the previous file as it was. An empty table writes an
// empty file.
ChannelFileResult SaveChannelFile(const std::string& path, const ChannelTable& table,
                                  FreqNotation notation);
// Reads `path` and applies it with `setChannel` for each channel line, in
// file order. The file is only read. Nothing is applied when it cannot be
// read, or when no line of it is a channel line but some line holds
// something (a CSV or another file given by mistake): such a file is
// refused, never taken for an empty table. An empty file is an empty table.
ChannelFileResult LoadChannelFile(const std::string& path, FreqNotation notation,
                                  const std::function<void(const ChannelLine&)>& setChannel);

// The same over the main window: save reads the frequency, mode and name
// boxes; load goes through SetChannel, so the usual change reactions run.
ChannelTable TableOf(const ChannelWindow& form);
ChannelFileResult SaveChannelFile(const std::string& path, const ChannelWindow& form,
                                  FreqNotation notation);
ChannelFileResult LoadChannelFile(const std::string& path, ChannelWindow& form, FreqNotation notation);

// What the file dialogs offer.
struct FileFilter {
  std::string description;
  std::vector<std::string> patterns;
};
struct FileDialogSetup {
  std::vector<FileFilter> filters;
  std::string startFolder;  // DocumentsFolder
  // No default extension is added: the name is used as typed.
};
FileDialogSetup SaveDialogSetup(const std::string& documentsFolder);
FileDialogSetup OpenDialogSetup(const std::string& documentsFolder);

}  // namespace varnek
