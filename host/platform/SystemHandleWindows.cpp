#include <windows.h>

#include <utility>

#include "host/platform/SystemHandle.h"

namespace fwhost {

SystemHandle::Native SystemHandle::invalid() { return INVALID_HANDLE_VALUE; }

bool SystemHandle::valid() const { return native_ != INVALID_HANDLE_VALUE && native_ != nullptr; }

SystemHandle::Native SystemHandle::release() { return std::exchange(native_, invalid()); }

bool SystemHandle::close() { return !valid() || CloseHandle(release()) != 0; }

}  // namespace fwhost
