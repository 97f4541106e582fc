#include "host/Startup.h"

namespace fwhost {

std::vector<std::string> startUp(int argc, char** argv) { return {argv, argv + argc}; }

}  // namespace fwhost
