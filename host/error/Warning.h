// A warning that does not stop the command: a stable code for scripts, the thing it is about
// and a sentence for people. Every room may report one; output renders them.
#ifndef FWHOST_ERROR_WARNING_H
#define FWHOST_ERROR_WARNING_H

#include <string>
#include <vector>

namespace fwhost {

struct Warning {
  std::string code;     // "missing-attribute": one word of lower-case letters and dashes
  std::string subject;  // the file, drive or plug-in; empty when there is none
  std::string message;  // the sentence, without the subject
};

using Warnings = std::vector<Warning>;

}  // namespace fwhost

#endif
