// The options several commands share, each added in one place so that they read alike.
#ifndef FWHOST_COMMANDS_COMMONOPTIONS_H
#define FWHOST_COMMANDS_COMMONOPTIONS_H

#include <string>
#include <vector>

#include <CLI/CLI.hpp>

#include "host/commands/Commands.h"
#include "host/drive/DriveInput.h"

namespace fwhost {

// --set Key=Value or Key:type=Value, repeatable, one setting each.
void addSettingsOption(CLI::App& command, std::vector<std::string>& settings);

// FILE|- as a positional argument, and --set.
void addDriveOptions(CLI::App& command, DriveInput& input);

// --json, saying what the command prints with it; main reads it.
void addJsonOption(CLI::App& command, const std::string& what);

// --xml, which prints the plug-in's answer document unchanged.
void addXmlOption(CLI::App& command, HostOptions& host);

// --sign KEY, the private key a plan is signed with.
CLI::Option* addSignOption(CLI::App& command, std::string& signingKey);

// HostError (usage) when the option was given an empty value; left out, it may be empty.
void requireNonEmpty(const CLI::App& command, const std::string& option, const std::string& value);

}  // namespace fwhost

#endif
