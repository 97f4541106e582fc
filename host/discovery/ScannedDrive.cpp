#include "host/discovery/ScannedDrive.h"

#include <string_view>

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
