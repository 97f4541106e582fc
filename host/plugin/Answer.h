// The plug-in's answer documents read back into values.
#ifndef FWHOST_PLUGIN_ANSWER_H
#define FWHOST_PLUGIN_ANSWER_H

#include <string>
#include <vector>

#include "host/output/Results.h"

namespace fwhost {

// The Properties of the document's root Object, in document order; HostError
// (inconsistentAnswer) naming origin when the document is not XML, or nests deeper than
// kMaxNestingDepth.
std::vector<AnswerProperty> readAnswer(const std::string& document, const std::string& origin);

// HostError (inconsistentAnswer) naming origin when the document lacks a known verdict, gives
// a property twice, names a package twice (letter case aside) or one that cannot be a file name
// (isPackageName), or offers an update without packages.
MappingAnswer readMappingAnswer(const std::string& document, const std::string& origin);

// Whether a package of that name can be written as NAME.bin on Linux and Windows alike (no
// Windows device name such as CON or com1.x) and listed on one line of SHA256SUMS.
bool isPackageName(const std::string& name);

}  // namespace fwhost

#endif
