#include "bench/HeapMeter.h"

#include <malloc.h>

#include <atomic>
#include <cerrno>

extern "C" {
void* __libc_malloc(size_t size);
void* __libc_calloc(size_t count, size_t size);
void* __libc_realloc(void* memory, size_t size);
void* __libc_memalign(size_t alignment, size_t size);
void __libc_free(void* memory);
}

namespace {

std::atomic<bool> metering{false};
std::atomic<long long> live{0};
std::atomic<long long> peak{0};
std::atomic<size_t> blocks{0};

void counted(void* memory) {
  if (memory == nullptr || !metering.load(std::memory_order_relaxed)) return;
  const long long now = live += static_cast<long long>(malloc_usable_size(memory));
  long long seen = peak.load(std::memory_order_relaxed);
  while (now > seen && !peak.compare_exchange_weak(seen, now)) {
  }
  ++blocks;
}

void uncounted(void* memory) {
  if (memory != nullptr && metering.load(std::memory_order_relaxed)) {
    live -= static_cast<long long>(malloc_usable_size(memory));
  }
}

}  // namespace

extern "C" {

void* malloc(size_t size) {
  void* memory = __libc_malloc(size);
  counted(memory);
  return memory;
}

void* calloc(size_t count, size_t size) {
  void* memory = __libc_calloc(count, size);
  counted(memory);
  return memory;
}

void* realloc(void* memory, size_t size) {
  uncounted(memory);
  void* moved = __libc_realloc(memory, size);
  counted(moved != nullptr ? moved : (size == 0 ? nullptr : memory));
  return moved;
}

void free(void* memory) {
  uncounted(memory);
  __libc_free(memory);
}

void* memalign(size_t alignment, size_t size) {
  void* memory = __libc_memalign(alignment, size);
  counted(memory);
  return memory;
}

void* aligned_alloc(size_t alignment, size_t size) { return memalign(alignment, size); }

int posix_memalign(void** result, size_t alignment, size_t size) {
  void* memory = memalign(alignment, size);
  if (memory == nullptr) return ENOMEM;
  *result = memory;
  return 0;
}

}  // extern "C"

void startHeapMeter() {
  live = 0;
  peak = 0;
  blocks = 0;
  metering = true;
}

HeapFigures stopHeapMeter() {
  metering = false;
  return {static_cast<size_t>(peak.load()), blocks.load()};
}
