#include "orv/core/Platform.h"

#include <atomic>
#include <cstdlib>
#include <cstring>

#if defined(_WIN32)
#include <malloc.h>
#include <string.h>
#endif

namespace orv::core::platform {
namespace {

std::atomic<AllocationFailure> allocationFailure{nullptr};
std::atomic<ReleaseObserver> releaseObserver{nullptr};

#if defined(_WIN32)
// Only valid requests reach memcpy_s: the runtime's default handler would end the process on a
// violated constraint, and the core promises a code instead.
void copyValid(void* destination, uint64_t destinationSize, const void* source, uint64_t count) {
  memcpy_s(destination, static_cast<size_t>(destinationSize), source, static_cast<size_t>(count));
}

void* allocateAligned(uint64_t size, uint64_t alignment) {
  return _aligned_malloc(static_cast<size_t>(size == 0 ? 1 : size), static_cast<size_t>(alignment));
}

void releaseAligned(void* memory) { _aligned_free(memory); }
#else
void copyValid(void* destination, uint64_t, const void* source, uint64_t count) {
  std::memcpy(destination, source, static_cast<size_t>(count));
}

void* allocateAligned(uint64_t size, uint64_t alignment) {
  void* memory = nullptr;
  // A 0-byte request may legally come back null; one byte keeps the promise of a valid pointer.
  const size_t bytes = static_cast<size_t>(size == 0 ? 1 : size);
  return posix_memalign(&memory, static_cast<size_t>(alignment), bytes) == 0 ? memory : nullptr;
}

void releaseAligned(void* memory) { std::free(memory); }
#endif

}  // namespace

int boundedCopy(void* destination, uint64_t destinationSize, const void* source, uint64_t count) {
  if (count == 0) return 0;
  if (destination == nullptr) return kCopyInvalid;
  if (source == nullptr || destinationSize < count) {
    std::memset(destination, 0, static_cast<size_t>(destinationSize));
    return source == nullptr ? kCopyInvalid : kCopyTooLarge;
  }
  copyValid(destination, destinationSize, source, count);
  return 0;
}

void* alignedAllocate(uint64_t size, uint64_t alignment) {
  const AllocationFailure decide = allocationFailure.load();
  if (decide != nullptr && decide(size)) return nullptr;
  // Beyond this the allocator's own bookkeeping would wrap the request.
  if (size > UINT64_MAX - alignment) return nullptr;
  return allocateAligned(size, alignment);
}

void alignedRelease(void* memory) {
  if (const ReleaseObserver observe = releaseObserver.load()) observe(memory);
  releaseAligned(memory);
}

void wipe(void* memory, size_t size) {
  std::memset(memory, 0, size);
  // Tells the optimiser the zeros are observed, so the store before a release is kept.
  __asm__ __volatile__("" : : "r"(memory) : "memory");
}

void setAllocationFailure(AllocationFailure decide) { allocationFailure.store(decide); }

void setReleaseObserver(ReleaseObserver observe) { releaseObserver.store(observe); }

}  // namespace orv::core::platform
