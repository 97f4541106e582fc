#include "orv/core/Memory.h"

#include <string>

#include "orv/core/Platform.h"
#include "orv/core/Report.h"

namespace orv::core::memory {

int32_t memCopy(void* destination, uint64_t destinationSize, const void* source,
                uint64_t sourceSize) {
  if (sourceSize > destinationSize) {
    reportFatal(ORV_HERE, "Invalid call to memCopy: source size (" + std::to_string(sourceSize) +
                              ") is greater than destination size (" +
                              std::to_string(destinationSize) + ")");
  }
  return platform::boundedCopy(destination, destinationSize, source, sourceSize);
}

}  // namespace orv::core::memory
