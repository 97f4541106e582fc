#include "host/discovery/ScannedDrive.h"

#include <string_view>
#include <utility>

#include <boost/algorithm/string/predicate.hpp>

namespace fwhost {

const char* sourceName(IdentitySource source) {
  switch (source) {
    case IdentitySource::nvmeSysfs:
      return "nvme-sysfs";
    case IdentitySource::ataIdentifyVpd:
      return "ata-identify-vpd";
    case IdentitySource::ataIdentifySgio:
      return "ata-identify-sgio";
    case IdentitySource::nvmeIdentify:
      return "nvme-identify";
    case IdentitySource::ataIdentifyPassThrough:
      return "ata-identify-passthrough";
    case IdentitySource::storageDescriptor:
      return "storage-descriptor";
    case IdentitySource::scsiInquiry:
      break;
  }
  return "scsi-inquiry";
}

std::string missingTexts(const DriveIdentity& identity) {
  std::string missing;
  for (const auto& [field, text] :
       {std::pair{"model", &identity.model}, std::pair{"serial number", &identity.serial},
        std::pair{"firmware revision", &identity.firmware}}) {
    if (text->empty()) missing += std::string(missing.empty() ? "" : ", ") + field;
  }
  return missing.empty() ? "" : "the drive reports no " + missing;
}

namespace {

// "nvme0" for "nvme0n1" or "/dev/nvme0n1"; the name without "/dev/" otherwise.
std::string linuxDevice(const std::string& name) {
  const std::string device = name.rfind("/dev/", 0) == 0 ? name.substr(5) : name;
  const auto digit = [](char c) { return c >= '0' && c <= '9'; };
  if (device.rfind("nvme", 0) != 0) return device;
  size_t at = 4;
  while (at < device.size() && digit(device[at])) ++at;
  if (at == 4 || at + 1 >= device.size() || device[at] != 'n') return device;
  for (size_t each = at + 1; each < device.size(); ++each)
    if (!digit(device[each])) return device;
  return device.substr(0, at);
}

}  // namespace

bool answersTo(const std::string& device, const std::string& name) {
  const std::string_view windows = "PhysicalDrive";
  if (device.rfind(windows, 0) != 0) return device == linuxDevice(name);
  // Windows' names ignore case; a drive's device path and its number name it too.
  const std::string_view path = "\\\\.\\";
  const std::string_view asked =
      name.rfind(path, 0) == 0 ? std::string_view(name).substr(path.size()) : name;
  return boost::algorithm::iequals(asked, device) || name == device.substr(windows.size());
}

}  // namespace fwhost
