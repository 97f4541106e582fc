// The worker process's own side: it loads the plug-in, confines itself and makes the export
// calls fwhost asks for, one at a time, until fwhost closes its requests; then it unloads the
// plug-in and ends.
#ifndef FWHOST_PLUGIN_WORKERMAIN_H
#define FWHOST_PLUGIN_WORKERMAIN_H

#include <string>
#include <vector>

namespace fwhost {

// The first argument that makes fwhost a worker; no user types it.
constexpr const char* kWorkerArgument = "--plugin-worker-process";

// arguments: the program, kWorkerArgument, the plug-in's path, the memory limit in bytes, the
// request and reply handles. The process's exit code.
int runPluginWorker(const std::vector<std::string>& arguments);

}  // namespace fwhost

#endif
