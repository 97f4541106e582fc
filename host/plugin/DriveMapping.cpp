#include "host/plugin/DriveMapping.h"

#include <iostream>
#include <utility>

#include "host/drive/DescriptionCheck.h"
#include "host/output/TerminalText.h"

namespace fwhost {

MappedDrive mapDrive(const Plugin& plugin, const DriveText& drive) {
  refuseOversized(drive);
  const DescriptionCheck check = checkDescription(drive.xml);
  for (const std::string& warning : check.warnings)
    std::cerr << "fwhost: warning: " << terminalSafe(drive.origin + ": " + warning) << '\n';
  // The plug-in names no reason for refusing unreadable XML, so the parser's goes with its 36.
  const std::string origin = check.unreadable.empty()
                                 ? drive.origin
                                 : drive.origin + " (not XML: " + check.unreadable + ")";
  std::string document = plugin.mapping(drive.xml, origin);
  MappingAnswer answer = readMappingAnswer(document, plugin.path().u8string());
  return {std::move(answer), std::move(document),  drive.origin,
          check.warnings,    check.ruleAttributes, check.repeatedRuleKeys};
}

}  // namespace fwhost
