#include <algorithm>
#include <optional>
#include <string_view>
#include <utility>

#include "host/discovery/AtaPassThrough.h"
#include "host/discovery/DriveScan.h"
#include "host/discovery/IdentifyPages.h"
#include "host/discovery/NaturalOrder.h"
#include "host/discovery/SysfsTree.h"
#include "host/error/HostError.h"

namespace fwhost {
namespace {

const char* const kOwnTree = "/sys";

// What the kernel's INQUIRY translation of an ATA drive keeps of its identity.
const char* const kInquiryTranslation =
    "only the kernel's INQUIRY translation, which keeps the first 16 of the model's 40 "
    "characters and 4 of the firmware revision's 8 (characters 5-8, or 1-4 when those are "
    "blank)";

// An attribute's text without the line end the kernel adds to it.
std::string_view withoutLineEnd(std::string_view text) {
  if (!text.empty() && text.back() == '\n') text.remove_suffix(1);
  return text;
}

// What parse reads from the file's bytes; its reason for refusing them names the file.
template <typename Parse>
auto parsedFile(const SysfsTree& tree, const std::string& path, const std::string& bytes,
                Parse parse) {
  try {
    return parse(bytes);
  } catch (const HostError& error) {
    throw error.about(tree.name(path));
  }
}

// The text of an attribute, std::nullopt when there is none.
std::optional<std::string> attributeText(const SysfsTree& tree, const std::string& path,
                                         const char* field) {
  const auto bytes = tree.read(path);
  if (!bytes) return std::nullopt;
  return parsedFile(tree, path, *bytes, [field](const std::string& text) {
    return identityText(field, withoutLineEnd(text));
  });
}

std::string requiredText(const SysfsTree& tree, const std::string& path, const char* field) {
  auto text = attributeText(tree, path, field);
  if (!text) throw HostError::io(tree.name(path), "missing");
  return std::move(*text);
}

std::vector<std::string> naturallySorted(std::vector<std::string> names) {
  std::sort(names.begin(), names.end(), naturalLess);
  return names;
}

void readNvme(const SysfsTree& tree, ScannedDrive& drive) {
  const std::string controller = "class/nvme/" + drive.device + "/";
  drive.source = IdentitySource::nvmeSysfs;
  drive.identity = {requiredText(tree, controller + "model", "model"),
                    requiredText(tree, controller + "serial", "serial"),
                    requiredText(tree, controller + "firmware_rev", "firmware")};
}

// SCSI peripheral device types of disks: direct access (0) and simplified direct access (0x0e).
// CD and DVD drives, tapes and enclosures are no drives to update.
bool isDisk(const std::optional<std::string>& type) {
  return type && (withoutLineEnd(*type) == "0" || withoutLineEnd(*type) == "14");
}

// The kernel's ATA translation (libata) names the vendor of every drive it translates "ATA".
bool isAta(const SysfsTree& tree, const std::string& device) {
  return attributeText(tree, device + "vendor", "vendor") == "ATA";
}

// The drive's identity from its IDENTIFY data asked through identify; when it cannot be, why
// not and what would give it.
std::string identifyThroughDevice(ScannedDrive& drive, const AtaIdentifier& identify) {
  using Failure = AtaAnswer::Failure;
  if (!identify) return "no device is asked for a --sysfs-root tree";
  const AtaAnswer answer = identify(drive.device);
  switch (answer.failure) {
    case Failure::none:
      break;
    case Failure::notPermitted:
      return answer.reason + "; run as root for the full identity";
    case Failure::refused:
      return answer.reason + ": the drive or its bridge refused IDENTIFY DEVICE through SG_IO, " +
             "so its full identity cannot be read here";
    case Failure::unreachable:
      return answer.reason;
  }
  try {
    drive.identity = parseAtaIdentify(answer.data);
  } catch (const HostError& error) {
    throw error.about("/dev/" + drive.device);
  }
  drive.source = IdentitySource::ataIdentifySgio;
  return {};
}

// The INQUIRY product and revision and the serial page; whyNotAsked: why an ATA drive's
// IDENTIFY data could not be had, empty for a drive that is not ATA.
void readInquiry(const SysfsTree& tree, ScannedDrive& drive, const std::string& device,
                 const std::string& whyNotAsked) {
  drive.source = IdentitySource::scsiInquiry;
  drive.identity.model = requiredText(tree, device + "model", "model");
  drive.identity.firmware = requiredText(tree, device + "rev", "firmware");
  const std::string serialPage = device + "vpd_pg80";
  const auto page = tree.read(serialPage);
  if (page) drive.identity.serial = parsedFile(tree, serialPage, *page, parseUnitSerialNumberPage);
  if (!whyNotAsked.empty()) {
    drive.truncation = std::string(kInquiryTranslation) + ": no " + tree.name(device + "vpd_pg89") +
                       " (kernel 5.18 and later) and " + whyNotAsked;
  } else if (!page) {
    drive.truncation = "no serial number: no " + tree.name(serialPage);
  }
}

// Whether the block device is a SCSI disk; its identity read into drive when it is.
bool readDisk(const SysfsTree& tree, ScannedDrive& drive, const AtaIdentifier& identify) {
  const std::string device = "block/" + drive.device + "/device/";
  if (!isDisk(tree.read(device + "type"))) return false;
  const std::string informationPage = device + "vpd_pg89";
  if (const auto page = tree.read(informationPage)) {
    drive.source = IdentitySource::ataIdentifyVpd;
    drive.identity = parsedFile(tree, informationPage, *page, parseAtaInformationPage);
    return true;
  }
  const bool ata = isAta(tree, device);
  const std::string whyNotAsked = ata ? identifyThroughDevice(drive, identify) : "";
  if (!ata || !whyNotAsked.empty()) readInquiry(tree, drive, device, whyNotAsked);
  return true;
}

// Block devices that are no drives to update, by the kernel's name for their kind.
// clang-format off
const std::pair<const char*, const char*> kOtherDevices[] = {
    {"loop",   "loop device"},
    {"zram",   "compressed RAM disk (zram)"},
    {"ram",    "RAM disk"},
    {"mmcblk", "MMC or SD card: no identity fwhost reads"},
    {"vd",     "virtio-blk disk: it reports no model or firmware revision to map"},
    {"xvd",    "Xen virtual disk: it reports no identity to map"},
    {"dm-",    "device-mapper volume"},
    {"md",     "software RAID (md)"},
    {"nbd",    "network block device"},
};
// clang-format on

// Why a block device that is not a SCSI disk is no drive scan maps.
std::string skipReason(const SysfsTree& tree, const std::string& name) {
  for (const auto& [prefix, reason] : kOtherDevices) {
    if (name.rfind(prefix, 0) == 0) return reason;
  }
  if (name.rfind("nvme", 0) == 0) return "NVMe namespace: its controller is the drive";
  const auto type = tree.read("block/" + name + "/device/type");
  if (type && withoutLineEnd(*type) == "5") return "CD or DVD drive";
  if (type) return "SCSI device of type " + std::string(withoutLineEnd(*type)) + ", not a disk";
  return "neither an NVMe controller nor a SCSI disk";
}

// The drive read by read, which tells whether the entry is a drive at all; with its error when
// anything about it fails.
template <typename Read>
std::optional<ScannedDrive> scanned(const std::string& name, Read read) {
  ScannedDrive drive;
  drive.device = name;
  try {
    if (!read(drive)) return std::nullopt;
    if (drive.truncation.empty()) drive.truncation = missingTexts(drive.identity);
  } catch (const HostError& error) {
    drive.identity = {};
    drive.truncation.clear();
    drive.error = error.what();
  }
  return drive;
}

// The NVMe class is there only where its driver is loaded; every tree has its block devices.
DriveScan scanTree(const SysfsTree& tree, const AtaIdentifier& identify) {
  const auto blocks = tree.list("block");
  if (!blocks) throw HostError::io(tree.name("block"), "missing, so this is no sysfs tree");
  DriveScan scan;
  std::vector<ScannedDrive>& drives = scan.drives;
  for (const std::string& name :
       naturallySorted(tree.list("class/nvme").value_or(std::vector<std::string>{}))) {
    drives.push_back(*scanned(name, [&](ScannedDrive& drive) {
      readNvme(tree, drive);
      return true;
    }));
  }
  for (const std::string& name : naturallySorted(*blocks)) {
    auto disk = scanned(name, [&](ScannedDrive& drive) { return readDisk(tree, drive, identify); });
    if (disk) {
      drives.push_back(std::move(*disk));
    } else {
      scan.skipped.push_back({name, skipReason(tree, name)});
    }
  }
  return scan;
}

}  // namespace

bool scansSysfs() { return true; }

std::string scanPlaces(const ScanRequest& request) {
  return request.sysfsRoot.empty() ? kOwnTree : request.sysfsRoot.string();
}

DriveScan scanDrives(const ScanRequest& request) {
  if (!request.sysfsRoot.empty()) return scanTree(SysfsTree(request.sysfsRoot), request.identify);
  return scanTree(SysfsTree(kOwnTree),
                  request.identify ? request.identify : AtaIdentifier(identifyThroughPassThrough));
}

}  // namespace fwhost
