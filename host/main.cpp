// fwhost: asks a firmware provider plug-in what it answers for a drive, and fetches its images.
#include <algorithm>
#include <iostream>
#include <string>
#include <vector>

#include <CLI/CLI.hpp>

#include "host/commands/Commands.h"
#include "host/error/HostError.h"
#include "host/plan/Sha256.h"
#include "host/platform/CommandLine.h"
#include "host/platform/StandardStreams.h"

namespace {

using fwhost::ExitCode;

const char* const kExitCodes =
    "Exit codes:\n"
    "  0  the command did its work, whatever the verdict (scripts read it from --json)\n"
    "  1  usage error\n"
    "  2  input error: unreadable or unwritable file, plug-in not loadable, missing export\n"
    "  3  the plug-in refused the request (36) or answered inconsistently; verify: a mismatch\n"
    "  128+N  ended by signal N (no temporary file is left behind)\n";

// Where the user finds how to call what failed: the subcommand's help when one was named.
std::string helpHint(const CLI::App& app) {
  const auto named = app.get_subcommands();
  return named.empty() ? "fwhost --help" : "fwhost " + named.front()->get_name() + " --help";
}

int fail(ExitCode code, const std::string& message, bool json) {
  std::cerr << "fwhost: " << message << '\n';
  if (json) {
    fwhost::printJson({{"error", {{"exit_code", static_cast<int>(code)}, {"message", message}}}});
    std::cout.flush();
  }
  return static_cast<int>(code);
}

void printVersion(const fwhost::HostOptions& host) {
  nlohmann::ordered_json version = {{"fwhost", FWHOST_VERSION}, {"plugin", nullptr}};
  try {
    const fwhost::Plugin plugin = fwhost::openPlugin(host);
    version["plugin"] = {{"path", plugin.path().u8string()},
                         {"sha256", fwhost::sha256OfFile(plugin.path())},
                         {"version", fwhost::pluginVersion(plugin)}};
  } catch (const fwhost::HostError& error) {
    std::cerr << "fwhost: no plug-in loaded: " << error.what() << '\n';
  }
  if (host.json) {
    fwhost::printJson(version);
    return;
  }
  std::cout << "fwhost " << FWHOST_VERSION << '\n';
  if (!version["plugin"].is_null()) {
    std::cout << "plug-in " << version["plugin"]["path"].get<std::string>() << " Version "
              << version["plugin"]["version"].get<std::string>() << '\n';
  }
}

}  // namespace

int main(int argc, char** argv) {
  fwhost::reserveStandardStreams();
  const std::vector<std::string> arguments = fwhost::commandLine(argc, argv);
  // Known before parsing, so that even a command line that does not parse answers in JSON.
  const bool json = std::find(arguments.begin() + 1, arguments.end(), "--json") != arguments.end();
  CLI::App app{
      "Asks a firmware provider plug-in what it answers for a drive, and fetches its images."};
  app.name("fwhost");
  app.footer(kExitCodes);
  app.require_subcommand(0, 1);
  // The same options everywhere: on Windows CLI11 would take an argument such as /tmp/x.xml for
  // an option.
  app.allow_windows_style_options(false);
  app.fallthrough();
  fwhost::HostOptions host;
  bool version = false;
  app.add_option("--plugin", host.plugin,
                 "plug-in to load (default: beside fwhost, else the installed one)");
  app.add_flag("--verbose", host.verbose,
               "show all that the plug-in logs, not only its first two records");
  app.add_flag("--version", version,
               "print fwhost's version and the loaded plug-in's Version attribute");
  app.add_flag("--json", host.json, "print the result, or the failure, as one JSON object");
  fwhost::addInfoCommand(app, host);
  fwhost::addMapCommand(app, host);
  fwhost::addDescribeCommand(app, host);
  fwhost::addFetchCommand(app, host);
  fwhost::addPlanCommand(app, host);
  fwhost::addScanCommand(app, host);
  fwhost::addVerifyCommand(app, host);
  fwhost::addHelpCommand(app);

  try {
    std::vector<const char*> pointers;
    for (const std::string& argument : arguments) pointers.push_back(argument.c_str());
    app.parse(static_cast<int>(pointers.size()), pointers.data());
    if (version) {
      printVersion(host);
    } else if (app.get_subcommands().empty()) {
      throw fwhost::HostError(ExitCode::usage, "a subcommand is required");
    }
    fwhost::checkOutput();
  } catch (const CLI::ParseError& error) {
    if (error.get_exit_code() == 0) return app.exit(error);  // --help
    return fail(ExitCode::usage, std::string(error.what()) + " (see " + helpHint(app) + ")", json);
  } catch (const fwhost::HostError& error) {
    const bool usage = error.code() == ExitCode::usage;
    return fail(error.code(),
                error.what() + (usage ? " (see " + helpHint(app) + ")" : std::string()),
                json && !error.answered());
  } catch (const std::exception& error) {
    // Failures of the file system library and the like: they concern files, so input errors.
    return fail(ExitCode::input, error.what(), json);
  }
  return static_cast<int>(ExitCode::done);
}
