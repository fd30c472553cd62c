#include "cli/cli_app.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <iostream>

#include "cli/console.h"
#include "cli/csv_commands.h"
#include "cli/options.h"
#include "cli/run.h"
#include "settings/rig_settings.h"

namespace varnek::cli {

int RunCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
           const Console& console) {
  CLI::App app{
      "varnek-cli [options] COMMAND [arguments]\n\n"
      "Varnek from the command line: reads, writes and clears the memory channels of "
      "a transceiver over its serial line, with the GUI's settings and runs.",
      "varnek-cli"};
  app.footer(kFooter);
  app.require_subcommand(1);
  // Options may also follow the command.
  app.fallthrough();
  app.failure_message(CLI::FailureMessage::help);
  Options o;
  AddOptions(app, o);

  AddCommands(app, o);

  // The details are the whole program's; each command's own help is short.
  for (CLI::App* sub : app.get_subcommands([](CLI::App*) { return true; }))
    sub->footer("Options of every command: varnek-cli --help");

  std::vector<std::string> rest(args.size() > 1 ? args.begin() + 1 : args.end(), args.end());
  std::reverse(rest.begin(), rest.end());
  try {
    app.parse(rest);
  } catch (const CLI::CallForHelp& e) {
    app.exit(e, out, err);
    return kExitOk;
  } catch (const CLI::CallForAllHelp& e) {
    app.exit(e, out, err);
    return kExitOk;
  } catch (const CLI::CallForVersion& e) {
    app.exit(e, out, err);
    return kExitOk;
  } catch (const CLI::ParseError& e) {
    app.exit(e, out, err);
    return kExitUsage;
  }

  const CLI::App* chosen = app.get_subcommands().front();
  const Verb verb = VerbOf(chosen->get_name());
  const auto usage = [&](const std::string& problem) {
    err << "varnek-cli: " << problem << "\n\n" << chosen->help();
    return kExitUsage;
  };

  if (verb == Verb::Rigs) {
    for (const std::string& rig : RigList())
      out << rig << '\n';
    return kExitOk;
  }
  try {
    CheckArguments(verb, o, console);
    if (verb == Verb::Import || verb == Verb::Export)
      return ExchangeCsv(o, verb == Verb::Import, out, err);
  } catch (const UsageError& e) {
    return usage(e.text);
  }

  ClearStopRequest();
  InterruptGuard interrupt(console.catchInterrupt);
  try {
    Run run(o, verb, out, err, console);
    return run.Execute();
  } catch (const UsageError& e) {
    return usage(e.text);
  } catch (const std::exception& e) {
    // Whatever the core throws outside a guarded command (the simulator of
    // a test, a file system error) still ends in a status, not an abort.
    err << "varnek-cli: error: " << e.what() << '\n';
    return kExitTransferError;
  }
}

int RunCli(int argc, char** argv, std::ostream& out, std::ostream& err) {
  std::vector<std::string> args(argv, argv + argc);
  return RunCli(args, out, err, ProcessConsole());
}

}  // namespace varnek::cli
