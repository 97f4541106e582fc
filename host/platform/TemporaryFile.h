// A nameless scratch file, gone when closed: in memory on Linux, in the user's temporary folder
// on Windows; one twin per platform.
#ifndef FWHOST_PLATFORM_TEMPORARYFILE_H
#define FWHOST_PLATFORM_TEMPORARYFILE_H

#include <cstdio>

namespace fwhost {

// Open for reading and writing; null, with the system's error left for lastSystemError, when
// none can be made.
std::FILE* openTemporaryFile();

}  // namespace fwhost

#endif
