// fwhost's side of a worker process that runs one plug-in apart from it: started and the
// plug-in loaded on construction, asked one export call at a time, each within the deadline.
// This object owns the process; when it goes, the plug-in is unloaded and the process ends.
#ifndef FWHOST_PLUGIN_WORKER_H
#define FWHOST_PLUGIN_WORKER_H

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

#include "host/platform/WorkerProcess.h"
#include "host/plugin/PluginLog.h"
#include "host/plugin/WorkerProtocol.h"

namespace fwhost {

// What the plug-in's worker may spend: each call (and the loading and unloading) its deadline,
// the whole process its memory.
struct WorkerLimits {
  std::chrono::milliseconds deadline{10000};
  uint64_t memoryBytes = uint64_t{1} << 30;
};

// What an export call gave back: its code, *bufferLength after it, and the bytes it wrote
// (when it answered 0 into a buffer), never more than the capacity asked for.
struct ExportAnswer {
  uint32_t code = 0;
  uint32_t length = 0;
  std::string bytes;
};

class Worker {
 public:
  // HostError: unusablePlugin when the plug-in cannot be loaded or lacks an export (about
  // given, the path the user gave), pluginFailed when loading it crashes, ends the worker or
  // passes the deadline. view must outlive this object.
  Worker(const std::filesystem::path& plugin, const std::string& given, const WorkerLimits& limits,
         const LogView& view);
  // Unloads the plug-in; a worker that then crashes or passes the deadline is said in the log.
  ~Worker();
  Worker(const Worker&) = delete;
  Worker& operator=(const Worker&) = delete;

  // One export call; HostError (pluginFailed) naming the export and what ended it, after which
  // the worker is gone.
  ExportAnswer call(const WorkerRequest& request);

  bool alive() const { return process_.has_value(); }

 private:
  WorkerReply exchange(const std::string& request, const std::string& during);
  // Ends the worker and throws; what empty: what happened is how the worker ended, which it
  // is given the deadline to do.
  [[noreturn]] void fail(const std::string& what, const std::string& during);

  std::filesystem::path plugin_;
  WorkerLimits limits_;
  const LogView& view_;
  std::optional<WorkerProcess> process_;
};

// "10 s", "0.5 s".
std::string secondsText(std::chrono::milliseconds duration);

}  // namespace fwhost

#endif
