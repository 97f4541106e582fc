#include <windows.h>

#include <winioctl.h>

#include <ntddscsi.h>

#include <cstddef>
#include <cstring>
#include <optional>
#include <string>
#include <utility>

#include "host/discovery/DriveScan.h"
#include "host/discovery/IdentifyPages.h"
#include "host/discovery/StorageQueries.h"
#include "host/error/HostError.h"
#include "host/platform/SystemHandle.h"

namespace fwhost {
namespace {

constexpr int kMostDrives = 64;
constexpr size_t kIdentifySize = 4096;
constexpr DWORD kIdentifyController = 1;  // CNS value of Identify Controller
constexpr unsigned char kIdentifyDevice = 0xEC;
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

// IDENTIFY DEVICE through the ATA pass-through, which takes a handle open for reading and
// writing: administrators only. Nothing when it is refused.
std::optional<std::string> ataIdentify(const std::wstring& path) {
  const SystemHandle drive(CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE,
                                       FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                       0, nullptr));
  if (!drive.valid()) return std::nullopt;
  struct IdentifyRequest {
    ATA_PASS_THROUGH_EX header;
    unsigned char data[512];
  } request{};
  request.header.Length = sizeof request.header;
  request.header.AtaFlags = ATA_FLAGS_DATA_IN | ATA_FLAGS_DRDY_REQUIRED;
  request.header.DataTransferLength = sizeof request.data;
  request.header.TimeOutValue = 10;
  request.header.DataBufferOffset = offsetof(IdentifyRequest, data);
  request.header.CurrentTaskFile[6] = kIdentifyDevice;
  DWORD returned = 0;
  if (!DeviceIoControl(drive.get(), IOCTL_ATA_PASS_THROUGH, &request, sizeof request, &request,
                       sizeof request, &returned, nullptr) ||
      returned < sizeof request) {
    return std::nullopt;
  }
  return std::string(reinterpret_cast<const char*>(request.data), sizeof request.data);
}

// Nothing when the drive does not answer the device query.
std::optional<ScannedDrive> identify(HANDLE drive, const std::wstring& path,
                                     const std::string& name) {
  const auto descriptorBytes =
      ask(drive, propertyQuery(StorageDeviceProperty, sizeof(STORAGE_PROPERTY_QUERY)), 4096);
  if (!descriptorBytes) return std::nullopt;
  ScannedDrive scanned;
  scanned.device = name;
  try {
    const DeviceDescriptor descriptor = parseDeviceDescriptor(*descriptorBytes);
    const auto bus = static_cast<StorageBus>(descriptor.busType);
    const bool ata = bus == StorageBus::ata || bus == StorageBus::sata;
    if (bus == StorageBus::nvme) {
      const auto identifyBytes =
          ask(drive, nvmeIdentifyQuery(),
              offsetof(STORAGE_PROTOCOL_DATA_DESCRIPTOR, ProtocolSpecificData) +
                  sizeof(STORAGE_PROTOCOL_SPECIFIC_DATA) + kIdentifySize);
      if (identifyBytes) {
        scanned.source = IdentitySource::nvmeIdentify;
        scanned.identity = parseNvmeIdentifyDescriptor(*identifyBytes);
        return scanned;
      }
      scanned.truncation =
          "the drive did not answer the NVMe Identify query; only its device descriptor was read";
    } else if (ata) {
      if (const auto data = ataIdentify(path)) {
        scanned.source = IdentitySource::ataIdentifyPassThrough;
        scanned.identity = parseAtaIdentify(*data);
        return scanned;
      }
      scanned.truncation =
          "its device descriptor holds the SCSI translation's short texts and IDENTIFY DEVICE "
          "through the ATA pass-through was refused; run as Administrator for the full identity";
    }
    scanned.source = IdentitySource::storageDescriptor;
    scanned.identity = {descriptor.product, descriptor.serial, descriptor.revision};
  } catch (const HostError& error) {
    scanned.error = error.about("\\\\.\\" + name).what();
  }
  return scanned;
}

}  // namespace

bool scansSysfs() { return false; }

std::string scanPlaces(const ScanRequest&) { return "\\\\.\\PhysicalDrive*"; }

// Opens PhysicalDrive0, 1, ... (at most 64) until one is missing, with no access rights, which
// queries need none of. NVMe drives give their Identify Controller data, ATA drives their
// IDENTIFY DEVICE data where the pass-through is allowed (administrators), others what their
// device descriptor holds. A drive that does not answer its queries is skipped.
DriveScan scanDrives(const ScanRequest&) {
  DriveScan scan;
  for (int number = 0; number < kMostDrives; ++number) {
    const std::string name = "PhysicalDrive" + std::to_string(number);
    const std::wstring path = L"\\\\.\\PhysicalDrive" + std::to_wstring(number);
    const SystemHandle drive(CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                         nullptr, OPEN_EXISTING, 0, nullptr));
    if (!drive.valid()) break;
    auto scanned = identify(drive.get(), path, name);
    if (!scanned) {
      scan.skipped.push_back({name, "answers none of the storage queries"});
      continue;
    }
    if (scanned->error.empty() && scanned->truncation.empty())
      scanned->truncation = missingTexts(scanned->identity);
    scan.drives.push_back(std::move(*scanned));
  }
  return scan;
}

}  // namespace fwhost
