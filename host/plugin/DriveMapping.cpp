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
  // The plug-in names no reason for refusing unreadable XML, so the parser's goes with its 36.
  const std::string origin = check.unreadable.empty()
                                 ? drive.origin
                                 : drive.origin + " (not XML: " + check.unreadable + ")";
  std::string document = plugin.mapping(drive.xml, origin);
  MappingAnswer answer = readMappingAnswer(document, plugin.path().u8string());
  return {std::move(answer), std::move(document), drive.origin, check.ruleAttributes,
          check.repeatedRuleKeys};
}

}  // namespace fwhost
