// Asking an ATA drive behind the kernel's SCSI translation for its IDENTIFY DEVICE data.
#ifndef FWHOST_DISCOVERY_ATAPASSTHROUGH_H
#define FWHOST_DISCOVERY_ATAPASSTHROUGH_H

#include <string>

#include "host/discovery/DriveScan.h"

namespace fwhost {

// Sends IDENTIFY DEVICE as an ATA PASS-THROUGH (16) command to the machine's own device node
// of a block device ("sda"); needs root. An AtaIdentifier.
AtaAnswer identifyThroughPassThrough(const std::string& device);

}  // namespace fwhost

#endif
