#pragma once
// varnek-cli: the program's runs from a shell. The same Program as the GUI
// with a headless host: the saved rig settings, the pacing, the parsers and
// the transfers are the GUI's own; this layer only turns arguments into the
// user's clicks and the results into files and exit statuses.
#include <functional>
#include <iosfwd>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace varnek::cli {

// Exit statuses scripts rely on.
inline constexpr int kExitOk = 0;
inline constexpr int kExitTransferError = 1;
inline constexpr int kExitUsage = 2;
inline constexpr int kExitPort = 3;
// The run finished, but some channels got no answer from the rig.
inline constexpr int kExitNoAnswer = 4;

// What the run may ask of the terminal it was started from.
struct Console {
  // Standard input is a terminal: the clear run may ask before it starts.
  bool stdinTerminal = false;
  // Standard error is a terminal: progress lines are shown there.
  bool stderrTerminal = false;
  // Where the answer to a question is read (one line).
  std::istream* in = nullptr;
  // Installs the Ctrl-C handler for the length of the run.
  bool catchInterrupt = false;
};

// The process's own terminals, standard input and the Ctrl-C handler.
Console ProcessConsole();

// A channel list such as "1-10,15,90-99": numbers 0..99, ranges low to
// high. Sorted, each channel once. nullopt with `problem` set otherwise.
std::optional<std::vector<int>> ParseChannelList(std::string_view text, std::string& problem);

// args[0] is the program name.
int RunCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
           const Console& console);
int RunCli(int argc, char** argv, std::ostream& out, std::ostream& err);

// What Ctrl-C does: the running transfer is stopped as by "Stop". Safe to
// call from a signal handler or any thread.
void RequestStop();

}  // namespace varnek::cli
