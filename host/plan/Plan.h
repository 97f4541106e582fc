// A drive's update plan, made whole in memory before anything is written: the packages in
// flash order, their SHA256SUMS and the manifest that says the plan is complete.
#ifndef FWHOST_PLAN_PLAN_H
#define FWHOST_PLAN_PLAN_H

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "host/plugin/DriveMapping.h"
#include "host/plugin/Plugin.h"

namespace fwhost {

// One file of a plan: where it goes, its bytes and their SHA-256.
struct PlanFile {
  std::filesystem::path path;
  std::string bytes;
  std::string sha256;
};

struct Plan {
  std::filesystem::path directory;
  std::string destination;         // the target firmware version
  std::vector<PlanFile> packages;  // in flash order
  PlanFile sums;                   // SHA256SUMS, as sha256sum -c reads it
  PlanFile manifest;               // manifest.json, written last
  uint64_t bytes = 0;              // of the packages together
};

// The plan into directory of a drive whose verdict is update available; HostError
// (inconsistentAnswer) when the plug-in names no package, or one it does not hand out.
Plan makePlan(const Plugin& plugin, const MappedDrive& mapped,
              const std::filesystem::path& directory);

// The same file with other bytes, their SHA-256 computed anew.
PlanFile withBytes(const PlanFile& file, std::string bytes);

}  // namespace fwhost

#endif
