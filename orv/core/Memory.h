// memCopy: the one checked copy between buffers of known size.
#ifndef ORV_CORE_MEMORY_H
#define ORV_CORE_MEMORY_H

#include <cstdint>

namespace orv::core::memory {

// Copies sourceSize bytes. A source larger than the destination is a programming fault: it is
// reported as fatal, then the bounded-copy rules clear the destination. Returns 0, 22 or 34.
int32_t memCopy(void* destination, uint64_t destinationSize, const void* source,
                uint64_t sourceSize);

}  // namespace orv::core::memory

#endif
