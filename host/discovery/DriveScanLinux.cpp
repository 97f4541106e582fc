#include <algorithm>
#include <system_error>

#include "host/discovery/AtaPassThrough.h"
#include "host/discovery/DriveScan.h"
#include "host/discovery/IdentifyPages.h"
#include "host/discovery/NaturalOrder.h"
#include "host/discovery/SysfsAttribute.h"
#include "host/error/HostError.h"

namespace fwhost {
namespace {

namespace fs = std::filesystem;

const char* const kOwnTree = "/sys";

std::string requiredText(const fs::path& path) {
  const auto bytes = readSysfsAttribute(path);
  if (!bytes) throw HostError::io(path.string(), "missing");
  return trimPadding(*bytes);
}

std::vector<fs::path> naturallySorted(const fs::path& directory) {
  std::vector<fs::path> entries;
  std::error_code error;
  for (fs::directory_iterator it(directory, error), end; !error && it != end; it.increment(error)) {
    entries.push_back(it->path());
  }
  std::sort(entries.begin(), entries.end(), [](const fs::path& left, const fs::path& right) {
    return naturalLess(left.filename().string(), right.filename().string());
  });
  return entries;
}

// What parse reads from the file's bytes; its reason for refusing them names the file.
template <typename Parse>
auto parsedFile(const fs::path& path, const std::string& bytes, Parse parse) {
  try {
    return parse(bytes);
  } catch (const HostError& error) {
    throw error.about(path.string());
  }
}

void readNvme(ScannedDrive& drive, const fs::path& controller) {
  drive.source = IdentitySource::nvmeSysfs;
  drive.identity = {requiredText(controller / "model"), requiredText(controller / "serial"),
                    requiredText(controller / "firmware_rev")};
}

// The kernel's ATA translation (libata) names the vendor of every drive it translates "ATA".
bool isAta(const fs::path& device) {
  return trimPadding(readSysfsAttribute(device / "vendor").value_or("")) == "ATA";
}

// The drive's identity from its IDENTIFY data asked through identify; why not, when it cannot.
std::string identifyThroughDevice(ScannedDrive& drive, const AtaIdentifier& identify) {
  if (!identify) return "no IDENTIFY through SG_IO for a --sysfs-root tree";
  try {
    drive.identity = parseAtaIdentify(identify(drive.device));
    drive.source = IdentitySource::ataIdentifySgio;
    return {};
  } catch (const HostError& error) {
    return std::string("IDENTIFY DEVICE through SG_IO failed: ") + error.what();
  }
}

void readInquiry(ScannedDrive& drive, const fs::path& device, bool ata,
                 const std::string& whyNotAsked) {
  drive.source = IdentitySource::scsiInquiry;
  drive.identity.model = requiredText(device / "model");
  drive.identity.firmware = requiredText(device / "rev");
  const fs::path serialPage = device / "vpd_pg80";
  const auto page = readSysfsAttribute(serialPage);
  if (page) drive.identity.serial = parsedFile(serialPage, *page, parseUnitSerialNumberPage);
  if (ata) {
    drive.truncation =
        "only the kernel's INQUIRY translation, which cuts the model to 16 and the firmware "
        "revision to 4 characters: no " +
        (device / "vpd_pg89").string() + " (kernel 5.18 and later) and " + whyNotAsked +
        "; run as root (or on a kernel that has the page) for the full identity";
  } else if (!page) {
    drive.truncation = "no serial number: no " + serialPage.string();
  }
}

void readScsi(ScannedDrive& drive, const fs::path& device, const AtaIdentifier& identify) {
  const fs::path informationPage = device / "vpd_pg89";
  if (const auto page = readSysfsAttribute(informationPage)) {
    drive.source = IdentitySource::ataIdentifyVpd;
    drive.identity = parsedFile(informationPage, *page, parseAtaInformationPage);
    return;
  }
  const bool ata = isAta(device);
  const std::string whyNotAsked = ata ? identifyThroughDevice(drive, identify) : "";
  if (ata && whyNotAsked.empty()) return;
  readInquiry(drive, device, ata, whyNotAsked);
}

// One drive read by read, or its error when a file of it cannot be read.
template <typename Read>
ScannedDrive scanned(const fs::path& entry, Read read) {
  ScannedDrive drive;
  drive.device = entry.filename().string();
  try {
    read(drive);
  } catch (const HostError& error) {
    drive.identity = {};
    drive.truncation.clear();
    drive.error = error.what();
  }
  return drive;
}

std::vector<ScannedDrive> scanTree(const fs::path& root, const AtaIdentifier& identify) {
  std::error_code error;
  if (!fs::is_directory(root, error)) throw HostError::io(root.string(), "no sysfs tree there");
  std::vector<ScannedDrive> drives;
  for (const fs::path& controller : naturallySorted(root / "class" / "nvme")) {
    drives.push_back(
        scanned(controller, [&](ScannedDrive& drive) { readNvme(drive, controller); }));
  }
  // Only SCSI devices have a rev; NVMe namespaces, loop and virtio disks do not.
  for (const fs::path& block : naturallySorted(root / "block")) {
    const fs::path device = block / "device";
    if (!fs::exists(device / "rev", error)) continue;
    drives.push_back(
        scanned(block, [&](ScannedDrive& drive) { readScsi(drive, device, identify); }));
  }
  return drives;
}

}  // namespace

bool scansSysfs() { return true; }

std::string scanPlaces(const ScanRequest& request) {
  return request.sysfsRoot.empty() ? kOwnTree : request.sysfsRoot.string();
}

std::vector<ScannedDrive> scanDrives(const ScanRequest& request) {
  if (!request.sysfsRoot.empty()) return scanTree(request.sysfsRoot, request.identify);
  return scanTree(kOwnTree,
                  request.identify ? request.identify : AtaIdentifier(identifyThroughPassThrough));
}

}  // namespace fwhost
