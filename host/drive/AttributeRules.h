// The vendor attributes of a fleet's drives, as an --attributes file gives them: rules that
// each match drives by glob on what the drive reports and set the attributes it does not.
#ifndef FWHOST_DRIVE_ATTRIBUTERULES_H
#define FWHOST_DRIVE_ATTRIBUTERULES_H

#include <string>
#include <string_view>
#include <vector>

#include "host/drive/DriveDescription.h"

namespace fwhost {

struct AttributeRule {
  std::string modelGlob = "*";
  std::string serialGlob = "*";
  DriveDescription attributes;
};

// The rules of a JSON file [{"match": {"ModelNumber": GLOB, "SerialNumber": GLOB}, "set":
// {KEY: VALUE, ...}}, ...], KEY as --set takes it; HostError (input) naming the file with the
// parser's reason and position, or the rule and what is wrong with it: io when it cannot be
// read, invalidInput otherwise.
std::vector<AttributeRule> readAttributeRules(const std::string& path);

// The first rule whose globs match the drive's model and serial, nullptr when none does.
const AttributeRule* findRule(const std::vector<AttributeRule>& rules, std::string_view model,
                              std::string_view serial);

// Whether text matches glob, where * stands for any run of characters and ? for one.
bool globMatches(std::string_view glob, std::string_view text);

// ModelNumber, SerialNumber or Firmware when the description sets it (the drive reports
// those itself), else nullptr.
const char* identityKeyIn(const DriveDescription& description);

}  // namespace fwhost

#endif
