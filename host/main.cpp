// fwhost: asks a firmware provider plug-in what it answers for a drive, and fetches its images.
// main only parses the command line, chooses how output is rendered, runs the command it names
// and renders what it answered or how it failed.
#include <algorithm>
#include <chrono>
#include <exception>
#include <iterator>
#include <map>
#include <memory>
#include <new>
#include <sstream>
#include <string>
#include <vector>

#include <CLI/CLI.hpp>

#include "host/commands/Commands.h"
#include "host/error/HostError.h"
#include "host/output/Renderer.h"
#include "host/platform/CommandLine.h"
#include "host/platform/StandardStreams.h"
#include "host/plugin/WorkerMain.h"

namespace {

using fwhost::HostError;

const char* const kExitCodes =
    "Exit codes:\n"
    "  0  the command did its work, whatever the verdict (scripts read it from --json)\n"
    "  1  usage error\n"
    "  2  input error: unreadable or unwritable file, a description that is not XML,\n"
    "     plug-in not loadable, missing export;\n"
    "     scan: no drive could be read or planned\n"
    "  3  the plug-in refused the request (36), answered inconsistently or failed (a crash, an\n"
    "     exit, its deadline or a limit); verify: a mismatch\n"
    "  4  internal error: a fault of fwhost itself\n"
    "  5  scan: some drives were mapped, others could not be read or planned\n";

// Whether the command line asks for JSON: --json, or --json=VALUE with any value the flag
// does not read as false, before any "--". The one place --json is read, so that even a
// command line that does not parse answers in JSON.
bool asksForJson(const std::vector<std::string>& arguments) {
  const char* const falseWords[] = {"--json=0", "--json=false", "--json=off", "--json=no"};
  // -j alone or among other short flags (-vj); a group with a letter that takes a value (-o) is
  // no group of flags.
  const auto shortFlags = [](const std::string& argument) {
    return argument.size() > 1 && argument[0] == '-' && argument[1] != '-' &&
           argument.find_first_not_of("jvV", 1) == std::string::npos &&
           argument.find('j') != std::string::npos;
  };
  const auto end = std::find(arguments.begin() + 1, arguments.end(), "--");
  return std::any_of(arguments.begin() + 1, end, [&](const std::string& argument) {
    return shortFlags(argument) || ((argument == "--json" || argument.rfind("--json=", 0) == 0) &&
                                    std::find(std::begin(falseWords), std::end(falseWords),
                                              argument) == std::end(falseWords));
  });
}

// The word the user meant as the command: the first that is neither an option nor --plugin's
// value; empty when there is none.
std::string commandWord(const std::vector<std::string>& arguments) {
  for (size_t i = 1; i < arguments.size(); ++i) {
    if (arguments[i] == "--plugin") {
      ++i;
    } else if (arguments[i] == "--") {
      return i + 1 < arguments.size() ? arguments[i + 1] : "";
    } else if (arguments[i].empty() || arguments[i][0] != '-') {
      return arguments[i];
    }
  }
  return {};
}

bool isCommand(const std::string& word) {
  const auto& all = fwhost::commands();
  return std::any_of(all.begin(), all.end(),
                     [&](const fwhost::Command& command) { return word == command.name; });
}

// The one output mode the command line asks for; HostError (usage) when two ask for stdout.
fwhost::OutputMode decideOutputMode(bool json, const fwhost::OutputRequest& asked) {
  using fwhost::OutputMode;
  if (json && asked.xml) throw HostError::usage("--json excludes --xml");
  if (json && asked.bytes)
    throw HostError::usage("--output - and --json would both use standard output");
  if (asked.bytes && fwhost::standardOutputIsTerminal())
    throw HostError::usage("--output -: standard output is a terminal; redirect it");
  if (json) return OutputMode::json;
  if (asked.xml) return OutputMode::xml;
  return asked.bytes ? OutputMode::bytes : OutputMode::text;
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
  app.require_subcommand(0, 1);
  // The same options everywhere: on Windows CLI11 would take an argument such as /tmp/x.xml for
  // an option.
  app.allow_windows_style_options(false);
  app.fallthrough();
  app.add_option("--plugin", parsed.host.plugin.path,
                 "plug-in to load (default: beside fwhost, else the installed one)")
      ->type_name("FILE");
  app.add_option_function<double>(
         "--plugin-timeout",
         [&parsed](double seconds) {
           parsed.host.plugin.limits.deadline =
               std::chrono::milliseconds(static_cast<long long>(seconds * 1000));
         },
         "seconds each call of the plug-in may take (default 10); it runs in a process of its "
         "own with at most 1 GiB of memory")
      ->type_name("SECONDS")
      ->check(CLI::Range(0.001, 86400.0));
  app.add_flag("-v,--verbose", parsed.host.plugin.log.verbose,
               "show all that the plug-in logs, not only its first two records");
  app.add_flag("-V,--version", parsed.version,
               "print fwhost's version and the loaded plug-in's Version attribute");
  app.add_flag("-j,--json")->description("print the result, or the failure, as one JSON document");
  for (const fwhost::Command& command : fwhost::commands()) {
    CLI::App* added = app.add_subcommand(command.name, command.summary);
    parsed.actions[added] = command.add(*added, parsed.host);
  }
  // Set after the commands are added, which would each repeat it.
  app.footer(kExitCodes + std::string(fwhost::interruptedExitLine()));
}

// Runs what the parsed command line names.
fwhost::Result dispatch(Parsed& parsed) {
  const auto named = parsed.app.get_subcommands();
  if (parsed.version) return fwhost::versionResult(parsed.host);
  if (named.empty()) throw HostError::usage("a subcommand is required");
  return parsed.actions.at(named.front())();
}

// Where the user finds how to call what failed: the subcommand's help when one was named.
std::string helpHint(const HostError& error, const CLI::App& app) {
  if (error.kind() != fwhost::ErrorKind::usage) return {};
  const auto named = app.get_subcommands();
  return " (see " +
         (named.empty() ? std::string("fwhost --help")
                        : "fwhost " + named.front()->get_name() + " --help") +
         ")";
}

std::string commandName(const Parsed& parsed) {
  if (parsed.version) return "version";
  const auto named = parsed.app.get_subcommands();
  return named.empty() ? "" : named.front()->get_name();
}

// The command's result rendered as asked; how it failed, rendered so too.
int run(Parsed& parsed, const std::vector<std::string>& arguments) {
  const bool json = asksForJson(arguments);
  std::unique_ptr<fwhost::Renderer> renderer =
      fwhost::makeRenderer(json ? fwhost::OutputMode::json : fwhost::OutputMode::text);
  const auto fail = [&](const HostError& error) {
    renderer->failure(error, helpHint(error, parsed.app), commandName(parsed),
                      parsed.host.warnings);
    return error.exitCode();
  };
  try {
    std::vector<const char*> pointers;
    for (const std::string& argument : arguments) pointers.push_back(argument.c_str());
    try {
      parsed.app.parse(static_cast<int>(pointers.size()), pointers.data());
    } catch (const CLI::ParseError& error) {
      if (error.get_exit_code() != 0) {
        const std::string word = commandWord(arguments);
        if (parsed.app.get_subcommands().empty() && !word.empty() && !isCommand(word))
          throw fwhost::unknownCommand(word);
        throw HostError::usage(error.what());
      }
      // --help: its text on stdout, checked like every other output.
      std::ostringstream help;
      parsed.app.exit(error, help, help);
      renderer->answer(fwhost::HelpResult{help.str()}, {});
      return fwhost::kExitDone;
    }
    renderer = fwhost::makeRenderer(decideOutputMode(json, parsed.host.asked));
    fwhost::Renderer& rendering = *renderer;
    parsed.host.plugin.log.lines = [&rendering](const std::string& line) {
      rendering.logLine(line);
    };
    const fwhost::Result result = dispatch(parsed);
    renderer->answer(result, parsed.host.warnings);
    return fwhost::exitCodeOf(result);
  } catch (const HostError& error) {
    return fail(error);
  } catch (const std::bad_alloc&) {
    return fail(HostError::internal("out of memory"));
  } catch (const std::exception& error) {
    return fail(HostError::internal(error.what()));
  }
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> arguments = fwhost::commandLine(argc, argv);
  if (arguments.size() > 1 && arguments[1] == fwhost::kWorkerArgument)
    return fwhost::runPluginWorker(arguments);
  fwhost::reserveStandardStreams();
  Parsed parsed;
  addOptions(parsed);
  return run(parsed, arguments);
}
