#include "host/platform/CommandLine.h"

namespace fwhost {

std::vector<std::string> commandLine(int argc, char** argv) { return {argv, argv + argc}; }

}  // namespace fwhost
