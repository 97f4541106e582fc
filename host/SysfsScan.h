// The drives this machine's kernel lists: NVMe controllers and SATA/SCSI block devices.
#ifndef FWHOST_SYSFSSCAN_H
#define FWHOST_SYSFSSCAN_H

#include <filesystem>
#include <string>
#include <vector>

namespace fwhost {

struct ScannedDrive {
  std::string device;  // "nvme0", "sda"
  std::string model;
  std::string serial;  // empty where the kernel does not tell it
  std::string firmware;
};

// Reads root/class/nvme/*/{model,serial,firmware_rev} and root/block/*/device/{model,rev},
// values trimmed, NVMe first, each group sorted by device name; HostError (input) when root
// is no directory.
std::vector<ScannedDrive> scanDrives(const std::filesystem::path& root);

}  // namespace fwhost

#endif
