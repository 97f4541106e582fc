#include "host/discovery/ScannedDrive.h"

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
  return drive.device == name || drive.device == "PhysicalDrive" + name;
}

}  // namespace fwhost
