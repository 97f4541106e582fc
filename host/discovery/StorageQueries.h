// What Windows answers about a drive to IOCTL_STORAGE_QUERY_PROPERTY, read from the bytes of its
// answers. Platform-neutral, so that it is tested with captured bytes on any machine.
#ifndef FWHOST_DISCOVERY_STORAGEQUERIES_H
#define FWHOST_DISCOVERY_STORAGEQUERIES_H

#include <cstdint>
#include <string>
#include <string_view>

#include "host/discovery/IdentifyPages.h"

namespace fwhost {

// The buses whose drives are asked for more than the device descriptor tells.
enum class StorageBus : uint32_t { ata = 0x3, sata = 0xB, nvme = 0x11 };

// STORAGE_DEVICE_DESCRIPTOR: what the port driver says of the drive, texts as identityText
// makes them.
struct DeviceDescriptor {
  uint32_t busType = 0;  // STORAGE_BUS_TYPE
  std::string product;
  std::string revision;
  std::string serial;
};

// HostError (invalidInput) with the reason when the bytes are no device descriptor, a text of it
// lies outside them or identityText refuses it.
DeviceDescriptor parseDeviceDescriptor(std::string_view bytes);

// The model, serial and firmware of the STORAGE_PROTOCOL_DATA_DESCRIPTOR that carries NVMe
// Identify Controller data; HostError (invalidInput) when its data is cut short.
DriveIdentity parseNvmeIdentifyDescriptor(std::string_view bytes);

}  // namespace fwhost

#endif
