// Reading one attribute file of a sysfs tree, refusing anything that is not a regular file.
#ifndef FWHOST_DISCOVERY_SYSFSATTRIBUTE_H
#define FWHOST_DISCOVERY_SYSFSATTRIBUTE_H

#include <filesystem>
#include <optional>
#include <string>

namespace fwhost {

// The file's bytes as they are, std::nullopt when there is no such file; HostError (io) naming
// the file and the reason when it is there but cannot be read.
std::optional<std::string> readSysfsAttribute(const std::filesystem::path& path);

}  // namespace fwhost

#endif
