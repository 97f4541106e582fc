// The C runtime services the core needs, behind one seam so every platform runs the same core.
#ifndef ORV_CORE_PLATFORM_H
#define ORV_CORE_PLATFORM_H

#include <cstddef>
#include <cstdint>

namespace orv::core::platform {

constexpr int kCopyInvalid = 22;   // EINVAL
constexpr int kCopyTooLarge = 34;  // ERANGE

// Bounded copy with the rules of C11 Annex K memcpy_s: a count of 0 copies nothing and succeeds;
// a null destination is refused untouched; a null source or a count above destinationSize clears
// the destination. Returns 0, kCopyInvalid or kCopyTooLarge and never ends the process.
int boundedCopy(void* destination, uint64_t destinationSize, const void* source, uint64_t count);

// Zero-filled-by-caller storage aligned to `alignment`; a request for 0 bytes yields a valid,
// aligned pointer. Null when the memory cannot be had. Release with alignedRelease only.
void* alignedAllocate(uint64_t size, uint64_t alignment);
void alignedRelease(void* memory);

// Overwrites bytes in a way the optimiser may not drop, for storage about to be released.
void wipe(void* memory, size_t size);

// Test seam: while set, asked before every aligned allocation; answering true makes it fail.
using AllocationFailure = bool (*)(uint64_t size);
void setAllocationFailure(AllocationFailure decide);

// Test seam: while set, shown every aligned block just before it is released.
using ReleaseObserver = void (*)(const void* memory);
void setReleaseObserver(ReleaseObserver observe);

}  // namespace orv::core::platform

#endif
