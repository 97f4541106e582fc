// The subcommands of fwhost: each add* function registers one, with its options and its action,
// and the helpers they share. Actions end with a HostError when they cannot do their work.
#ifndef FWHOST_COMMANDS_H
#define FWHOST_COMMANDS_H

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include <CLI/CLI.hpp>
#include <nlohmann/json.hpp>

#include "host/plugin/Answer.h"
#include "host/drive/DriveInput.h"
#include "host/plugin/Plugin.h"

namespace fwhost {

// Options of fwhost itself, read by the commands once the command line is parsed.
struct HostOptions {
  std::string plugin;    // empty: the default location
  bool verbose = false;  // all of the plug-in's log, not only its start
  bool json = false;     // set by fwhost's --json or the command's own
};

void addInfoCommand(CLI::App& app, HostOptions& host);
void addMapCommand(CLI::App& app, HostOptions& host);
void addDescribeCommand(CLI::App& app, HostOptions& host);
void addFetchCommand(CLI::App& app, HostOptions& host);
void addPlanCommand(CLI::App& app, HostOptions& host);
void addScanCommand(CLI::App& app, HostOptions& host);
void addVerifyCommand(CLI::App& app, HostOptions& host);
void addHelpCommand(CLI::App& app);

// The plug-in named by --plugin, else the one at the default location.
Plugin openPlugin(const HostOptions& host);

// The plug-in's Version attribute; empty when it has none.
std::string pluginVersion(const Plugin& plugin);

// The command's --json, bound to HostOptions::json; main prints failures as JSON too.
void addJsonFlag(CLI::App& command, bool& json, const std::string& what);

// A usage error unless the option's value is empty only when it was not given at all.
void requireNonEmpty(const CLI::App& command, const std::string& option, const std::string& value);

// The document on stdout, indented, with invalid UTF-8 replaced rather than refused.
void printJson(const nlohmann::ordered_json& document);

// The bytes on stdout, flushed, so that they are out even if the process is ended next;
// HostError (input) when they cannot be written.
void writeOutput(std::string_view bytes);

// writeOutput of the line and a newline.
void printLine(const std::string& line);

// HostError (input) when anything written to stdout so far did not get out.
void checkOutput();

// "PATH  SIZE bytes  sha256 HEX", the line that reports one image file.
std::string fileLine(const std::string& path, uint64_t size, const std::string& sha256);

struct MappedDrive {
  MappingAnswer answer;
  std::string document;               // the plug-in's answer, unchanged
  std::vector<std::string> warnings;  // about the description, already shown on stderr
  std::map<std::string, std::string> ruleAttributes;  // as DescriptionCheck has them
};

// Checks the description, warns on stderr and asks the plug-in; HostError as Plugin::mapping
// says, with the XML parser's reason and line when the plug-in refused an unreadable text.
MappedDrive mapDrive(const Plugin& plugin, const DriveText& drive);

}  // namespace fwhost

#endif
