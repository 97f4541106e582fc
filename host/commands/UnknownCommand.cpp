#include <string>

#include "host/commands/Commands.h"
#include "host/drive/EditDistance.h"

namespace fwhost {

HostError unknownCommand(const std::string& name) {
  std::string names;
  const char* nearest = nullptr;
  size_t distance = 3;  // further than two edits is another word, not a slip
  for (const Command& command : commands()) {
    names += (names.empty() ? "" : ", ") + std::string(command.name);
    const size_t edits = editDistance(name, command.name);
    if (edits < distance) {
      distance = edits;
      nearest = command.name;
    }
  }
  return HostError::usage(
      "no command " + name + " (the commands: " + names + ")" +
      (nearest == nullptr ? "" : "; did you mean " + std::string(nearest) + "?"));
}

}  // namespace fwhost
