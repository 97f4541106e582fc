// Where map and plan take their drive description from: a file, standard input ("-") or
// Key=Value settings; and the cap on a description's elements.
#ifndef FWHOST_DRIVE_DRIVEINPUT_H
#define FWHOST_DRIVE_DRIVEINPUT_H

#include <cstddef>
#include <string>
#include <vector>

#include "host/drive/DriveDescription.h"
#include "host/error/HostError.h"
#include "host/platform/Document.h"

namespace fwhost {

// The most elements a drive description may hold: the plug-in gives each attribute value a
// memory page of its own.
constexpr size_t kMaxDescriptionElements = 1000;

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

// The whole file, or all of standard input for "-", as UTF-8 (asUtf8); HostError naming the
// file: io when it cannot be read, invalidInput when it is a folder or larger than
// kMaxDocumentBytes, which is all that is read of it.
std::string readInput(const std::string& path);

// A description built from the settings; HostError (usage) for a malformed one.
DriveDescription describe(const std::vector<std::string>& settings);

// The file's text, or the description built from the settings; HostError (usage) unless
// exactly one of the two is given.
DriveText readDrive(const DriveInput& input);

// HostError (invalidInput) naming the drive's origin and the cap when its description is
// larger than kMaxDocumentBytes or, nested no deeper than the plug-in reads, holds more than
// kMaxDescriptionElements elements.
void refuseOversized(const DriveText& drive);

}  // namespace fwhost

#endif
