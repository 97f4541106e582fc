// Where the running fwhost lives, so that the plug-in beside it can be found.
#ifndef FWHOST_PLATFORM_EXECUTABLEDIRECTORY_H
#define FWHOST_PLATFORM_EXECUTABLEDIRECTORY_H

#include <filesystem>

namespace fwhost {

// The folder of the running executable; empty when the platform cannot tell.
std::filesystem::path executableDirectory();

}  // namespace fwhost

#endif
