// Writing a drive's update plan into a folder: every package in flash order, SHA256SUMS and,
// last, manifest.json, so that a folder with a manifest holds a complete plan. Shared by plan
// and scan --plan.
#ifndef FWHOST_PLANWRITER_H
#define FWHOST_PLANWRITER_H

#include <filesystem>
#include <functional>
#include <string>

#include <nlohmann/json.hpp>

#include "host/commands/Commands.h"

namespace fwhost {

struct PlanWrite {
  bool dryRun = false;  // make every check and write nothing
  bool force = false;   // replace files that hold other bytes
};

// Writes the plan of a drive whose verdict is update available into directory, made when
// missing; a file that already holds its bytes is kept. line gets the heading first, then one
// line per file once it is in place. Answers {"packages", "bytes", "directory", "dry_run",
// "files"}; HostError as the writes and the plug-in's answers fail.
nlohmann::ordered_json writePlan(const Plugin& plugin, const MappedDrive& mapped,
                                 const std::filesystem::path& directory, const PlanWrite& how,
                                 const std::function<void(const std::string&)>& line);

}  // namespace fwhost

#endif
