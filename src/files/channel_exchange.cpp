#include "files/channel_exchange.h"

#include <csv.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdio>

#include "base/cp1252.h"
#include "window/channel_window.h"
#include "base/text.h"
#include "rig/coverage.h"
#include "rig/family.h"
#include "rig/freq.h"
#include "rig/modes.h"
#include "rig/rig_io.h"
#include "rig/kenwood.h"
#include "rig/record_schema.h"

namespace varnek {
namespace {

constexpr long long kHertzLimit = 100'000'000'000LL;  // 100 GHz: no rig here goes near it

bool DigitsOnly(std::string_view s) {
  for (char c : s)
    if (c < '0' || c > '9') return false;
  return true;
}

// Strict UTF-8: no overlong forms, no surrogates, nothing above U+10FFFF.
bool IsValidUtf8(std::string_view s) {
  size_t i = 0;
  while (i < s.size()) {
    const auto b = static_cast<unsigned char>(s[i]);
    size_t n;
    char32_t cp;
    if (b < 0x80) {
      ++i;
      continue;
    } else if ((b & 0xE0) == 0xC0) {
      n = 1;
      cp = b & 0x1F;
    } else if ((b & 0xF0) == 0xE0) {
      n = 2;
      cp = b & 0x0F;
    } else if ((b & 0xF8) == 0xF0) {
      n = 3;
      cp = b & 0x07;
    } else {
      return false;
    }
    for (size_t k = 1; k <= n; ++k) {
      if (i + k >= s.size()) return false;
      const auto c = static_cast<unsigned char>(s[i + k]);
      if ((c & 0xC0) != 0x80) return false;
      cp = (cp << 6) | (c & 0x3F);
    }
    static constexpr char32_t kMin[] = {0, 0x80, 0x800, 0x10000};
    if (cp < kMin[n] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
    i += n + 1;
  }
  return true;
}

struct CsvState {
  std::vector<CsvRecord> records;
  CsvRecord current;
  int line = 1;         // line of the chunk being fed
  int start = 1;        // line the current record starts on
  bool between = true;  // no record is open
};

void OnField(void* data, size_t length, void* context) {
  auto* state = static_cast<CsvState*>(context);
  state->current.fields.emplace_back(data ? static_cast<const char*>(data) : "", data ? length : 0);
}

void OnRecord(int, void* context) {
  auto* state = static_cast<CsvState*>(context);
  state->current.line = state->start;
  state->records.push_back(std::move(state->current));
  state->current = {};
  state->between = true;
}

// Nothing counts as a blank to libcsv: names may start or end with one, and
// the columns that must not are trimmed where they are read.
int NoSpace(unsigned char) {
  return 0;
}

}  // namespace

void ApplyImport(const ChannelImport& import, ChannelTable& table) {
  for (const ImportedChannel& c : import.channels)
    if (c.channel >= 0 && c.channel < static_cast<int>(table.size()))
      table[static_cast<size_t>(c.channel)] = {c.freq, c.mode, c.name, c.kept};
}

void ApplyImport(const ChannelImport& import, ChannelWindow& form) {
  for (const ImportedChannel& c : import.channels) {
    form.SetChannel(ChannelText(c.channel), c.freq, c.mode, c.name);
    // The file describes the whole channel: what the row kept from an
    // earlier read no longer does.
    form.SetRowKept(ChannelText(c.channel), c.kept);
  }
}

FileDialogSetup CsvDialogSetup(const std::string& documentsFolder) {
  return {{{"CSV file", {"*.csv", "*.CSV"}}}, documentsFolder};
}

bool ReadImportFile(const std::string& path, std::string& bytes, ChannelImport& failure) {
  std::string error;
  failure = {};
  // A device or pipe (/dev/zero) would be read forever, a huge file whole
  // into memory: both are refused before reading.
  struct stat st {};
  if (::stat(path.c_str(), &st) == 0) {
    if (!S_ISREG(st.st_mode) && !S_ISDIR(st.st_mode)) {
      failure.message = "Could not load file " + path + ": not a regular file";
      return false;
    }
    if (S_ISREG(st.st_mode) && static_cast<unsigned long long>(st.st_size) > kImportFileLimit) {
      failure.message = "Could not load file " + path + ": larger than " +
                        std::to_string(kImportFileLimit >> 20) + " MB, no channel list";
      return false;
    }
  }
  switch (ReadWholeFile(path, bytes, &error)) {
    case ReadStatus::Missing:
      failure.message = "Could not load file " + path + ": No such file or directory";
      return false;
    case ReadStatus::Failed:
      failure.message = "Could not load file " + error;
      return false;
    case ReadStatus::Ok:
      break;
  }
  if (bytes.size() > kImportFileLimit) {
    failure.message = "Could not load file " + path + ": larger than " +
                      std::to_string(kImportFileLimit >> 20) + " MB, no channel list";
    bytes.clear();
    return false;
  }
  return true;
}

ChannelExport WriteExport(const std::string& path, ChannelExport result) {
  const FileResult written = WriteFileAtomically(path, result.bytes);
  result.ok = written.ok;
  result.message =
      written.ok ? "Saved to file " + path : "Could not save to file " + written.message;
  return result;
}

void DescribeImport(const std::string& path, ChannelImport& import) {
  if (!import.ok) {
    import.message = "Could not load file " + path + ": " + import.message;
    return;
  }
  const size_t n = import.channels.size();
  import.message = std::to_string(n) + (n == 1 ? " channel from " : " channels from ") + path;
}

size_t RigNameLength(std::string_view modelCode) {
  const RecordSchema* schema = SchemaOf(modelCode);
  return schema ? schema->nameLength : 0;
}

bool TableFreqHertz(std::string_view text, long long& hertz) {
  const std::optional<long long> value = FreqHertz(text);
  if (!value || *value <= 0 || *value >= kHertzLimit) return false;
  hertz = *value;
  return true;
}

bool DecimalHertz(std::string_view text, int decimals, long long& hertz, std::string& why) {
  const std::string t = Trim(text);
  const auto point = t.find('.');
  const std::string whole = t.substr(0, point);
  const std::string fraction = point == std::string::npos ? "" : t.substr(point + 1);
  if (whole.empty() && fraction.empty()) {
    why = "is not a number";
    return false;
  }
  if (!DigitsOnly(whole) || !DigitsOnly(fraction) ||
      (point != std::string::npos && whole.empty())) {
    why = "is not a number";
    return false;
  }
  const size_t significant = whole.find_first_not_of('0');
  if (significant != std::string::npos && whole.size() - significant > 12) {
    why = "is out of range";
    return false;
  }
  for (size_t i = static_cast<size_t>(decimals); i < fraction.size(); ++i)
    if (fraction[i] != '0') {
      why = "is finer than 1 Hz";
      return false;
    }
  long long value = 0;
  for (char c : whole)
    value = value * 10 + (c - '0');
  for (int i = 0; i < decimals; ++i)
    value = value * 10 + (static_cast<size_t>(i) < fraction.size() ? fraction[i] - '0' : 0);
  if (value >= kHertzLimit) {
    why = "is out of range";
    return false;
  }
  hertz = value;
  return true;
}

std::string HertzText(long long hertz, int decimals) {
  std::string digits = std::to_string(hertz);
  if (decimals <= 0) return digits;
  const auto d = static_cast<size_t>(decimals);
  if (digits.size() <= d) digits.insert(0, d + 1 - digits.size(), '0');
  digits.insert(digits.size() - d, ".");
  return digits;
}

std::string ImportedName(std::string_view text, size_t maxLength, std::vector<std::string>& notes,
                         std::string_view modelCode) {
  std::string name;
  if (IsValidUtf8(text)) {
    bool lossy = false;
    name = Utf8ToCp1252(text, &lossy);
    if (lossy) notes.push_back("characters cp1252 cannot hold became '?'");
  } else {
    name = std::string(text);  // already 8-bit text, taken as cp1252
  }
  // A TAB or line end would split the channel file's line; no control
  // character belongs on a rig's display.
  bool controls = false;
  for (char& c : name)
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) {
      c = ' ';
      controls = true;
    }
  if (controls) notes.push_back("control characters became blanks");
  if (maxLength > 0 && name.size() > maxLength) {
    notes.push_back("name cut to the rig's " + std::to_string(maxLength) + " characters");
    name.resize(maxLength);
  }
  const std::string bad = NameCharactersRigCannotHold(name, modelCode);
  if (!bad.empty()) {
    std::string shown;
    for (const char c : bad)
      shown += std::string(shown.empty() ? "" : " ") + c;
    notes.push_back("characters the " + std::string(modelCode) + " cannot hold (" + shown +
                    "); the channel is not written until they are changed");
  }
  return name;
}

namespace {

bool RigHasModeCode(RigFamily family, const std::string& mode, long long hertz,
                    std::string_view code) {
  switch (family) {
    case RigFamily::Kenwood:
    case RigFamily::Ft2000:
      return !KenwoodModeCode(rigops::ModeToSend(mode), code).empty();
    case RigFamily::Icom:
      return !IcomModeCode(mode, code).empty();
    case RigFamily::Yaesu: {
      const std::string c = YaesuModeCode(mode, hertz < 10000000, code);
      return !c.empty() && c != "?";
    }
    case RigFamily::None:
      break;
  }
  return true;
}

}  // namespace

void ReportNotCarried(const std::vector<std::string>& what, const std::string& number,
                      const std::string& model, const std::string& format,
                      std::vector<std::string>& report) {
  if (what.empty()) return;
  std::string list;
  for (const std::string& w : what)
    list += (list.empty() ? "" : ", ") + w;
  report.push_back("channel " + number + ": " + list + " of the " + model + " not carried by " +
                   format);
}

void KeepExtras(const MemoryExtras& extras, std::string_view modelCode, const std::string& at,
                ImportedChannel& ch, ImportReport& report) {
  if (extras.Plain()) return;
  const std::string number = ChannelText(ch.channel);
  if (!HasExtras(modelCode)) {
    report.Add(at + "tone, shift and skip are not kept for " +
               (modelCode.empty() ? std::string("this rig") : "the " + std::string(modelCode)) +
               "; channel " + number + " holds frequency, mode and name");
    return;
  }
  std::vector<std::string> notHeld, none;
  ch.kept = KeptFor(extras, modelCode, notHeld);
  // Nothing the rig could hold: the row stays one typed by hand.
  if (ch.kept == KeptFor(MemoryExtras{}, modelCode, none)) ch.kept = {};
  for (const std::string& why : notHeld)
    report.Add(at + why + "; not kept for channel " + number);
}

std::vector<std::string> RigWillRefuse(const ImportedChannel& channel, std::string_view modelCode) {
  std::vector<std::string> lines;
  const RigFamily family = FamilyOf(modelCode);
  if (family == RigFamily::None) return lines;
  const std::string model(modelCode);
  const std::string number = ChannelText(channel.channel);
  // The table's row 00 serves only the Kenwoods.
  if (channel.channel == 0 && !HasChannel00(model))
    lines.push_back("the " + model + " has no channel 00; row 00 is never written to it");
  const std::optional<long long> read = FreqHertz(channel.freq);
  if (!read) return lines;
  const long long hertz = *read;
  const Coverage coverage = CoverageOf(modelCode);
  if (!Covers(coverage, hertz))
    lines.push_back("frequency " + Trim(channel.freq) + " is outside what the " + model +
                    " can store (" + DescribeRanges(coverage) + "); a save refuses channel " +
                    number);
  if (!channel.mode.empty() && !RigHasModeCode(family, channel.mode, hertz, modelCode))
    lines.push_back("mode " + channel.mode + " is not one the " + model +
                    " stores; a save refuses channel " + number);
  return lines;
}

std::string ReportText(std::string_view text) {
  std::vector<std::string> ignored;
  // Cut where no UTF-8 sequence is split, or the rest would read as cp1252.
  size_t end = std::min<size_t>(text.size(), 160);
  while (end < text.size() && end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80)
    --end;
  std::string t = ImportedName(text.substr(0, end), 0, ignored);
  if (t.size() > 40) t = t.substr(0, 37) + "...";
  return t;
}

void ImportReport::Add(std::string line) {
  if (lines_.size() < limit_)
    lines_.push_back(std::move(line));
  else
    ++dropped_;
}

void ImportReport::Finish() {
  if (dropped_ > 0) lines_.push_back("... and " + std::to_string(dropped_) + " more");
  dropped_ = 0;
}

std::vector<CsvRecord> ReadCsvRecords(std::string_view bytes, char delimiter, std::string* error) {
  csv_parser parser;
  CsvState state;
  if (csv_init(&parser, 0) != 0) {
    if (error) *error = "out of memory";
    return {};
  }
  csv_set_delim(&parser, static_cast<unsigned char>(delimiter));
  csv_set_space_func(&parser, NoSpace);
  // libcsv grows a field's buffer by this much at a time. With its default
  // of 128 bytes a quote that is never closed (the rest of the file becomes
  // one field) costs a reallocation every 128 bytes, each copying the
  // field where the allocator cannot grow it in place: minutes for a few
  // megabytes.
  csv_set_blk_size(&parser, 64 * 1024);
  // Fed a line at a time, so that each record knows the line it starts on.
  size_t pos = 0;
  bool failed = false;
  while (pos < bytes.size() && !failed) {
    auto end = bytes.find('\n', pos);
    end = end == std::string_view::npos ? bytes.size() : end + 1;
    const size_t length = end - pos;
    // libcsv skips blank lines; any other line fed between records opens one.
    const std::string_view chunk = bytes.substr(pos, length);
    if (state.between && chunk.find_first_not_of("\r\n") != std::string_view::npos) {
      state.start = state.line;
      state.between = false;
    }
    if (csv_parse(&parser, bytes.data() + pos, length, OnField, OnRecord, &state) != length)
      failed = true;
    pos = end;
    ++state.line;
  }
  if (failed) {
    if (error) *error = csv_strerror(csv_error(&parser));
  } else {
    csv_fini(&parser, OnField, OnRecord, &state);
  }
  csv_free(&parser);
  return std::move(state.records);
}

std::string CsvField(std::string_view text, char delimiter) {
  const bool quote =
      text.find_first_of(std::string{delimiter, '"', '\r', '\n'}) != std::string_view::npos ||
      (!text.empty() && (text.front() == ' ' || text.back() == ' '));
  if (!quote) return std::string(text);
  std::string out(text.size() * 2 + 2, '\0');
  out.resize(csv_write(out.data(), out.size(), text.data(), text.size()));
  return out;
}

std::string CsvKey(std::string_view header) {
  std::string k = Trim(header);
  for (char& c : k)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return k;
}

ChannelImport ImportFile(const std::string& path, std::string_view modelCode,
                         ChannelImport (*parse)(std::string_view bytes, std::string_view model)) {
  std::string bytes;
  ChannelImport result;
  if (!ReadImportFile(path, bytes, result)) return result;
  result = parse(bytes, modelCode);
  DescribeImport(path, result);
  return result;
}

}  // namespace varnek
