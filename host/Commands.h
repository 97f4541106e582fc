// The subcommands of fwhost: each add* function registers one, with its options and its action,
// and the helpers they share. Actions end with a HostError when they cannot do their work.
#ifndef FWHOST_COMMANDS_H
#define FWHOST_COMMANDS_H

#include <cstdint>
#include <string>

#include <CLI/CLI.hpp>
#include <nlohmann/json.hpp>

#include "host/Plugin.h"

namespace fwhost {

// Options of fwhost itself, read by the commands once the command line is parsed.
struct HostOptions {
  std::string plugin;  // empty: the default location
};

void addInfoCommand(CLI::App& app, const HostOptions& host);
void addMapCommand(CLI::App& app, const HostOptions& host);
void addDescribeCommand(CLI::App& app);
void addFetchCommand(CLI::App& app, const HostOptions& host);
void addPlanCommand(CLI::App& app, const HostOptions& host);
void addScanCommand(CLI::App& app, const HostOptions& host);

// The plug-in named by --plugin, else the one at the default location.
Plugin openPlugin(const HostOptions& host);

// The document on stdout, indented, with invalid UTF-8 replaced rather than refused.
void printJson(const nlohmann::ordered_json& document);

// "PATH  SIZE bytes  sha256 HEX", the line that reports one image file.
std::string fileLine(const std::string& path, uint64_t size, const std::string& sha256);

}  // namespace fwhost

#endif
