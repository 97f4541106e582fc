// The drives this machine's kernel lists, each with the identity that the drive itself reports.
#ifndef FWHOST_DISCOVERY_SYSFSSCAN_H
#define FWHOST_DISCOVERY_SYSFSSCAN_H

#include <filesystem>
#include <string>
#include <vector>

#include "host/discovery/AtaPassThrough.h"
#include "host/discovery/IdentifyPages.h"

namespace fwhost {

// Where a drive's identity was read.
enum class IdentitySource {
  nvmeSysfs,        // the NVMe controller's Identify strings, as the kernel keeps them
  ataIdentifyVpd,   // ATA IDENTIFY DEVICE data from the ATA Information VPD page
  ataIdentifySgio,  // ATA IDENTIFY DEVICE data asked through SG_IO
  scsiInquiry,      // SCSI INQUIRY product and revision, serial from the Unit Serial Number page
};

// "nvme-sysfs", "ata-identify-vpd", "ata-identify-sgio", "scsi-inquiry".
const char* sourceName(IdentitySource source);

struct ScannedDrive {
  std::string device;  // "nvme0", "sda"
  IdentitySource source = IdentitySource::nvmeSysfs;
  DriveIdentity identity;
  // Why the identity is only part of what the drive reports and what would give all of it;
  // empty when it is whole.
  std::string truncation;
  // The file that could not be read and why; when set, the drive has no identity.
  std::string error;
};

// Reads root/class/nvme/* and the SCSI devices of root/block/*, in natural order of their
// names, NVMe first. An ATA drive without an ATA Information page is asked through identify,
// unless it is empty. HostError (input) when root is no directory.
std::vector<ScannedDrive> scanDrives(const std::filesystem::path& root,
                                     const AtaIdentifier& identify);

}  // namespace fwhost

#endif
