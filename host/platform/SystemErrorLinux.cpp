#include <cerrno>
#include <cstring>

#include "host/platform/SystemError.h"

namespace fwhost {

std::string systemMessage(unsigned long error) { return std::strerror(static_cast<int>(error)); }

std::string lastSystemError() { return systemMessage(static_cast<unsigned long>(errno)); }

}  // namespace fwhost
