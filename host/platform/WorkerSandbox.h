// What the worker process may do once it has loaded the plug-in: on Linux a limit to its address
// space and a system call filter, on Windows what the job object fwhost puts it in allows. One
// twin per platform.
#ifndef FWHOST_PLATFORM_WORKERSANDBOX_H
#define FWHOST_PLATFORM_WORKERSANDBOX_H

#include <cstdint>
#include <string>

#include "host/platform/SystemHandle.h"

namespace fwhost {

// Whether this build confines its worker. Sanitizer runtimes reserve terabytes of address space
// and at exit read /proc and start a tracer; their builds leave out the limit and the filter.
#if defined(FWHOST_SANITIZED)
constexpr bool kWorkerConfined = false;
#else
constexpr bool kWorkerConfined = true;
#endif

// Called from a signal handler with the number of the forbidden system call, just before the
// worker ends: may use only what is async-signal-safe.
using ForbiddenCallReport = void (*)(long number);

// Holds the process to memoryBytes of address space, and leaves no core file.
void limitWorkerMemory(uint64_t memoryBytes);

// From now on only what the plug-in's exports need: memory, reading requests, writing replies
// and the log (stdout, stderr), time, futex, ending. Any other call is reported and ends the
// process. Empty, or why the filter could not be installed.
std::string confineWorker(SystemHandle::Native requests, SystemHandle::Native replies,
                          ForbiddenCallReport report);

// The name of a system call by its number ("openat"), or the number.
std::string systemCallName(long number);

}  // namespace fwhost

#endif
