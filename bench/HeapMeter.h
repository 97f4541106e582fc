// HeapMeter: live and peak heap bytes of this process while a measurement is open, counted by
// interposing the C allocator, under operator new and under the aligned payload storage alike.
#ifndef FWPROVIDER_BENCH_HEAPMETER_H
#define FWPROVIDER_BENCH_HEAPMETER_H

#include <cstddef>

struct HeapFigures {
  size_t peakBytes;    // largest number of bytes held at once above the level at start
  size_t allocations;  // blocks handed out
};

// Counts from now on; not reentrant, one measurement at a time.
void startHeapMeter();
HeapFigures stopHeapMeter();

#endif
