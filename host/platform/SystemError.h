// The system's own words for why a call failed, in the one style fwhost gives every system error
// of its platform: strerror's text on Linux, FormatMessageW's with the error number on Windows.
// One twin per platform.
#ifndef FWHOST_PLATFORM_SYSTEMERROR_H
#define FWHOST_PLATFORM_SYSTEMERROR_H

#include <string>

namespace fwhost {

// "Permission denied" for errno 13; "Access is denied (error 5)" for GetLastError's 5.
std::string systemMessage(unsigned long error);

// systemMessage of what the calling thread's last failed call left: errno, or GetLastError().
std::string lastSystemError();

}  // namespace fwhost

#endif
