#include "host/drive/DriveInput.h"

#include <cstring>
#include <filesystem>

#include "host/drive/NestingLimit.h"
#include "host/drive/TextEncoding.h"
#include "host/error/HostError.h"
#include "host/platform/Document.h"
#include "host/platform/InputFile.h"
#include "host/platform/SafeWrite.h"

namespace fwhost {
std::string readInput(const std::string& path) {
  if (path == "-") {
    InputFile in;
    return asUtf8(readDocument(in, "standard input"), "standard input");
  }
  // Texts inside fwhost are UTF-8, which a narrow path on Windows is not.
  const std::filesystem::path native = std::filesystem::u8path(path);
  if (inspectPath(native).kind == PathKind::directory) {
    throw HostError::invalidInput(path, "is a directory, not a drive description");
  }
  InputFile in(native);
  return asUtf8(readDocument(in, path), path);
}

DriveDescription describe(const std::vector<std::string>& settings) {
  DriveDescription description;
  for (const std::string& setting : settings) description.set(setting);
  return description;
}

DriveText readDrive(const DriveInput& input) {
  if (input.file.empty() == input.settings.empty()) {
    throw HostError::usage("give either a drive description FILE or --set settings");
  }
  if (input.settings.empty()) {
    return {input.file == "-" ? "standard input" : input.file, readInput(input.file)};
  }
  return {"--set drive", describe(input.settings).xml()};
}

void refuseOversized(const DriveText& drive) {
  if (drive.xml.size() > kMaxDocumentBytes) throw documentTooLarge(drive.origin);
  // Nesting too deep is refused as unreadable, by fwhost and the plug-in alike, before either
  // builds anything of it.
  if (!withinNestingLimit(drive.xml)) return;
  // Every '<' that opens a tag and does not close one: comments may add to the count, which
  // only errs on the safe side.
  size_t elements = 0;
  for (size_t at = drive.xml.find('<'); at != std::string::npos; at = drive.xml.find('<', at + 1))
    elements += at + 1 < drive.xml.size() && std::strchr("/!?", drive.xml[at + 1]) == nullptr;
  if (elements > kMaxDescriptionElements) {
    throw HostError::invalidInput(drive.origin, "holds " + std::to_string(elements) +
                                                    " elements, more than the " +
                                                    std::to_string(kMaxDescriptionElements) +
                                                    " a drive description may have");
  }
}

}  // namespace fwhost
