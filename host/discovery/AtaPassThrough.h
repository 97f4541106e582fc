// Asking an ATA drive behind the kernel's SCSI translation for its IDENTIFY DEVICE data.
#ifndef FWHOST_DISCOVERY_ATAPASSTHROUGH_H
#define FWHOST_DISCOVERY_ATAPASSTHROUGH_H

#include <functional>
#include <string>

namespace fwhost {

// Given a block device's kernel name ("sda"), the drive's 512 bytes of IDENTIFY DEVICE data;
// throws std::runtime_error naming the device node and the reason when it cannot be asked.
// Scans take it as a parameter so that tests and foreign trees can do without devices.
using AtaIdentifier = std::function<std::string(const std::string& device)>;

// Sends IDENTIFY DEVICE as an ATA PASS-THROUGH (16) command to the machine's own device node;
// needs root.
std::string identifyThroughPassThrough(const std::string& device);

}  // namespace fwhost

#endif
