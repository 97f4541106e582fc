#include "host/plugin/DriveMapping.h"

#include <utility>

#include "host/drive/DescriptionCheck.h"
#include "host/error/HostError.h"

namespace fwhost {

MappedDrive mapDrive(const Plugin& plugin, const DriveText& drive, Warnings& warnings) {
  refuseOversized(drive);
  const DescriptionCheck check = checkDescription(drive.xml);
  for (Warning warning : check.warnings) {
    warning.subject = drive.origin;
    warnings.push_back(std::move(warning));
  }
  if (!check.twoReadings.empty()) {
    throw HostError::invalidInput(
        drive.origin, check.twoReadings + "; fwhost and the plug-in could read it as two drives");
  }
  // Refused here, not by the plug-in, which names no reason and logs what it could not read.
  if (!check.unreadable.empty())
    throw HostError::invalidInput(drive.origin, "is not XML: " + check.unreadable);
  std::string document = plugin.mapping(drive.xml, drive.origin);
  MappingAnswer answer = readMappingAnswer(document, plugin.path().u8string());
  return {std::move(answer), std::move(document), drive.origin, check.ruleAttributes,
          check.repeatedRuleKeys};
}

}  // namespace fwhost
