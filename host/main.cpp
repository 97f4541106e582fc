// fwhost: asks a firmware provider plug-in what it answers for a drive, and fetches its images.
#include <iostream>

#include <CLI/CLI.hpp>

#include "host/Commands.h"
#include "host/HostError.h"
#include "host/Startup.h"

namespace {

const char* const kExitCodes =
    "Exit codes:\n"
    "  0  the command did its work, whatever the verdict (scripts read it from --json)\n"
    "  1  usage error\n"
    "  2  input error: unreadable or unwritable file, plug-in not loadable, missing export\n"
    "  3  the plug-in refused the request (36) or answered inconsistently\n";

int exitWith(fwhost::ExitCode code) { return static_cast<int>(code); }

}  // namespace

int main(int argc, char** argv) {
  using fwhost::ExitCode;
  CLI::App app{
      "Asks a firmware provider plug-in what it answers for a drive, and fetches its images."};
  app.name("fwhost");
  app.footer(kExitCodes);
  app.require_subcommand(1);
  // The same options everywhere: on Windows CLI11 would take an argument such as /tmp/x.xml for
  // an option.
  app.allow_windows_style_options(false);
  app.fallthrough();
  app.failure_message([](const CLI::App*, const CLI::Error& error) {
    return "fwhost: " + std::string(error.what()) + " (see fwhost --help)\n";
  });
  fwhost::HostOptions host;
  app.add_option("--plugin", host.plugin,
                 "plug-in to load (default: beside fwhost, else the installed one)");
  fwhost::addInfoCommand(app, host);
  fwhost::addMapCommand(app, host);
  fwhost::addDescribeCommand(app);
  fwhost::addFetchCommand(app, host);
  fwhost::addPlanCommand(app, host);
  fwhost::addScanCommand(app, host);

  const std::vector<std::string> arguments = fwhost::startUp(argc, argv);
  std::vector<const char*> pointers;
  for (const std::string& argument : arguments) pointers.push_back(argument.c_str());
  try {
    app.parse(static_cast<int>(pointers.size()), pointers.data());
  } catch (const CLI::ParseError& error) {
    return app.exit(error) == 0 ? exitWith(ExitCode::done) : exitWith(ExitCode::usage);
  } catch (const fwhost::HostError& error) {
    std::cerr << "fwhost: " << error.what() << '\n';
    return exitWith(error.code());
  } catch (const std::exception& error) {
    // Failures of the file system library and the like: they concern files, so input errors.
    std::cerr << "fwhost: " << error.what() << '\n';
    return exitWith(ExitCode::input);
  }
  return exitWith(ExitCode::done);
}
