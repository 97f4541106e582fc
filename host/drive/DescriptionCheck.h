// What fwhost can tell about a drive description before the plug-in reads it: the slips the
// plug-in's lenient reader passes over in silence.
#ifndef FWHOST_DRIVE_DESCRIPTIONCHECK_H
#define FWHOST_DRIVE_DESCRIPTIONCHECK_H

#include <map>
#include <string>
#include <vector>

#include "host/error/Warning.h"

namespace fwhost {

// The code of the warning that an attribute the rules read is missing.
inline constexpr const char* kMissingAttribute = "missing-attribute";

struct DescriptionCheck {
  Warnings warnings;       // without a subject: the caller knows the description's name
  std::string unreadable;  // "line N: the parser's reason" when the text is not XML, else empty
  // Why fwhost and the plug-in could read the text as two different drives (an attribute
  // repeated in one element; a rule key of a type the rules read as bytes); empty when they
  // cannot.
  std::string twoReadings;
  // Each attribute the rules read that the description gives, under the rules' spelling of its
  // key, with its value as described.
  std::map<std::string, std::string> ruleAttributes;
  // Keys the rules read that are given more than once, ASCII case ignored, as first given.
  std::vector<std::string> repeatedRuleKeys;
};

// Warns of Properties the plug-in skips, attributes its rules read that are missing, keys
// within two edits of those, keys given more than once, and values with white space at either
// end. Text that is empty, or nested deeper than the plug-in reads, is unreadable unread.
DescriptionCheck checkDescription(const std::string& xml);

}  // namespace fwhost

#endif
