// Windows' own words for an error code of GetLastError, for messages.
#ifndef FWHOST_PLATFORM_SYSTEMERROR_H
#define FWHOST_PLATFORM_SYSTEMERROR_H

#include <string>

namespace fwhost {

// "Access is denied (error 5)".
std::string systemMessage(unsigned long error);

}  // namespace fwhost

#endif
