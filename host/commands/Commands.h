// The commands of fwhost: one table row and one add function each, the way main finds them.
// An add function gives the command its options and answers the action that runs it once the
// command line is parsed; an action answers the command's result, or ends with a HostError
// when it cannot do its work. No command prints: main renders what it answers.
#ifndef FWHOST_COMMANDS_COMMANDS_H
#define FWHOST_COMMANDS_COMMANDS_H

#include <functional>
#include <string>
#include <vector>

#include <CLI/CLI.hpp>

#include "host/error/HostError.h"
#include "host/error/Warning.h"
#include "host/output/Results.h"
#include "host/plugin/PluginLocation.h"

namespace fwhost {

// What the command line asks of standard output besides --json, which main reads itself.
struct OutputRequest {
  bool xml = false;    // map --xml
  bool bytes = false;  // fetch --output -
};

// Options of fwhost itself, read by the commands once the command line is parsed, and what
// the run warned of on the way.
struct HostOptions {
  PluginChoice plugin;
  OutputRequest asked;
  Warnings warnings;
};

using CommandAction = std::function<Result()>;

struct Command {
  const char* name;
  const char* summary;
  CommandAction (*add)(CLI::App& command, HostOptions& host);
};

// Every command, in the order fwhost's help lists them.
const std::vector<Command>& commands();

// HostError (usage) for a command fwhost does not have, naming those it has and the nearest.
HostError unknownCommand(const std::string& name);

CommandAction addInfoCommand(CLI::App& command, HostOptions& host);
CommandAction addMapCommand(CLI::App& command, HostOptions& host);
CommandAction addDescribeCommand(CLI::App& command, HostOptions& host);
CommandAction addFetchCommand(CLI::App& command, HostOptions& host);
CommandAction addPlanCommand(CLI::App& command, HostOptions& host);
CommandAction addScanCommand(CLI::App& command, HostOptions& host);
CommandAction addVerifyCommand(CLI::App& command, HostOptions& host);
CommandAction addHelpCommand(CLI::App& command, HostOptions& host);

// fwhost --version: fwhost's version, and the loaded plug-in's path, SHA-256 and Version; what
// keeps it from saying them is a warning.
Result versionResult(HostOptions& host);

}  // namespace fwhost

#endif
