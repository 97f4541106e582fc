// The drives this machine's kernel lists, each with the identity that the drive itself reports.
#ifndef FWHOST_DISCOVERY_SYSFSSCAN_H
#define FWHOST_DISCOVERY_SYSFSSCAN_H

#include <filesystem>
#include <vector>

#include "host/discovery/AtaPassThrough.h"
#include "host/discovery/ScannedDrive.h"

namespace fwhost {

// Reads root/class/nvme/* and the SCSI devices of root/block/*, in natural order of their
// names, NVMe first. An ATA drive without an ATA Information page is asked through identify,
// unless it is empty. HostError (input) when root is no directory.
std::vector<ScannedDrive> scanDrives(const std::filesystem::path& root,
                                     const AtaIdentifier& identify);

}  // namespace fwhost

#endif
