// The program's arguments as fwhost keeps them; one twin per platform.
#ifndef FWHOST_PLATFORM_COMMANDLINE_H
#define FWHOST_PLATFORM_COMMANDLINE_H

#include <string>
#include <vector>

namespace fwhost {

// The arguments as UTF-8 texts, the program's name first.
std::vector<std::string> commandLine(int argc, char** argv);

}  // namespace fwhost

#endif
