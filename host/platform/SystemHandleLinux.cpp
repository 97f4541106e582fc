#include <unistd.h>

#include <utility>

#include "host/platform/SystemHandle.h"

namespace fwhost {

SystemHandle::Native SystemHandle::invalid() { return -1; }

bool SystemHandle::valid() const { return native_ >= 0; }

SystemHandle::Native SystemHandle::release() { return std::exchange(native_, invalid()); }

bool SystemHandle::close() { return !valid() || ::close(release()) == 0; }

}  // namespace fwhost
