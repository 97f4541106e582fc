#include "host/platform/CommandLine.h"

namespace fwhost {

std::vector<std::string> commandLine(int argc, char** argv) { return {argv, argv + argc}; }

const char* interruptedExitLine() {
  return "  128+N  ended by signal N (no temporary file is left behind)\n";
}

}  // namespace fwhost
