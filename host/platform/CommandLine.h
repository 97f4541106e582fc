// The program's arguments as fwhost keeps them, and what its help says that differs by platform;
// one twin per platform.
#ifndef FWHOST_PLATFORM_COMMANDLINE_H
#define FWHOST_PLATFORM_COMMANDLINE_H

#include <string>
#include <vector>

namespace fwhost {

// The arguments as UTF-8 texts, the program's name first. On Windows "/?" is "--help".
std::vector<std::string> commandLine(int argc, char** argv);

// The exit codes' line for a run the user interrupts: "  CODE  ended by ...\n".
const char* interruptedExitLine();

}  // namespace fwhost

#endif
