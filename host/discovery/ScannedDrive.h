// A drive that discovery found, with the identity it reports and where that was read. Shared by
// the discovery twins of every platform.
#ifndef FWHOST_DISCOVERY_SCANNEDDRIVE_H
#define FWHOST_DISCOVERY_SCANNEDDRIVE_H

#include <string>
#include <vector>

#include "host/discovery/IdentifyPages.h"

namespace fwhost {

// Where a drive's identity was read.
enum class IdentitySource {
  nvmeSysfs,        // the NVMe controller's Identify strings, as the kernel keeps them
  ataIdentifyVpd,   // ATA IDENTIFY DEVICE data from the ATA Information VPD page
  ataIdentifySgio,  // ATA IDENTIFY DEVICE data asked through SG_IO
  scsiInquiry,      // SCSI INQUIRY product and revision, serial from the Unit Serial Number page
  nvmeIdentify,     // NVMe Identify Controller data through Windows' storage query
  ataIdentifyPassThrough,  // ATA IDENTIFY DEVICE data through Windows' ATA pass-through
  storageDescriptor,       // Windows' device descriptor: product, revision and serial
};

// "nvme-sysfs", "ata-identify-vpd", "ata-identify-sgio", "scsi-inquiry", "nvme-identify",
// "ata-identify-passthrough", "storage-descriptor".
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

// A block device that is no drive scan maps, and why: an operator who sees "no drives" learns
// what was there.
struct SkippedDevice {
  std::string device;  // "vda", "loop0"
  std::string reason;  // "virtio-blk disk: it reports no model, serial or firmware"
};

// What a scan found: the drives, and the block devices it passed over.
struct DriveScan {
  std::vector<ScannedDrive> drives;
  std::vector<SkippedDevice> skipped;
};

// Why an identity that a drive reported with an empty model, serial or firmware is not whole;
// empty when each holds a text.
std::string missingTexts(const DriveIdentity& identity);

// Whether --device NAME names the drive; Windows' drives answer in any case, to their device
// path (\\.\PhysicalDrive0) and to their number alone; Linux's to their /dev/ path, and an NVMe
// controller to its namespaces' names (nvme0n1, what lsblk shows), since it is what is updated.
bool answersTo(const std::string& device, const std::string& name);

}  // namespace fwhost

#endif
