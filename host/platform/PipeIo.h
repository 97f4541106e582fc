// Blocking reads and writes of whole buffers on a pipe, as the worker process makes them; on
// Linux async-signal-safe. One twin per platform.
#ifndef FWHOST_PLATFORM_PIPEIO_H
#define FWHOST_PLATFORM_PIPEIO_H

#include <cstddef>
#include <string>

#include "host/platform/SystemHandle.h"

namespace fwhost {

// False at the end of the pipe or on an error.
bool readFully(SystemHandle::Native pipe, char* bytes, size_t size);
bool writeFully(SystemHandle::Native pipe, const char* bytes, size_t size);

// A handle the worker was given as text on its command line.
SystemHandle::Native handleFromText(const std::string& text);
std::string handleText(SystemHandle::Native handle);

}  // namespace fwhost

#endif
