// A plan's manifest.json, what it records and how it is checked, in one place: the head made
// from the mapping, the whole written once every package's SHA-256 is known, and a manifest
// read back strictly by verify.
#ifndef FWHOST_PLAN_MANIFEST_H
#define FWHOST_PLAN_MANIFEST_H

#include <cstdint>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "host/output/Results.h"
#include "host/plugin/DriveMapping.h"

namespace fwhost {

// The file a plan holds beside its packages and SHA256SUMS.
inline constexpr const char* kManifest = "manifest.json";

// The package files the manifest lists, in flash order.
struct ListedFile {
  std::string name;
  std::string file;  // NAME.bin
  uint64_t size = 0;
  std::string sha256;
};

// Everything but "created" and "package_files", from the mapping and the plug-in that made it.
nlohmann::ordered_json manifestHead(const PluginFile& plugin, const MappedDrive& mapped);

// The manifest's text, created now.
std::string manifestText(nlohmann::ordered_json head, const std::vector<ListedFile>& files);

// Whether the manifest text there records the plan planned: neither when it was made nor where
// the plug-in was then makes it another.
bool sameManifest(const std::string& existing, const std::string& planned);

// The package files of a manifest that plan writes: every field of its type, the schema version
// this fwhost writes, an update, the packages of the mapping each listed once as NAME.bin in
// their order. HostError (mismatch) naming path and the field that is not so.
std::vector<ListedFile> readManifest(const std::string& text, const std::string& path);

}  // namespace fwhost

#endif
