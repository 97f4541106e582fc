// What fwhost takes from the system as it starts; one twin per platform.
#ifndef FWHOST_STARTUP_H
#define FWHOST_STARTUP_H

#include <string>
#include <vector>

namespace fwhost {

// The program's arguments as UTF-8 texts, its name first. Also readies the standard streams
// to carry bytes unchanged, so that output is the same on every platform.
std::vector<std::string> startUp(int argc, char** argv);

}  // namespace fwhost

#endif
