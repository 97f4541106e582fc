// The parsers of identify pages on bytes laid out by hand, and the scan's use of the device seam.
#include <algorithm>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "host/discovery/IdentifyPages.h"
#include "host/discovery/NaturalOrder.h"
#include "host/error/HostError.h"
#include "tests/host/FakeSysfs.h"
#if !defined(_WIN32)
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <map>

#include "host/discovery/DriveScan.h"
#endif

namespace {

namespace fs = std::filesystem;
using fwhost::DriveIdentity;
using fwhost::parseAtaIdentify;
using fwhost::parseAtaInformationPage;

// IDENTIFY DEVICE data as SG_IO hands it over: serial "S3Z9NB0K412345X", firmware "BRHPS1",
// model "QM SATA SSD 512GB", the integrity word's signature and checksum at the end.
std::string capturedIdentify() {
  std::string data(512, '\0');
  const std::pair<size_t, std::string> spans[] = {
      {0, std::string("\x40\x00\xff\x3f\x00\x00\x10\x00\x00\x00\x00\x00\x3f\x00", 14)},
      {20, "3S9ZBNK0143254 X    "},
      {46, "RBPH1S  "},
      {54, "MQS TA ASS D15G2 B                      "},
      {510, "\xa5\x3d"},
  };
  for (const auto& [at, bytes] : spans) data.replace(at, bytes.size(), bytes);
  return data;
}

std::string withByte(std::string bytes, size_t at, char value) {
  bytes[at] = value;
  return bytes;
}

// Whole texts are read by the scan of a tree and through the seam below.
TEST(IdentifyPages, RefuseWhatIsNoIdentifyData) {
  struct Row {
    DriveIdentity (*parse)(std::string_view);
    std::string bytes;
    const char* error;
  };
  const Row rows[] = {
      {parseAtaIdentify, withByte(capturedIdentify(), 20, 'X'), "fails its checksum"},
      {parseAtaIdentify, withByte(ataIdentifyData("", "", ""), 1, '\x85'), "ATAPI"},
      {parseAtaIdentify, capturedIdentify().substr(0, 510), "510 bytes"},
      {parseAtaInformationPage, withByte(ataInformationPage(capturedIdentify()), 1, '\x80'),
       "not a"},
      {parseAtaInformationPage, ataInformationPage(capturedIdentify()).substr(0, 400),
       "400 of 572 bytes"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.error);
    try {
      row.parse(row.bytes);
      ADD_FAILURE() << "accepted";
    } catch (const fwhost::HostError& error) {
      EXPECT_NE(std::string(error.what()).find(row.error), std::string::npos) << error.what();
    }
  }
}

// Sysfs trees are Linux's; fwhost.exe asks Windows for its drives instead.
#if !defined(_WIN32)
class SysfsScan : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/discovery-test-XXXXXX";
    ASSERT_NE(::mkdtemp(pattern), nullptr);
    root_ = pattern;
  }
  void TearDown() override { fs::remove_all(root_); }
  fs::path root_;
};

// The advice follows the reason: root helps a user, not a drive or bridge that refuses.
TEST_F(SysfsScan, AnAtaDriveWithoutItsPageIsAskedThroughTheSeamOrMarkedTruncated) {
  using Failure = fwhost::AtaAnswer::Failure;
  makeSysfsTree(root_);
  struct Row {
    fwhost::AtaAnswer answer;
    fwhost::IdentitySource source;
    DriveIdentity expected;
    const char* truncation;  // how why ends, or "" for a whole identity
  };
  const Row rows[] = {
      {{capturedIdentify(), Failure::none, ""},
       fwhost::IdentitySource::ataIdentifySgio,
       {"QM SATA SSD 512GB", "S3Z9NB0K412345X", "BRHPS1"},
       ""},
      {{"", Failure::notPermitted, "/dev/sdc: cannot open: Permission denied"},
       fwhost::IdentitySource::scsiInquiry,
       {"QM SATA SSD 256G", "QM24B0004", "HPS0"},
       "Permission denied; run as root for the full identity"},
      {{"", Failure::refused, "/dev/sdc: ATA PASS-THROUGH failed"},
       fwhost::IdentitySource::scsiInquiry,
       {"QM SATA SSD 256G", "QM24B0004", "HPS0"},
       "failed: the drive or its bridge refused IDENTIFY DEVICE through SG_IO, so its full "
       "identity cannot be read here"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.truncation);
    const auto drives =
        fwhost::scanDrives({root_, [&](const std::string&) { return row.answer; }}).drives;
    ASSERT_EQ(drives.size(), 7u);
    const fwhost::ScannedDrive& sdc = drives[4];
    EXPECT_EQ(sdc.error, "");
    EXPECT_EQ(sdc.source, row.source);
    EXPECT_EQ(sdc.identity.model, row.expected.model);
    EXPECT_EQ(sdc.identity.serial, row.expected.serial);
    EXPECT_EQ(sdc.identity.firmware, row.expected.firmware);
    const std::string tail = row.truncation;
    EXPECT_EQ(sdc.truncation.empty(), tail.empty());
    EXPECT_EQ(sdc.truncation.rfind(tail), sdc.truncation.size() - tail.size()) << sdc.truncation;
  }
}

// Trees as an attacker would build them: each drive's fault stays in its own row, nothing
// outside the tree is read and no device node is opened; only disks are drives.
TEST_F(SysfsScan, EachHostileDriveIsAnErrorOrNotWholeAndTheOthersAreStillRead) {
  const fs::path sys = root_ / "sys";
  SysfsFiles files = {
      {"class/nvme/nvme0/model", std::string("QM\0 1TB NVMe\n", 13)},
      {"class/nvme/nvme0/serial", attribute("QM24A0001", 20)},
      {"class/nvme/nvme0/firmware_rev", attribute("HPS0", 8)},
      {"class/nvme/nvme1/model", attribute("QM 1TB NVMe", 40)},
      {"class/nvme/nvme1/serial", attribute("", 20)},
      {"class/nvme/nvme1/firmware_rev", attribute("HPS0", 8)},
      {"block/sda/device/vpd_pg89", ataInformationPage(ataIdentifyData("", "", ""))},
      {"block/sdb\x1b]0;x\x07/device/vpd_pg80", unitSerialNumberPage("Z1Z0ABCD")},
      {"block/sdc/device/vpd_pg80", unitSerialNumberPage(std::string("QM") + '\xff' + "4B0004")},
      {"../outside/type", "0\n"},
      {"../outside/vpd_pg89", guestAtaInformationPage()},
  };
  for (const SysfsFiles& device : {scsiDevice("sda", "ATA", "", ""),
                                   scsiDevice("sdb\x1b]0;x\x07", "SEAGATE", "ST4000", "0004"),
                                   scsiDevice("sdc", "SEAGATE", "ST4000", "0004"),
                                   scsiDevice("sdd", "SEAGATE", "Q\x1b[2J", "0004"),
                                   scsiDevice("sdf", "SEAGATE", "ST4000", "0004"),
                                   scsiDevice("sr0", "QEMU", "QEMU DVD-ROM", "2.5+", "5\n")}) {
    files.insert(files.end(), device.begin(), device.end());
  }
  writeSysfsFiles(sys, files);
  fs::create_directories(sys / "block" / "sde");
  fs::create_directory_symlink("../../../outside", sys / "block" / "sde" / "device");
  fs::create_directories(sys / "block" / "sdg");
  fs::create_directory_symlink("device", sys / "block" / "sdg" / "device");
  // A device that no driver serves fails when opened, unlike a path that is only looked at.
  const fs::path node = sys / "block" / "sdf" / "device" / "model";
  fs::remove(node);
  if (::mknod(node.c_str(), S_IFCHR | 0600, makedev(4095, 0)) != 0) ::mkfifo(node.c_str(), 0600);

  const std::pair<std::string, std::string> rows[] = {
      {"nvme0", "model: byte 0x00 at offset 2 is not printable ASCII"},
      {"nvme1", "the drive reports no serial number"},
      {"sda", "the drive reports no model, serial number, firmware revision"},
      {"sdb\x1b]0;x\x07", ""},  // whole
      {"sdc", "serial: byte 0xff at offset 2 is not printable ASCII"},
      {"sdd", "model: byte 0x1b at offset 1 is not printable ASCII"},
      {"sde", "leads outside " + sys.string()},
      {"sdf", "not a regular file"},
      {"sdg", "cannot open: Too many levels of symbolic links"},
  };
  std::map<std::string, std::string> found;
  for (const fwhost::ScannedDrive& drive : fwhost::scanDrives({sys, nullptr}).drives) {
    found[drive.device] = drive.error + drive.truncation;
  }
  ASSERT_EQ(found.size(), std::size(rows));
  for (const auto& [device, outcome] : rows) {
    const std::string& seen = found[device];
    EXPECT_TRUE(outcome.empty() ? seen.empty() : seen.find(outcome) != std::string::npos) << seen;
  }
  // A folder of drives that cannot be listed is an error, not a machine without drives.
  fs::remove_all(sys / "class" / "nvme");
  std::ofstream(sys / "class" / "nvme") << "";
  EXPECT_THROW(fwhost::scanDrives({sys, nullptr}), fwhost::HostError);
}
#endif

TEST(NaturalOrder, CountsNumbersAndDiskLetters) {
  std::vector<std::string> names = {"sr0", "sdaa", "nvme10",  "sdb", "nvme2",
                                    "sda", "sdz",  "nvme1n1", "vda"};
  std::sort(names.begin(), names.end(), fwhost::naturalLess);
  EXPECT_EQ(names, std::vector<std::string>(
                       {"nvme1n1", "nvme2", "nvme10", "sda", "sdb", "sdz", "sdaa", "sr0", "vda"}));
}

}  // namespace
