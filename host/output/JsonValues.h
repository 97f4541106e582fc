// The JSON shape of each value that more than one document holds (a mapping, a plug-in file, a
// file written), defined once: the renderer's documents and a plan's manifest use these.
#ifndef FWHOST_OUTPUT_JSONVALUES_H
#define FWHOST_OUTPUT_JSONVALUES_H

#include <nlohmann/json.hpp>

#include "host/error/Warning.h"
#include "host/output/Results.h"

namespace fwhost {

using Json = nlohmann::ordered_json;

// The version of every JSON document fwhost prints or writes: within a version fields are added,
// never removed, renamed or retyped.
constexpr int kSchemaVersion = 1;

// {"status", "verdict", "source", "destination", "packages"}.
Json toJson(const MappingAnswer& mapping);

// {"path", "sha256", "version"}, version null when unknown.
Json toJson(const PluginFile& plugin);

// {"model", "serial", "firmware"}.
Json toJson(const DriveNames& drive);

// {"file", "path", "size", "sha256", "action"}.
Json toJson(const FileResult& file);

// {"code", "message"}.
Json toJson(const Failure& failure);

// [{"code", "subject", "message"}, ...].
Json toJson(const Warnings& warnings);

}  // namespace fwhost

#endif
