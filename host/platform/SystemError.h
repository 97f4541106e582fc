// Windows' own words for an error code of GetLastError, for messages.
#ifndef FWHOST_PLATFORM_SYSTEMERROR_H
#define FWHOST_PLATFORM_SYSTEMERROR_H

#include <windows.h>

#include <string>

namespace fwhost {

// "Access is denied (error 5)".
std::string systemMessage(DWORD error);

}  // namespace fwhost

#endif
