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

bool answersTo(const ScannedDrive& drive, const std::string& name) {
  const std::string_view windows = "PhysicalDrive";
  if (drive.device.rfind(windows, 0) != 0) return drive.device == name;
  // Windows' names ignore case; a drive's device path and its number name it too.
  const std::string_view path = "\\\\.\\";
  const std::string_view asked =
      name.rfind(path, 0) == 0 ? std::string_view(name).substr(path.size()) : name;
  return boost::algorithm::iequals(asked, drive.device) ||
         name == drive.device.substr(windows.size());
}

}  // namespace fwhost
