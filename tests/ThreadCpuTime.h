// Test helper: the processor time the calling thread has used, which other programs running on
// a shared machine do not add to, as they add to the time on the clock.
#ifndef FWPROVIDER_TESTS_THREADCPUTIME_H
#define FWPROVIDER_TESTS_THREADCPUTIME_H

#if defined(_WIN32)
#include <windows.h>
#else
#include <time.h>
#endif

// Seconds since an arbitrary start, in steps of at most 16 ms (Windows counts in clock ticks).
inline double threadCpuSeconds() {
#if defined(_WIN32)
  FILETIME created, exited, kernel, user;
  GetThreadTimes(GetCurrentThread(), &created, &exited, &kernel, &user);
  const auto ticks = [](const FILETIME& t) {
    return (static_cast<unsigned long long>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
  };
  return static_cast<double>(ticks(kernel) + ticks(user)) * 100e-9;
#else
  timespec now{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
#endif
}

// Processor seconds per call of `call`, repeated for a quarter of a second so that the clock's
// steps do not count; at most 200 calls, should the clock not move at all.
template <typename Call>
double threadCpuSecondsPerCall(Call call) {
  const double start = threadCpuSeconds();
  int calls = 0;
  do {
    call();
    ++calls;
  } while (threadCpuSeconds() - start < 0.25 && calls < 200);
  return (threadCpuSeconds() - start) / calls;
}

#endif
