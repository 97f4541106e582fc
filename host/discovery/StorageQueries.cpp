#include "host/discovery/StorageQueries.h"

#include "host/error/HostError.h"

namespace fwhost {
namespace {

uint32_t word32(std::string_view bytes, size_t at) {
  uint32_t value = 0;
  for (size_t i = 0; i < 4; ++i)
    value |= static_cast<uint32_t>(static_cast<unsigned char>(bytes[at + i])) << (8 * i);
  return value;
}

// A NUL-terminated text at an offset; offset 0 means the driver has none.
std::string textAt(std::string_view bytes, uint32_t offset, const char* field) {
  if (offset == 0) return {};
  if (offset >= bytes.size()) {
    throw HostError::invalidInput("", std::string("device descriptor: ") + field + " offset " +
                                          std::to_string(offset) + " past its " +
                                          std::to_string(bytes.size()) + " bytes");
  }
  const std::string_view rest = bytes.substr(offset);
  return identityText(field, rest.substr(0, rest.find('\0')));
}

// Offsets of STORAGE_DEVICE_DESCRIPTOR and of STORAGE_PROTOCOL_DATA_DESCRIPTOR.
constexpr size_t kDescriptorSize = 4, kProductOffset = 16, kRevisionOffset = 20, kSerialOffset = 24,
                 kBusType = 28, kDescriptorHeader = 36;
constexpr size_t kProtocolData = 8, kDataOffset = kProtocolData + 16,
                 kDataLength = kProtocolData + 20, kProtocolHeader = kProtocolData + 40;
// Within Identify Controller data.
constexpr size_t kSerial = 4, kSerialLength = 20, kModel = 24, kModelLength = 40, kFirmware = 64,
                 kFirmwareLength = 8;

}  // namespace

DeviceDescriptor parseDeviceDescriptor(std::string_view bytes) {
  if (bytes.size() < kDescriptorHeader) {
    throw HostError::invalidInput(
        "", "device descriptor: " + std::to_string(bytes.size()) + " bytes, fewer than its header");
  }
  // The driver reports the size it would fill; a text may only lie in what was returned.
  const uint32_t size = word32(bytes, kDescriptorSize);
  if (size < bytes.size()) bytes = bytes.substr(0, size);
  return {word32(bytes, kBusType), textAt(bytes, word32(bytes, kProductOffset), "product"),
          textAt(bytes, word32(bytes, kRevisionOffset), "revision"),
          textAt(bytes, word32(bytes, kSerialOffset), "serial")};
}

DriveIdentity parseNvmeIdentifyDescriptor(std::string_view bytes) {
  if (bytes.size() < kProtocolHeader) {
    throw HostError::invalidInput("", "NVMe identify descriptor: " + std::to_string(bytes.size()) +
                                          " bytes, fewer than its header");
  }
  // The data's offset counts from the protocol-specific part, not from the descriptor.
  const size_t offset = kProtocolData + word32(bytes, kDataOffset);
  const size_t length = word32(bytes, kDataLength);
  if (length < kFirmware + kFirmwareLength || offset > bytes.size() ||
      bytes.size() - offset < kFirmware + kFirmwareLength) {
    throw HostError::invalidInput("", "NVMe identify descriptor: " + std::to_string(length) +
                                          " bytes of identify data at " + std::to_string(offset) +
                                          " in " + std::to_string(bytes.size()) +
                                          ", too few for model, serial and firmware");
  }
  const std::string_view data = bytes.substr(offset);
  return {identityText("model", data.substr(kModel, kModelLength)),
          identityText("serial", data.substr(kSerial, kSerialLength)),
          identityText("firmware", data.substr(kFirmware, kFirmwareLength))};
}

}  // namespace fwhost
