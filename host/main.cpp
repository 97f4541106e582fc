// fwhost: asks a firmware provider plug-in what it answers for a drive, and fetches its images.
// main only parses the command line, runs the command it names and reports how that ended.
#include <algorithm>
#include <chrono>
#include <exception>
#include <iostream>
#include <iterator>
#include <map>
#include <new>
#include <string>
#include <vector>

#include <CLI/CLI.hpp>

#include "host/commands/Commands.h"
#include "host/commands/CommonOptions.h"
#include "host/error/HostError.h"
#include "host/output/Output.h"
#include "host/output/TerminalText.h"
#include "host/platform/CommandLine.h"
#include "host/platform/StandardStreams.h"
#include "host/plugin/WorkerMain.h"

namespace {

using fwhost::HostError;

const char* const kExitCodes =
    "Exit codes:\n"
    "  0  the command did its work, whatever the verdict (scripts read it from --json)\n"
    "  1  usage error\n"
    "  2  input error: unreadable or unwritable file, plug-in not loadable, missing export\n"
    "  3  the plug-in refused the request (36) or answered inconsistently; verify: a mismatch\n"
    "  4  internal error: a fault of fwhost itself\n";

// Where the user finds how to call what failed: the subcommand's help when one was named.
std::string helpHint(const CLI::App& app) {
  const auto named = app.get_subcommands();
  return named.empty() ? "fwhost --help" : "fwhost " + named.front()->get_name() + " --help";
}

// Reports how the command failed, once: a line on stderr, and the JSON error when asked for.
int fail(const HostError& error, const CLI::App& app, bool json) {
  const bool usage = error.kind() == fwhost::ErrorKind::usage;
  const std::string message = error.what() + (usage ? " (see " + helpHint(app) + ")" : "");
  // Names in it may come from a drive, a file or the plug-in; JSON carries them exactly.
  std::cerr << "fwhost: " << fwhost::terminalSafe(message) << '\n';
  if (json && !error.answered()) {
    fwhost::printJson({{"error", {{"exit_code", error.exitCode()}, {"message", message}}}});
    std::cout.flush();
  }
  return error.exitCode();
}

// Known without parsing, so that even a command line that does not parse answers in JSON:
// --json, or --json=VALUE with any value the flag does not read as false.
bool asksForJson(const std::vector<std::string>& arguments) {
  const char* const falseWords[] = {"--json=0", "--json=false", "--json=off", "--json=no"};
  return std::any_of(arguments.begin() + 1, arguments.end(), [&](const std::string& argument) {
    return (argument == "--json" || argument.rfind("--json=", 0) == 0) &&
           std::find(std::begin(falseWords), std::end(falseWords), argument) ==
               std::end(falseWords);
  });
}

// --help: its text on stdout, checked like every other output.
int printHelp(const CLI::ParseError& help, const CLI::App& app, bool json) {
  app.exit(help);
  try {
    fwhost::checkOutput();
  } catch (const HostError& error) {
    return fail(error, app, json);
  }
  return fwhost::kExitDone;
}

struct Parsed {
  CLI::App app{
      "Asks a firmware provider plug-in what it answers for a drive, and fetches its images."};
  fwhost::HostOptions host;
  bool version = false;
  std::map<const CLI::App*, fwhost::CommandAction> actions;
};

void addOptions(Parsed& parsed) {
  CLI::App& app = parsed.app;
  app.name("fwhost");
  app.footer(kExitCodes + std::string(fwhost::interruptedExitLine()));
  app.require_subcommand(0, 1);
  // The same options everywhere: on Windows CLI11 would take an argument such as /tmp/x.xml for
  // an option.
  app.allow_windows_style_options(false);
  app.fallthrough();
  app.add_option("--plugin", parsed.host.plugin.path,
                 "plug-in to load (default: beside fwhost, else the installed one)");
  app.add_option_function<double>(
         "--plugin-timeout",
         [&parsed](double seconds) {
           parsed.host.plugin.limits.deadline =
               std::chrono::milliseconds(static_cast<long long>(seconds * 1000));
         },
         "seconds each call of the plug-in may take (default 10); it runs in a process of its "
         "own with at most 1 GiB of memory")
      ->check(CLI::Range(0.001, 86400.0));
  app.add_flag("--verbose", parsed.host.plugin.log.verbose,
               "show all that the plug-in logs, not only its first two records");
  app.add_flag("--version", parsed.version,
               "print fwhost's version and the loaded plug-in's Version attribute");
  app.add_flag("--json", parsed.host.asked.json,
               "print the result, or the failure, as one JSON object");
  for (const fwhost::Command& command : fwhost::commands()) {
    CLI::App* added = app.add_subcommand(command.name, command.summary);
    parsed.actions[added] = command.add(*added, parsed.host);
  }
}

// Runs what the parsed command line names.
void dispatch(Parsed& parsed) {
  parsed.host.plugin.log.lines = [](const std::string& line) {
    std::cerr << fwhost::terminalSafe(line) << '\n';
  };
  parsed.host.output = fwhost::decideOutputMode(parsed.host.asked);
  const auto named = parsed.app.get_subcommands();
  if (parsed.version) {
    fwhost::printVersion(parsed.host);
  } else if (named.empty()) {
    throw HostError::usage("a subcommand is required");
  } else {
    parsed.actions.at(named.front())();
  }
  fwhost::checkOutput();
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> arguments = fwhost::commandLine(argc, argv);
  if (arguments.size() > 1 && arguments[1] == fwhost::kWorkerArgument)
    return fwhost::runPluginWorker(arguments);
  fwhost::reserveStandardStreams();
  Parsed parsed;
  addOptions(parsed);
  try {
    std::vector<const char*> pointers;
    for (const std::string& argument : arguments) pointers.push_back(argument.c_str());
    parsed.app.parse(static_cast<int>(pointers.size()), pointers.data());
    dispatch(parsed);
  } catch (const CLI::ParseError& error) {
    if (error.get_exit_code() == 0) return printHelp(error, parsed.app, asksForJson(arguments));
    return fail(HostError::usage(error.what()), parsed.app, asksForJson(arguments));
  } catch (const HostError& error) {
    return fail(error, parsed.app, parsed.host.asked.json);
  } catch (const std::bad_alloc&) {
    return fail(HostError::internal("out of memory"), parsed.app, parsed.host.asked.json);
  } catch (const std::exception& error) {
    return fail(HostError::internal(error.what()), parsed.app, parsed.host.asked.json);
  }
  return fwhost::kExitDone;
}
