// A drive's update plan before it is written: where it goes, the packages in flash order with
// their sizes, and what its manifest says. The packages' bytes stay with the plug-in until they
// are written, fetched one at a time, so that a plan costs the memory of one image.
#ifndef FWHOST_PLAN_PLAN_H
#define FWHOST_PLAN_PLAN_H

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "host/plan/Manifest.h"
#include "host/plugin/DriveMapping.h"
#include "host/plugin/Plugin.h"

namespace fwhost {

// The file of checksums a plan holds beside its packages and the manifest.
inline constexpr const char* kSums = "SHA256SUMS";

// Where a plan goes: the folder the user named and, for scan, the plan's own folder inside it;
// neither is followed when it is a symbolic link.
struct PlanPlace {
  std::filesystem::path named;
  std::string inside;  // empty: into named itself

  std::filesystem::path path() const;
};

// The whole plan; the packages' bytes are the plug-in's until fetchPackage asks for them.
struct Plan {
  const Plugin* plugin = nullptr;  // hands out the packages; the caller's, outlives the plan
  PlanPlace place;
  std::string destination;           // the target firmware version
  std::vector<ListedFile> packages;  // in flash order; sha256 empty until fetched
  uint64_t bytes = 0;                // of the packages together
  nlohmann::ordered_json manifest;   // its head, as manifestHead makes it
};

// The plan of a drive whose verdict is update available, every package sized with the plug-in
// and none fetched. HostError: invalidInput when the description gives a key the rules read more
// than once (the plan would record one value of it, the plug-in may have read the other);
// inconsistentAnswer when the plug-in does not hand out a package it named, or one larger than
// kMaxImageBytes.
Plan makePlan(const Plugin& plugin, const MappedDrive& mapped, PlanPlace place);

// The package's bytes from the plug-in, its sha256 set; HostError (inconsistentAnswer) when they
// differ from its size or from the bytes an earlier fetch handed out.
std::string fetchPackage(const Plan& plan, ListedFile& package);

// "SHA256  FILE\n", a line of SHA256SUMS as sha256sum -c reads it.
std::string sumsLine(const std::string& sha256, const std::string& file);

// SHA256SUMS and manifest.json, made now, once every package's sha256 is known.
std::string sumsOf(const Plan& plan);
std::string manifestOf(const Plan& plan);

// The plug-in file as a manifest records it: its path, SHA-256 and Version.
PluginFile pluginFile(const Plugin& plugin);

}  // namespace fwhost

#endif
