#include <windows.h>

#include <string>

#include "host/platform/WorkerSandbox.h"

namespace fwhost {

// The job object fwhost starts the worker in holds its memory; a crash must end the worker at
// once rather than wait on an error dialog.
void limitWorkerMemory(uint64_t) { SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX); }

// Windows has no system call filter; the job object allows no child processes.
std::string confineWorker(SystemHandle::Native, SystemHandle::Native, ForbiddenCallReport) {
  return {};
}

std::string systemCallName(long number) { return "system call " + std::to_string(number); }

}  // namespace fwhost
