// Test helper: counts every allocation the process makes through global operator new and through
// the core's aligned-allocation seam, and makes chosen ones fail. The binary that links
// AllocationFailures.cpp has its operator new replaced.
#ifndef FWPROVIDER_TESTS_ALLOCATIONFAILURES_H
#define FWPROVIDER_TESTS_ALLOCATIONFAILURES_H

#include <cstddef>
#include <cstdint>

// While alive, counts allocations from 1 and fails the one numbered failAt (0: none), or with
// persistent set that one and every later one: operator new throws std::bad_alloc, the aligned
// seam answers null. One at a time.
class AllocationFailures {
 public:
  explicit AllocationFailures(uint64_t failAt, bool persistent = false);
  ~AllocationFailures();
  AllocationFailures(const AllocationFailures&) = delete;
  AllocationFailures& operator=(const AllocationFailures&) = delete;

  uint64_t newCalls() const;
  uint64_t alignedCalls() const;
  bool injected() const;
};

// Blocks from operator new not yet deleted, over the life of the process.
int64_t liveAllocations();

// While set, shown every block from operator new, with its usable size, just before it is freed.
using ReleaseWatch = void (*)(const void* memory, size_t size);
void watchReleases(ReleaseWatch watch);

#endif
