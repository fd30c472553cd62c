#include "cli/options.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <cctype>
#include <filesystem>

#include "base/text.h"
#include "cli/console.h"
#include "settings/rig_settings.h"
#include "update/version.h"

namespace varnek::cli {
namespace {

bool AllDigits(std::string_view s) {
  return !s.empty() && std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// "COM1".."COM25" (any letter case) as the list spells it.
std::optional<std::string> PortName(const std::string& text) {
  const std::string upper = UpperCase(text);
  if (!StartsWith(upper, "COM") || !AllDigits(std::string_view(upper).substr(3)))
    return std::nullopt;
  return upper;
}

}  // namespace

const char* const kFooter = R"(Command lines:
  read CHANNELS              load run over CHANNELS (e.g. 1-10,15,90-99); then print the table
  write CHANNELS [--verify] [--changed-only]
                             save run over CHANNELS of the --table file; --verify reads the
                             written channels back and compares them with the table;
                             --changed-only compares first and writes only the channels
                             the rig does not hold as the table has them
  diff CHANNELS              compare CHANNELS of the --table file with the rig (read as
                             the read-back reads, the table untouched); one line per
                             channel that differs or got no answer on standard output;
                             status 0 the same, 1 something differs, 4 no answer
  clear CHANNELS [--yes]     clear run; asks on a terminal unless --yes, refuses without a
                             terminal unless --yes
  click NN [--to-rig]        one channel click; --to-rig checks "Click to Rig" first (the row
                             needs a frequency from --table); then print the table
  vfo-a | memory             the single commands
  send [--worm] [--add-lf] [--wait MS] LINE...
                             the terminal's send of up to four lines, then wait MS (default
                             1000) and print the transcript
  rigs                       list the rig selection texts
  import FILE --format chirp|rigmem
                             a CHIRP or Hamlib rigmem CSV file into the table given with
                             --table (default: an empty table); the table goes to --out or
                             standard output, what was not taken to standard error
  export FILE --format chirp|rigmem
                             the --table file as a CHIRP or Hamlib rigmem CSV file; what the
                             format cannot hold is listed on standard error
  restore FILE|last          write a backup (made with --backup on) back to the rig: its
                             channels as they were, the empty ones cleared

Channels are 00 to 99; 00 exists only on the Kenwood TS rigs (a range such
as 0-99 skips it on the others). A checked row without a frequency: on the
Kenwood TS rigs and the FT-2000, write empties that channel in the rig; on
CI-V and the five-byte Yaesus (FT-1000, FT-920), which store a channel from
the VFO, write refuses it (use clear). Frequencies: kHz (14250, 14250.5), MHz
(14.25) or MHz.kHz.Hz (14.250.000); a row whose frequency is none of these,
reads two ways on the rig (1296.2 on a TS-2000) or lies outside what the rig
stores is refused by name, and write ends with 1. The table is
written as a channel file (number, frequency, mode and name separated by TAB,
CR LF line ends) to --out or standard output; write, clear, vfo-a and memory
write it only when --out is given.

Settings: options not given take the values the rig's saved settings give
(settings.ini in the settings folder, or in --settings-dir DIR), as the GUI
would; options given win over them, and --port survives the reset and the rig
change that selecting --rig runs. settings.ini is read, never written.
terminal.ini is left alone unless --settings-dir names a folder of its own;
there it is treated as the GUI does (deleted at start, the save run's log).

The rig's answers arrive after the request that asked for them: after its
command varnek-cli goes on taking and parsing what the rig sends until the
line has been quiet for --settle MS, and only then prints.

Progress (the channel in transfer, n of m) goes to standard error when it is
a terminal. Ctrl-C is "Stop": the run ends at its next stop point (a second
Ctrl-C ends the program at once).

Exit status:
  0  success
  1  a transfer ended by an error, or was stopped (the message on standard error)
  2  usage error (with the usage text)
  3  the port cannot be opened (with the reason; for a permission error, how to
     join the group that owns the device, typically dialout)
  4  the run finished, but some channels got no answer from the rig (listed on
     standard error): reads that nothing answered, and with --wait-for-answers
     on, writes and clears whose sync query went unanswered; a CI-V rig that
     acknowledged nothing of a write, clear, vfo-a or memory (off, or another
     address). The Kenwoods, the FT-2000 and the five-byte Yaesus answer no
     memory write: a write there is only confirmed by --verify (or, on the
     ASCII rigs, --wait-for-answers on), and standard error says so.
)";

// The intervals are milliseconds; a day is more than any rig needs.
const CLI::Range kMs(0, 86400000);

void AddOptions(CLI::App& app, Options& o) {
  // "NAME VERSION" on one line is what help2man reads for the manual page.
  app.set_version_flag("--version", "varnek-cli " + ProgramVersion(), "print the version and exit");
  o.oRig = app.add_option("--rig", o.rig,
                          "rig selection text, as in the GUI's list (\"Kenwood TS-570\", "
                          "\"Icom IC-CI-V\", \"Yaesu FT-920\", ...; see the rigs command)");
  o.oPort = app.add_option("--port", o.port,
                           "COM1..COM25, a device path, or a bare name: a file of that name in "
                           "the current folder, else the device /dev/NAME")
                ->type_name("DEVICE");
  o.oBaud = app.add_option("--baud", o.baud, "baud rate, one of the settings dialog's list")
                ->type_name("N");
  o.oData = app.add_option("--data-bits", o.dataBits, "data bits")
                ->type_name("N")
                ->check(CLI::Range(4, 8));
  o.oStop = app.add_option("--stop-bits", o.stopBits, "stop bits")->check(CLI::IsMember(kStopBits));
  o.oParity = app.add_option("--parity", o.parity, "parity")->check(CLI::IsMember(kParities));
  o.oFlow = app.add_option("--flow", o.flow, "flow control")->check(CLI::IsMember(kFlows));
  o.oDtr = app.add_option("--dtr", o.dtr, "DTR line")->check(CLI::IsMember({"on", "off"}));
  o.oRts = app.add_option("--rts", o.rts, "RTS line")->check(CLI::IsMember({"on", "off"}));
  o.oAddress = app.add_option("--address", o.address, "CI-V address (two hex digits)")
                   ->type_name("HH")
                   ->check(CLI::Validator(
                       [](std::string& v) -> std::string {
                         if (v.size() == 2 && std::isxdigit(static_cast<unsigned char>(v[0])) &&
                             std::isxdigit(static_cast<unsigned char>(v[1])))
                           return {};
                         return "the CI-V address is two hex digits, e.g. 5C";
                       },
                       "HH"));
  o.oChannel =
      app.add_option("--channel-interval", o.channelInterval, "pause per channel in a run (ms)")
          ->type_name("MS")
          ->check(kMs);
  o.oCommand = app.add_option("--command-interval", o.commandInterval,
                              "pause between the commands of one channel (ms)")
                   ->type_name("MS")
                   ->check(kMs);
  o.oLoop =
      app.add_option("--loop-wait", o.loopWait, "Icom loop wait (ms)")->type_name("MS")->check(kMs);
  o.oWaitAnswers = app.add_option("--wait-for-answers", o.waitAnswers,
                                  "on: every request waits for the rig's answer instead of a "
                                  "fixed pause, the channel interval is the longest wait (default: "
                                  "the rig's saved \"Wait for answers\")")
                       ->check(CLI::IsMember({"on", "off"}));
  o.oBackup = app.add_option("--backup", o.backup,
                             "on: before a write or clear changes the rig, read the channels it "
                             "changes and keep them as a channel file; its path goes to standard "
                             "error (default: the rig's saved \"Back up before writing\")")
                  ->check(CLI::IsMember({"on", "off"}));
  o.oBackupDir = app.add_option("--backup-dir", o.backupDir,
                                "where backups go and restore last looks (default: the "
                                "documents folder's backups)")
                     ->type_name("DIR");
  o.oNotation = app.add_option("--notation", o.notation,
                               "frequency notation of channel files: points 14.267.000, "
                               "point 14267.00, comma 14267,00")
                    ->check(CLI::IsMember(kNotations));
  o.oTable =
      app.add_option("--table", o.table, "start from this channel file (default: an empty table)")
          ->type_name("FILE")
          ->check(CLI::ExistingFile);
  o.oOut = app.add_option("--out", o.out,
                          "write the resulting table as a channel file here (default: standard "
                          "output)")
               ->type_name("FILE");
  o.oTranscript = app.add_option("--transcript", o.transcript,
                                 "write the answer transcript (the terminal memo) here at the end")
                      ->type_name("FILE");
  o.oSettings = app.add_option("--settings-dir", o.settingsDir,
                               "read and write settings.ini and terminal.ini in DIR")
                    ->type_name("DIR")
                    ->check([](const std::string& dir) -> std::string {
                      // Made when missing, as the GUI makes its settings folder.
                      std::error_code ec;
                      std::filesystem::create_directories(dir, ec);
                      if (std::filesystem::is_directory(dir, ec)) return {};
                      return "cannot make the folder " + dir + (ec ? ": " + ec.message() : "");
                    });
  app.add_option("--settle", o.settle,
                 "after the command, wait until the line has been quiet this long (ms)")
      ->type_name("MS")
      ->check(kMs)
      ->capture_default_str();
}

void AddCommands(CLI::App& app, Options& o) {
  CLI::App* read = app.add_subcommand("read", "load run over CHANNELS; then print the table");
  read->add_option("CHANNELS", o.channels, "e.g. 1-10,15,90-99")->required();
  CLI::App* write = app.add_subcommand("write", "save run over CHANNELS of the --table file");
  write->add_option("CHANNELS", o.channels, "e.g. 1-10,15,90-99")->required();
  write->add_flag("--verify", o.verify,
                  "read every written channel back and compare it with the table (as the "
                  "rig's \"Verify after write\"); differences give exit status 1");
  write->add_flag("--changed-only", o.changedOnly,
                  "compare the channels with the rig first and write only those that differ");
  CLI::App* diff = app.add_subcommand(
      "diff", "compare CHANNELS of the --table file with the rig; print the differences");
  diff->add_option("CHANNELS", o.channels, "e.g. 1-10,15,90-99")->required();
  CLI::App* clear = app.add_subcommand(
      "clear",
      "clear run; asks on a terminal unless --yes, refuses without a terminal unless --yes");
  clear->add_option("CHANNELS", o.channels, "e.g. 1-10,15,90-99")->required();
  clear->add_flag("--yes,-y", o.yes, "clear without asking");
  CLI::App* click = app.add_subcommand("click", "one channel click; then print the table");
  click->add_option("NN", o.click, "the channel, 00 to 99")->required();
  click->add_flag("--to-rig", o.toRig, "check \"Click to Rig\" first: write the row to the rig");
  app.add_subcommand("vfo-a", "switch the rig to VFO A");
  app.add_subcommand("memory", "switch the rig to memory mode");
  CLI::App* send = app.add_subcommand(
      "send", "the terminal's send of up to four lines, then wait and print the transcript");
  send->add_flag("--worm", o.worm, "send the lines joined as one (\"as Worm\")");
  send->add_flag("--add-lf", o.addLf, "CR LF after each line");
  send->add_option("--wait", o.waitMs, "wait this long for the answers (ms)")
      ->type_name("MS")
      ->check(kMs)
      ->capture_default_str();
  send->add_option("LINE", o.lines, "up to four command lines")->required();
  app.add_subcommand("rigs", "list the rig selection texts");
  const std::vector<std::string> formats = {"chirp", "rigmem"};
  CLI::App* import = app.add_subcommand(
      "import", "a CHIRP or Hamlib rigmem CSV file into the table (of --table); print it");
  import->add_option("FILE", o.file, "the CSV file")->required();
  import->add_option("--format", o.format, "chirp or rigmem")
      ->required()
      ->check(CLI::IsMember(formats));
  CLI::App* exportCmd =
      app.add_subcommand("export", "the --table file as a CHIRP or Hamlib rigmem CSV file");
  exportCmd->add_option("FILE", o.file, "the CSV file to write")->required();
  exportCmd->add_option("--format", o.format, "chirp or rigmem")
      ->required()
      ->check(CLI::IsMember(formats));
  CLI::App* restore = app.add_subcommand(
      "restore", "write a backup back to the rig; its empty channels are cleared");
  restore->add_option("FILE", o.file, "a backup file, or last for the rig's newest")->required();

}

struct VerbName {
  Verb verb;
  const char* name;
};
constexpr VerbName kVerbs[] = {
    {Verb::Read, "read"},     {Verb::Write, "write"},   {Verb::Clear, "clear"},
    {Verb::Click, "click"},   {Verb::VfoA, "vfo-a"},    {Verb::Memory, "memory"},
    {Verb::Send, "send"},     {Verb::Rigs, "rigs"},     {Verb::Import, "import"},
    {Verb::Export, "export"}, {Verb::Restore, "restore"}, {Verb::Diff, "diff"},
};

Verb VerbOf(const std::string& name) {
  for (const VerbName& v : kVerbs)
    if (name == v.name) return v.verb;
  throw UsageError{"unknown command " + name};
}

const char* NameOf(Verb verb) {
  for (const VerbName& v : kVerbs)
    if (v.verb == verb) return v.name;
  return "";
}

// A load, save, clear or compare run over a channel list.
bool IsRun(Verb v) {
  return v == Verb::Read || v == Verb::Write || v == Verb::Clear || v == Verb::Diff;
}

// The rig list's own spelling of a selection; letter case does not matter.
std::optional<std::string> RigSelection(const std::string& text) {
  for (const std::string& rig : RigList())
    if (Lower(rig) == Lower(Trim(text))) return rig;
  return std::nullopt;
}

// The refusal of a --rig text that is not in the list, with the list.
UsageError UnknownRig(const std::string& text) {
  std::string all;
  for (const std::string& rig : RigList())
    all += (all.empty() ? "" : ", ") + rig;
  return UsageError{"--rig: \"" + text + "\" is not in the rig list; the rigs are: " + all};
}

PortChoice ResolvePortOption(const std::string& text) {
  if (text.empty()) throw UsageError{"--port: empty device"};
  if (auto name = PortName(text)) {
    if (ItemPosition(PortItems(), *name) < 0)
      throw UsageError{"--port: " + text + " is not one of COM1..COM25"};
    return {*name, {}};
  }
  if (text[0] == '/') return {{}, text};
  // A bare name that names nothing here is a device under /dev ("ttyUSB0");
  // one that exists in the current folder (a simulator's link) is that file.
  std::error_code ec;
  if (text.find('/') == std::string::npos && !std::filesystem::exists(text, ec))
    return {{}, "/dev/" + text};
  return {{}, std::filesystem::absolute(text).lexically_normal().string()};
}

int BaudPosition(int baud) {
  // The list's 115000 is set as 115200, so that is the value to give.
  const std::string text = baud == 115200 ? std::string("115000") : IntToStr(baud);
  if (baud == 115000) return -1;
  return ItemPosition(BaudItems(), text);
}

int Position(const std::vector<std::string>& names, const std::string& value) {
  return static_cast<int>(std::find(names.begin(), names.end(), value) - names.begin());
}

// Whether the list names channel 00 on its own, not as the start of a
// range ("0-99" means every channel the rig has).
bool NamesZeroAlone(std::string_view list) {
  size_t pos = 0;
  while (pos <= list.size()) {
    size_t end = list.find(',', pos);
    if (end == std::string_view::npos) end = list.size();
    const std::string item = Trim(list.substr(pos, end - pos));
    pos = end + 1;
    if (item.find('-') == std::string::npos && AllDigits(item) && StrToInt(item) == 0) return true;
  }
  return false;
}

// Every check of the arguments after the parse, in one place; fills in the
// channel lists. Throws UsageError.
void CheckArguments(Verb verb, Options& o, const Console& console) {
  if (verb == Verb::Export && !o.oTable->count())
    throw UsageError{"export needs the channels in a --table file"};
  if (verb == Verb::Import || verb == Verb::Export) return;
  std::string problem;
  if (IsRun(verb)) {
    auto list = ParseChannelList(o.channels, problem);
    if (!list) throw UsageError{problem};
    o.channelList = *list;
  }
  if (verb == Verb::Click) {
    auto list = ParseChannelList(o.click, problem);
    if (!list || list->size() != 1 || o.click.find_first_of(",-") != std::string::npos)
      throw UsageError{list ? "click takes one channel" : problem};
    o.clickChannel = list->front();
  }
  if ((verb == Verb::Write || verb == Verb::Diff) && !o.oTable->count())
    throw UsageError{std::string(NameOf(verb)) + " needs the channels in a --table file"};
  if (verb == Verb::Clear && !o.yes && !console.stdinTerminal)
    throw UsageError{"clear asks before it clears; without a terminal give --yes"};
  if (verb == Verb::Send && o.lines.size() > 4) throw UsageError{"send takes at most four lines"};
  if (o.oBaud->count() && BaudPosition(o.baud) < 0) {
    std::string all;
    for (const std::string& b : BaudItems())
      all += (all.empty() ? "" : " ") + (b == "115000" ? std::string("115200") : b);
    throw UsageError{"--baud: " + IntToStr(o.baud) + " is not one of the rates " + all};
  }
  if (o.oPort->count()) ResolvePortOption(o.port);
}


std::optional<std::vector<int>> ParseChannelList(std::string_view text, std::string& problem) {
  std::vector<int> channels;
  const auto number = [&](std::string_view s, int& n) {
    const std::string t = Trim(s);
    if (!AllDigits(t) || t.size() > 2) {
      problem = "\"" + t + "\" is not a channel (00 to 99)";
      return false;
    }
    n = StrToInt(t);
    return true;
  };
  if (Trim(text).empty()) {
    problem = "no channels given";
    return std::nullopt;
  }
  size_t pos = 0;
  while (pos <= text.size()) {
    size_t end = text.find(',', pos);
    if (end == std::string_view::npos) end = text.size();
    const std::string_view item = text.substr(pos, end - pos);
    pos = end + 1;
    const size_t dash = item.find('-');
    int first = 0, last = 0;
    if (dash == std::string_view::npos) {
      if (!number(item, first)) return std::nullopt;
      last = first;
    } else {
      if (!number(item.substr(0, dash), first) || !number(item.substr(dash + 1), last))
        return std::nullopt;
      if (first > last) {
        problem = "range " + Trim(item) + " runs backwards";
        return std::nullopt;
      }
    }
    for (int n = first; n <= last; ++n)
      channels.push_back(n);
  }
  std::sort(channels.begin(), channels.end());
  channels.erase(std::unique(channels.begin(), channels.end()), channels.end());
  return channels;
}

}  // namespace varnek::cli
