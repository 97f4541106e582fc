// The commands of fwhost: one table row and one add function each, the way main finds them.
// An add function gives the command its options and answers the action that runs it once the
// command line is parsed; actions end with a HostError when they cannot do their work.
#ifndef FWHOST_COMMANDS_COMMANDS_H
#define FWHOST_COMMANDS_COMMANDS_H

#include <functional>
#include <vector>

#include <CLI/CLI.hpp>

#include "host/output/Output.h"
#include "host/plugin/PluginLocation.h"

namespace fwhost {

// What the command line asks of standard output, before it is decided into one OutputMode.
struct OutputRequest {
  bool json = false;   // --json, given before or after the command
  bool xml = false;    // map --xml
  bool bytes = false;  // fetch --output -
};

// Options of fwhost itself, read by the commands once the command line is parsed.
struct HostOptions {
  PluginChoice plugin;
  OutputRequest asked;
  OutputMode output = OutputMode::text;  // decided from asked once parsing is done
};

using CommandAction = std::function<void()>;

struct Command {
  const char* name;
  const char* summary;
  CommandAction (*add)(CLI::App& command, HostOptions& host);
};

// Every command, in the order fwhost's help lists them.
const std::vector<Command>& commands();

CommandAction addInfoCommand(CLI::App& command, HostOptions& host);
CommandAction addMapCommand(CLI::App& command, HostOptions& host);
CommandAction addDescribeCommand(CLI::App& command, HostOptions& host);
CommandAction addFetchCommand(CLI::App& command, HostOptions& host);
CommandAction addPlanCommand(CLI::App& command, HostOptions& host);
CommandAction addScanCommand(CLI::App& command, HostOptions& host);
CommandAction addVerifyCommand(CLI::App& command, HostOptions& host);
CommandAction addHelpCommand(CLI::App& command, HostOptions& host);

// fwhost --version: fwhost's version, and the loaded plug-in's path and Version attribute.
void printVersion(const HostOptions& host);

}  // namespace fwhost

#endif
