// The drives of this machine, each with the identity it reports itself. One entry point, one
// twin per platform: Linux reads sysfs and asks ATA drives through SG_IO; Windows asks each
// \\.\PhysicalDriveN.
#ifndef FWHOST_DISCOVERY_DRIVESCAN_H
#define FWHOST_DISCOVERY_DRIVESCAN_H

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "host/discovery/ScannedDrive.h"

namespace fwhost {

// What an ATA drive answered to IDENTIFY DEVICE sent through the pass-through.
struct AtaAnswer {
  // Why there is no answer, which decides what could give one.
  enum class Failure {
    none,
    notPermitted,  // this user may not open the device node or send the command: not root
    refused,       // the command reached the device and the drive or its bridge refused it
    unreachable,   // the device node is missing or not the drive's
  };
  std::string data;  // the 512 bytes of IDENTIFY DEVICE data, when answered
  Failure failure = Failure::none;
  std::string reason;  // naming the device node, when not answered
};

// Given a block device's kernel name ("sda"), what the drive answers to IDENTIFY DEVICE.
using AtaIdentifier = std::function<AtaAnswer(const std::string& device)>;

struct ScanRequest {
  // A tree laid out as /sys to read instead of this machine's; its drives are then never asked
  // through a device node. Empty: this machine's. Only where scansSysfs().
  std::filesystem::path sysfsRoot;
  // Asks an ATA drive that has no ATA Information page for its IDENTIFY data. Empty: this
  // machine's drives are asked through SG_IO, a foreign tree's not at all. Only where
  // scansSysfs().
  AtaIdentifier identify;
};

// Whether this platform finds its drives in a sysfs tree, so that a request may name one.
bool scansSysfs();

// Where scanDrives looks, for messages: the sysfs root, or Windows' drive names.
std::string scanPlaces(const ScanRequest& request);

// The drives in natural order of their names, NVMe first; of SCSI devices only disks; every
// other block device among the skipped, with why. A drive whose identity cannot be read is
// listed with ScannedDrive::error; HostError (io) when there is nowhere to look or the drives
// cannot be listed.
DriveScan scanDrives(const ScanRequest& request);

}  // namespace fwhost

#endif
