#include <windows.h>

#include <winioctl.h>

#include <cstddef>
#include <cstring>
#include <iostream>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>

#include "host/discovery/PhysicalDrives.h"
#include "host/discovery/StorageQueries.h"

namespace fwhost {
namespace {

struct HandleCloser {
  void operator()(HANDLE handle) const { CloseHandle(handle); }
};
using Handle = std::unique_ptr<void, HandleCloser>;

constexpr int kMostDrives = 64;
constexpr size_t kIdentifySize = 4096;
constexpr DWORD kIdentifyController = 1;  // CNS value of Identify Controller
constexpr size_t kQueryHeader = offsetof(STORAGE_PROPERTY_QUERY, AdditionalParameters);

// The answer's bytes, or nothing when the driver refuses the query.
std::optional<std::string> ask(HANDLE drive, const std::string& query, size_t answerSize) {
  std::string answer(answerSize, '\0');
  DWORD returned = 0;
  if (!DeviceIoControl(drive, IOCTL_STORAGE_QUERY_PROPERTY, const_cast<char*>(query.data()),
                       static_cast<DWORD>(query.size()), answer.data(),
                       static_cast<DWORD>(answer.size()), &returned, nullptr)) {
    return std::nullopt;
  }
  answer.resize(returned);
  return answer;
}

std::string propertyQuery(STORAGE_PROPERTY_ID property, size_t size) {
  std::string bytes(size, '\0');
  STORAGE_PROPERTY_QUERY query{};
  query.PropertyId = property;
  query.QueryType = PropertyStandardQuery;
  std::memcpy(bytes.data(), &query, kQueryHeader);
  return bytes;
}

std::string nvmeIdentifyQuery() {
  std::string bytes = propertyQuery(StorageAdapterProtocolSpecificProperty,
                                    kQueryHeader + sizeof(STORAGE_PROTOCOL_SPECIFIC_DATA));
  STORAGE_PROTOCOL_SPECIFIC_DATA request{};
  request.ProtocolType = ProtocolTypeNvme;
  request.DataType = NVMeDataTypeIdentify;
  request.ProtocolDataRequestValue = kIdentifyController;
  request.ProtocolDataOffset = sizeof(STORAGE_PROTOCOL_SPECIFIC_DATA);
  request.ProtocolDataLength = kIdentifySize;
  std::memcpy(bytes.data() + kQueryHeader, &request, sizeof request);
  return bytes;
}

std::optional<ScannedDrive> identify(HANDLE drive, const std::string& name) {
  const auto descriptorBytes = ask(drive, propertyQuery(StorageDeviceProperty, sizeof(STORAGE_PROPERTY_QUERY)), 4096);
  if (!descriptorBytes) return std::nullopt;
  const DeviceDescriptor descriptor = parseDeviceDescriptor(*descriptorBytes);
  if (descriptor.busType == static_cast<uint32_t>(StorageBus::nvme)) {
    const auto identifyBytes = ask(drive, nvmeIdentifyQuery(),
                                   offsetof(STORAGE_PROTOCOL_DATA_DESCRIPTOR, ProtocolSpecificData) +
                                       sizeof(STORAGE_PROTOCOL_SPECIFIC_DATA) + kIdentifySize);
    if (identifyBytes) {
      const NvmeIdentity identity = parseNvmeIdentifyDescriptor(*identifyBytes);
      return ScannedDrive{name, identity.model, identity.serial, identity.firmware};
    }
  }
  return ScannedDrive{name, descriptor.product, descriptor.serial, descriptor.revision};
}

}  // namespace

std::vector<ScannedDrive> scanPhysicalDrives() {
  std::vector<ScannedDrive> drives;
  for (int number = 0; number < kMostDrives; ++number) {
    const std::string name = "PhysicalDrive" + std::to_string(number);
    const std::wstring path = L"\\\\.\\PhysicalDrive" + std::to_wstring(number);
    HANDLE opened = CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, 0, nullptr);
    if (opened == INVALID_HANDLE_VALUE) break;
    const Handle drive(opened);
    try {
      if (auto scanned = identify(drive.get(), name)) drives.push_back(std::move(*scanned));
    } catch (const std::invalid_argument& error) {
      std::cerr << "fwhost: warning: " << name << ": " << error.what() << "; left out\n";
    }
  }
  return drives;
}

}  // namespace fwhost
