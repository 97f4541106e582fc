// A child process of fwhost's own program that runs the plug-in apart from it: this object owns
// the process and the three pipes to it (its requests, its replies, and its stdout and stderr,
// which are its log) and kills it when it goes. One twin per platform.
#ifndef FWHOST_PLATFORM_WORKERPROCESS_H
#define FWHOST_PLATFORM_WORKERPROCESS_H

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "host/platform/SystemHandle.h"

namespace fwhost {

// Takes bytes of the worker's log as they come.
using LogBytes = std::function<void(const char* bytes, size_t size)>;

using Deadline = std::chrono::steady_clock::time_point;

class WorkerProcess {
 public:
  enum class Transfer { done, ended, timedOut };

  // Starts fwhost's program with arguments, then the native request and reply handles as the
  // worker is to use them; on Windows in a job object that holds it to memoryBytes, no child
  // processes and fwhost's lifetime. HostError (io) when it cannot be started.
  WorkerProcess(const std::vector<std::string>& arguments, uint64_t memoryBytes);
  ~WorkerProcess();
  WorkerProcess(const WorkerProcess&) = delete;
  WorkerProcess& operator=(const WorkerProcess&) = delete;

  // Writes request whole and reads exactly size bytes of reply into reply, before deadline;
  // the log that comes meanwhile goes to log. ended: the reply pipe closed first.
  Transfer exchange(const std::string& request, char* reply, size_t size, Deadline deadline,
                    const LogBytes& log);

  // Closes the worker's requests, so that it unloads the plug-in and ends, and reads its log
  // until it has. Then as end().
  std::string finish(Deadline deadline, const LogBytes& log);

  // Waits until the worker has ended or deadline has passed, kills it if not, and says how it
  // ended: "exited with code 0", "killed by SIGSEGV", "ended by exception 0xC0000005";
  // "killed" when fwhost killed it.
  std::string end(Deadline deadline);

 private:
  void readLog(const LogBytes& log);

  SystemHandle process_;
  SystemHandle requests_;
  SystemHandle replies_;
  SystemHandle log_;
  bool killed_ = false;
#if defined(_WIN32)
  struct LogReader;  // the log's read in flight, which outlives each exchange
  std::unique_ptr<LogReader> logReader_;
  SystemHandle job_;
#endif
};

}  // namespace fwhost

#endif
