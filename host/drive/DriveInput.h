// Where map and plan take their drive description from: a file, standard input ("-") or
// --set settings.
#ifndef FWHOST_DRIVEINPUT_H
#define FWHOST_DRIVEINPUT_H

#include <string>
#include <vector>

#include <CLI/CLI.hpp>

#include "host/drive/DriveDescription.h"

namespace fwhost {

struct DriveInput {
  std::string file;
  std::vector<std::string> settings;
};

// The drive description that the text came from, for error messages, and the text itself.
struct DriveText {
  std::string origin;
  std::string xml;
};

// --set Key=Value or Key:type=Value, repeatable, one setting each.
void addSettingsOption(CLI::App& command, std::vector<std::string>& settings);

// FILE|- as a positional argument, and --set.
void addDriveOptions(CLI::App& command, DriveInput& input);

// A description built from the settings; HostError (usage) for a malformed one.
DriveDescription describe(const std::vector<std::string>& settings);

// The file's text, or the description built from the settings; HostError (usage) unless
// exactly one of the two is given.
DriveText readDrive(const DriveInput& input);

}  // namespace fwhost

#endif
