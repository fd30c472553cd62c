#pragma once
// The command line as parsed: the subcommands, the options, and every check
// of their values, in one place.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "cli/cli_app.h"

namespace CLI {
class App;
class Option;
}  // namespace CLI

namespace varnek::cli {

// A command line that cannot run as given; the text says why.
struct UsageError {
  std::string text;
};

// The subcommands, named once: everything after the parse asks the verb,
// never the command's text.
enum class Verb {
  Read, Write, Clear, Click, VfoA, Memory, Send, Rigs, Import, Export, Restore, Diff
};

Verb VerbOf(const std::string& name);
const char* NameOf(Verb verb);
// A load, save, clear or compare run over a channel list.
bool IsRun(Verb v);

inline const std::vector<std::string> kStopBits = {"1", "1.5", "2"};
inline const std::vector<std::string> kParities = {"none", "odd", "even", "mark", "space"};
inline const std::vector<std::string> kFlows = {"none", "xonxoff", "rtscts", "dsrdtr"};
inline const std::vector<std::string> kNotations = {"points", "point", "comma"};


struct Options {
  std::string rig, port, parity, flow, dtr, rts, address, notation, table, out, transcript,
      settingsDir, stopBits, waitAnswers, backup, backupDir;
  int baud = 0, dataBits = 0, channelInterval = 0, commandInterval = 0, loopWait = 0, settle = 600;
  CLI::Option *oRig = nullptr, *oPort = nullptr, *oBaud = nullptr, *oData = nullptr,
              *oStop = nullptr, *oParity = nullptr, *oFlow = nullptr, *oDtr = nullptr,
              *oRts = nullptr, *oAddress = nullptr, *oChannel = nullptr, *oCommand = nullptr,
              *oLoop = nullptr, *oNotation = nullptr, *oTable = nullptr, *oOut = nullptr,
              *oTranscript = nullptr, *oSettings = nullptr, *oWaitAnswers = nullptr,
              *oBackup = nullptr, *oBackupDir = nullptr;

  std::string channels, click, file, format;
  bool yes = false, toRig = false, worm = false, addLf = false, verify = false,
       changedOnly = false;
  int waitMs = 1000;
  std::vector<std::string> lines;

  // Checked after parsing.
  std::vector<int> channelList;
  int clickChannel = -1;
};


// The help text after the options: command lines, channels, exit statuses.
extern const char* const kFooter;

// The options every command takes, and the commands with their own.
void AddOptions(CLI::App& app, Options& o);
void AddCommands(CLI::App& app, Options& o);
// Every check of the arguments after the parse; fills in the channel lists.
// Throws UsageError.
void CheckArguments(Verb verb, Options& o, const Console& console);

// The rig list's own spelling of a selection; letter case does not matter.
std::optional<std::string> RigSelection(const std::string& text);
// The refusal of a --rig text that is not in the list, with the list.
UsageError UnknownRig(const std::string& text);

struct PortChoice {
  std::string name;  // a list name, or empty
  std::string path;  // a device path, or empty
};
PortChoice ResolvePortOption(const std::string& text);
// The position of a rate in the settings dialog's list, -1 when it has none.
int BaudPosition(int baud);
// The position of `value` in `names` (its size when absent).
int Position(const std::vector<std::string>& names, const std::string& value);
// Whether the list names channel 00 on its own, not as the start of a
// range ("0-99" means every channel the rig has).
bool NamesZeroAlone(std::string_view list);

}  // namespace varnek::cli
