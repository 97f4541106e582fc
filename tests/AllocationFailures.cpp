#include "tests/AllocationFailures.h"

#include <atomic>
#include <cstdlib>
#include <new>

#include <malloc.h>

#include "orv/core/Platform.h"

namespace {

std::atomic<bool> armed{false};
std::atomic<uint64_t> failFrom{0};
std::atomic<bool> failOnce{true};
std::atomic<uint64_t> seen{0};
std::atomic<uint64_t> seenNew{0};
std::atomic<uint64_t> seenAligned{0};
std::atomic<bool> failed{false};
std::atomic<int64_t> live{0};
std::atomic<ReleaseWatch> releaseWatch{nullptr};

size_t usableSize(void* memory) {
#if defined(_WIN32)
  return _msize(memory);
#else
  return malloc_usable_size(memory);
#endif
}

bool shouldFail() {
  const uint64_t number = ++seen;
  const uint64_t from = failFrom.load();
  const bool fail = from != 0 && (failOnce ? number == from : number >= from);
  if (fail) failed = true;
  return fail;
}

bool alignedShouldFail(uint64_t) {
  ++seenAligned;
  return shouldFail();
}

}  // namespace

AllocationFailures::AllocationFailures(uint64_t failAt, bool persistent) {
  seen = 0;
  seenNew = 0;
  seenAligned = 0;
  failed = false;
  failFrom = failAt;
  failOnce = !persistent;
  orv::core::platform::setAllocationFailure(alignedShouldFail);
  armed = true;
}

AllocationFailures::~AllocationFailures() {
  armed = false;
  orv::core::platform::setAllocationFailure(nullptr);
}

uint64_t AllocationFailures::newCalls() const { return seenNew; }
uint64_t AllocationFailures::alignedCalls() const { return seenAligned; }
bool AllocationFailures::injected() const { return failed; }

int64_t liveAllocations() { return live; }

void watchReleases(ReleaseWatch watch) { releaseWatch = watch; }

// Every form that a sanitizer's runtime would otherwise supply is replaced, so that no block is
// allocated by one family and released by the other.
void* operator new(std::size_t size) {
  if (armed) {
    ++seenNew;
    if (shouldFail()) throw std::bad_alloc();
  }
  void* memory = std::malloc(size == 0 ? 1 : size);
  if (memory == nullptr) throw std::bad_alloc();
  ++live;
  return memory;
}

void* operator new[](std::size_t size) { return operator new(size); }

void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  try {
    return operator new(size);
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}

void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
  return operator new(size, std::nothrow);
}

void operator delete(void* memory) noexcept {
  if (memory == nullptr) return;
  --live;
  if (const ReleaseWatch watch = releaseWatch.load()) watch(memory, usableSize(memory));
  std::free(memory);
}

void operator delete[](void* memory) noexcept { operator delete(memory); }
void operator delete(void* memory, std::size_t) noexcept { operator delete(memory); }
void operator delete[](void* memory, std::size_t) noexcept { operator delete(memory); }
void operator delete(void* memory, const std::nothrow_t&) noexcept { operator delete(memory); }
void operator delete[](void* memory, const std::nothrow_t&) noexcept { operator delete(memory); }
