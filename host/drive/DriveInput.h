// Where map and plan take their drive description from: a file, standard input ("-") or
// Key=Value settings.
#ifndef FWHOST_DRIVE_DRIVEINPUT_H
#define FWHOST_DRIVE_DRIVEINPUT_H

#include <string>
#include <vector>

#include "host/drive/DriveDescription.h"

namespace fwhost {

// What the command line names: a file, or settings.
struct DriveInput {
  std::string file;
  std::vector<std::string> settings;
};

// The drive description that the text came from, for error messages, and the text itself.
struct DriveText {
  std::string origin;
  std::string xml;
};

// The whole file, or all of standard input for "-"; HostError naming the file: io when it
// cannot be read, invalidInput when it is a folder.
std::string readInput(const std::string& path);

// A description built from the settings; HostError (usage) for a malformed one.
DriveDescription describe(const std::vector<std::string>& settings);

// The file's text, or the description built from the settings; HostError (usage) unless
// exactly one of the two is given.
DriveText readDrive(const DriveInput& input);

}  // namespace fwhost

#endif
