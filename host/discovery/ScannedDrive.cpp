#include "host/discovery/ScannedDrive.h"

#include <utility>

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
  return drive.device == name || drive.device == "PhysicalDrive" + name;
}

}  // namespace fwhost
