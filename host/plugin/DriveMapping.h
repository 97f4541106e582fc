// A drive's mapping as every command asks for it: fwhost's own check of the description first,
// then the plug-in's answer.
#ifndef FWHOST_PLUGIN_DRIVEMAPPING_H
#define FWHOST_PLUGIN_DRIVEMAPPING_H

#include <map>
#include <string>
#include <vector>

#include "host/drive/DriveInput.h"
#include "host/error/Warning.h"
#include "host/plugin/Answer.h"
#include "host/plugin/Plugin.h"

namespace fwhost {

struct MappedDrive {
  MappingAnswer answer;
  std::string document;                               // the plug-in's answer, unchanged
  std::string origin;                                 // where the description came from
  std::map<std::string, std::string> ruleAttributes;  // as DescriptionCheck has them
  std::vector<std::string> repeatedRuleKeys;          // as DescriptionCheck has them
};

// Checks the description, adds what it warns of to warnings (also when the mapping then fails)
// and asks the plug-in; HostError: invalidInput, before the plug-in is asked, when fwhost and the
// plug-in could read the description as two drives; as refuseOversized and Plugin::mapping say,
// with the XML parser's reason and line when the plug-in refused an unreadable text.
MappedDrive mapDrive(const Plugin& plugin, const DriveText& drive, Warnings& warnings);

}  // namespace fwhost

#endif
