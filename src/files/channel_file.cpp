#include "files/channel_file.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

#include "base/cp1252.h"
#include "base/text.h"
#include "rig/freq.h"
#include "rig/kenwood.h"
#include "window/channel_window.h"

namespace varnek {
namespace {

void ReplaceFirst(std::string& s, char from, char to) {
  const auto p = s.find(from);
  if (p != std::string::npos) s[p] = to;
}

// Kilohertz with at most two decimals and a point: 14.267.000 gives
// 14267.00, 7.050 gives 7.05; texts without three decimals stay as they are.
std::string KilohertzWithPoint(std::string s) {
  ReplaceFirst(s, ',', '.');
  const auto first = s.find('.');
  if (first == std::string::npos) return s;
  const auto second = s.find('.', first + 1);
  if (second != std::string::npos) {
    // MHz.kHz.Hz: the first point goes; a fourth piece and beyond are
    // dropped with their points.
    const auto third = s.find('.', second + 1);
    const std::string tail =
        s.substr(second + 1, third == std::string::npos ? std::string::npos : third - second - 1);
    s = s.substr(0, first) + s.substr(first + 1, second - first - 1) + "." + tail;
  }
  const auto point = s.find('.');
  const std::string head = s.substr(0, point);
  const std::string tail = s.substr(point + 1);  // no second point is left
  if (tail.size() == 3) return head + "." + tail.substr(0, 2);
  return s;
}

ChannelFileResult Failure(const std::string& what, const std::string& detail) {
  return {false, what + detail, 0};
}

// Kilohertz with two decimals from the text's frequency where the cut of
// KilohertzWithPoint would name another one ("7.050" became "7.05", which
// reads as 7.05 MHz only by luck; 999 kHz as ".999.000" became "999.00",
// 999 MHz). Below 1000 kHz a leading zero keeps the text in kHz.
std::string KilohertzText(std::string_view freq) {
  const std::string cut = KilohertzWithPoint(std::string(freq));
  const std::optional<long long> hz = FreqHertz(freq);
  if (!hz) return cut;
  const std::optional<long long> cutHz = FreqHertz(cut);
  if (cutHz && *cutHz / 10 == *hz / 10) return cut;
  char text[32];
  std::snprintf(text, sizeof text, "%04lld.%02lld", *hz / 1000, *hz % 1000 / 10);
  return text;
}

}  // namespace

std::string FreqForFile(std::string_view freq, FreqNotation notation) {
  switch (notation) {
    case FreqNotation::TwoPoints:
      return std::string(freq);
    case FreqNotation::Point:
      return KilohertzText(freq);
    case FreqNotation::Comma: {
      std::string s = KilohertzText(freq);
      ReplaceFirst(s, '.', ',');
      return s;
    }
  }
  return std::string(freq);
}

namespace {

// A TAB or line break inside a field would split the line into other fields
// or another line, and the row would come back broken: they are saved as
// blanks.
std::string Field(std::string text) {
  for (char& c : text)
    if (c == '\t' || c == '\r' || c == '\n') c = ' ';
  return text;
}

}  // namespace

std::string ChannelLineText(int number, const ChannelRow& row, FreqNotation notation) {
  const std::string freq = Trim(row.freq);
  std::string out = ChannelText(number);
  out += '\t';
  out += Field(freq.empty() ? freq : FreqForFile(freq, notation));
  out += '\t';
  out += Field(Trim(row.mode));
  out += '\t';
  out += Field(row.name);
  const std::string kept = KeptFieldsText(row.kept);
  if (!kept.empty()) out += '\t' + Field(kept);
  out += "\r\n";
  return out;
}

std::string ChannelFileText(const ChannelTable& table, FreqNotation notation) {
  std::string out;
  for (size_t n = 0; n < table.size(); ++n) {
    if (Trim(table[n].freq).empty()) continue;
    // Fields as a row typed by hand writes them stay out of the file: its
    // lines keep the four fields scripts and older programs know, unless
    // there is something to carry. Anything else is carried, shown in the
    // hint or not: a tone number stored with the tone off is the rig's
    // too, and a write back must not lose it.
    ChannelRow row = table[n];
    if (row.kept.tx.empty() && row.kept.fields == HandTypedKept(row.kept.model)) row.kept = {};
    out += ChannelLineText(static_cast<int>(n), row, notation);
  }
  return out;
}

std::string LoadPadding(size_t length, FreqNotation notation) {
  if (notation == FreqNotation::TwoPoints) {
    if (length == 8) return "     ";
    if (length == 9) return "    ";
    if (length == 10) return "  ";
    return {};
  }
  if (length == 7) return "    ";
  if (length == 8) return "  ";
  return {};
}

ChannelLine ParseChannelLine(std::string_view line, FreqNotation notation) {
  // Field i is the text between TAB i-1 and TAB i; the fourth ends at a
  // fourth TAB, so anything after it is not part of the name.
  std::string_view fields[5];
  std::string_view rest = line;
  bool more = true;
  for (auto& f : fields) {
    if (!more) break;
    const auto tab = rest.find('\t');
    f = rest.substr(0, tab);
    if (tab == std::string_view::npos)
      more = false;
    else
      rest.remove_prefix(tab + 1);
  }
  ChannelLine c;
  c.number = std::string(fields[0]);
  std::string freq = Trim(fields[1]);
  // The parsers once stored frequencies below 1 MHz without their MHz digit
  // (".999.000"); such a file still means 999 kHz.
  if (freq.size() > 1 && freq[0] == '.' && std::count(freq.begin(), freq.end(), '.') == 2)
    freq = "0" + freq;
  c.freq = LoadPadding(freq.size(), notation) + freq;
  c.mode = std::string(fields[2]);
  c.name = std::string(fields[3]);
  c.kept = KeptFieldsFromText(fields[4]).value_or(KeptFields{});
  return c;
}

namespace {

constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

// The start of a line as a report quotes it: printable ASCII, anything
// else as '?' (the line may be binary), cut after 30 characters.
std::string Quoted(std::string_view line) {
  std::string out = "'";
  for (size_t i = 0; i < line.size() && i < 30; ++i) {
    const char c = line[i];
    out += c == '\t' ? ' ' : (c < ' ' || c > '~') ? '?' : c;
  }
  return out + (line.size() > 30 ? "...'" : "'");
}

// The leading one or two digits of a line that is not a channel line, as
// the channel it was probably meant for.
int SeemingChannel(std::string_view line) {
  size_t i = 0;
  while (i < line.size() && line[i] == ' ')
    ++i;
  size_t digits = 0;
  while (i + digits < line.size() && IsDigit(line[i + digits]))
    ++digits;
  if (digits == 0 || digits > 2) return -1;
  if (i + digits < line.size() && std::isalpha(static_cast<unsigned char>(line[i + digits])))
    return -1;  // "5th", "1a"
  return ChannelNumberOf(line.substr(i, digits));
}

}  // namespace

int ChannelNumberOf(std::string_view field) {
  const std::string number = Trim(field);
  if (number.empty() || number.size() > 2 || !IsAllDigits(number)) return -1;
  for (char c : field)  // blanks around the digits, nothing else
    if (!IsDigit(c) && c != ' ') return -1;
  return std::stoi(number);
}

void ForEachChannelLine(std::string_view bytes, FreqNotation notation,
                        const std::function<void(const ChannelLine&)>& apply) {
  if (bytes.starts_with(kUtf8Mark)) bytes.remove_prefix(kUtf8Mark.size());
  // With a lone CR taken for no line end, the first row's name swallowed
  // the whole rest of a file from an old Mac.
  ForEachLine(bytes, [&](int, std::string_view text) { apply(ParseChannelLine(text, notation)); });
}

ChannelFileLines ReadChannelLines(std::string_view bytes, FreqNotation notation) {
  ChannelFileLines out;
  const bool utf8 = bytes.starts_with(kUtf8Mark);
  if (utf8) bytes.remove_prefix(kUtf8Mark.size());
  ForEachLine(bytes, [&](int number, std::string_view text) {
    ChannelLine line = ParseChannelLine(text, notation);
    const int channel = ChannelNumberOf(line.number);
    // A channel line has its number and at least one TAB after it: a lone
    // number is as likely a stray line of another file as a channel.
    if (channel >= 0 && text.find('\t') != std::string_view::npos) {
      line.number = ChannelText(channel);
      if (utf8) {
        bool lossy = false;
        line.name = Utf8ToCp1252(line.name, &lossy);
        line.mode = Utf8ToCp1252(line.mode, &lossy);
        if (lossy)
          out.notes.push_back("line " + std::to_string(number) + " (channel " + line.number +
                              "): characters the file's UTF-8 holds and Windows Latin does "
                              "not became '?'");
      }
      out.channels.push_back(std::move(line));
    } else if (!Trim(text).empty() && !text.starts_with('#')) {
      // A line that starts with '#' is a comment (a backup's first line
      // says which rig and when); anything else is reported.
      const std::string field = Trim(line.number);
      std::string why;
      if (channel >= 0)
        why = "a channel number without the TAB-separated fields after it";
      else if (!field.empty() && IsAllDigits(field) && field.size() <= 3)
        why = "channel number " + field + " is not one of 00-99";
      else
        why = "does not begin with a channel number 00-99 and a TAB";
      const std::string start = Quoted(text);
      out.skipped.push_back({number, start,
                             "line " + std::to_string(number) + " skipped: " + start + " " +
                                 (why.starts_with("does") ? why : "(" + why + ")"),
                             channel >= 0 ? channel : SeemingChannel(text)});
    }
  });
  return out;
}

std::vector<std::string> SkippedReport(const ChannelFileLines& lines, size_t limit) {
  std::vector<std::string> out;
  for (size_t i = 0; i < lines.skipped.size() && i < limit; ++i)
    out.push_back(lines.skipped[i].report);
  if (lines.skipped.size() > limit)
    out.push_back("and " + std::to_string(lines.skipped.size() - limit) + " more lines skipped");
  out.insert(out.end(), lines.notes.begin(), lines.notes.end());
  return out;
}

void ApplyChannelFile(std::string_view bytes, FreqNotation notation, ChannelTable& table) {
  for (const ChannelLine& c : ReadChannelLines(bytes, notation).channels)
    table[static_cast<size_t>(ChannelIndexOf(c.number))] = {c.freq, c.mode, c.name, c.kept};
}

ChannelFileResult SaveChannelFile(const std::string& path, const ChannelTable& table,
                                  FreqNotation notation) {
  const std::string text = ChannelFileText(table, notation);
  const FileResult written = WriteFileAtomically(path, text);
  if (!written.ok) return Failure("Could not save to file ", written.message);
  int lines = 0;
  for (char c : text)
    lines += c == '\n';
  return {true, "Saved to file " + path, lines};
}

ChannelFileResult LoadChannelFile(const std::string& path, FreqNotation notation,
                                  const std::function<void(const ChannelLine&)>& setChannel) {
  std::string bytes, error;
  switch (ReadWholeFile(path, bytes, &error)) {
    case ReadStatus::Missing:
      return Failure("Could not load file ", path + ": No such file or directory");
    case ReadStatus::Failed:
      return Failure("Could not load file ", error);
    case ReadStatus::Ok:
      break;
  }
  const ChannelFileLines lines = ReadChannelLines(bytes, notation);
  if (lines.channels.empty() && !lines.skipped.empty())
    return Failure("Not a channel file: ",
                   path + ": no line begins with a channel number 00-99 and a TAB (line " +
                       std::to_string(lines.skipped.front().line) + ": " +
                       lines.skipped.front().start + ")");
  ChannelFileResult r{true, {}, static_cast<int>(lines.channels.size())};
  r.report = SkippedReport(lines);
  r.skipped = lines.skipped;
  for (const ChannelLine& c : lines.channels)
    setChannel(c);
  return r;
}

ChannelTable TableOf(const ChannelWindow& form) {
  ChannelTable t;
  for (size_t n = 0; n < t.size(); ++n)
    t[n] = {form.RowFreq(n), form.RowMode(n), form.RowName(n), form.RowKept(n)};
  return t;
}

ChannelFileResult SaveChannelFile(const std::string& path, const ChannelWindow& form,
                                  FreqNotation notation) {
  return SaveChannelFile(path, TableOf(form), notation);
}

ChannelFileResult LoadChannelFile(const std::string& path, ChannelWindow& form, FreqNotation notation) {
  return LoadChannelFile(path, notation, [&](const ChannelLine& c) {
    form.SetChannel(c.number, c.freq, c.mode, c.name);
    form.SetRowKept(c.number, c.kept);
  });
}

FileDialogSetup SaveDialogSetup(const std::string& documentsFolder) {
  return {{{"Text file", {"*.TXT"}}}, documentsFolder};
}

FileDialogSetup OpenDialogSetup(const std::string& documentsFolder) {
  return {{{"Text files", {"*.txt", "*.TXT", "*.ini", "*.INI"}}}, documentsFolder};
}

}  // namespace varnek
