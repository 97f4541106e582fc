// The parsers of identify pages on bytes laid out by hand, and the scan's use of the device seam.
#include <algorithm>
#include <stdexcept>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "host/discovery/IdentifyPages.h"
#include "host/discovery/NaturalOrder.h"
#include "tests/host/FakeSysfs.h"
#if !defined(_WIN32)
#include <unistd.h>

#include "host/discovery/SysfsScan.h"
#endif

namespace {

namespace fs = std::filesystem;
using fwhost::DriveIdentity;

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

DriveIdentity serialOnly(std::string_view page) {
  return {"", fwhost::parseUnitSerialNumberPage(page), ""};
}

TEST(IdentifyPages, ReadTheDrivesTextsWholeAndRefuseWhatIsNoIdentifyData) {
  const std::string model40 = "QM SATA SSD 512GB HPS1 T2UB_256 REV1 0xE";
  struct Row {
    const char* name;
    DriveIdentity (*parse)(std::string_view);
    std::string bytes;
    DriveIdentity expected;
    const char* error;
  };
  const Row rows[] = {
      {"captured",
       fwhost::parseAtaIdentify,
       capturedIdentify(),
       {"QM SATA SSD 512GB", "S3Z9NB0K412345X", "BRHPS1"},
       nullptr},
      {"40-character model",
       fwhost::parseAtaInformationPage,
       ataInformationPage(ataIdentifyData("  QM24B0002", "BRHPS1", model40)),
       {"QM SATA SSD 512GB HPS1 T2UB_256 REV1 0xE", "QM24B0002", "BRHPS1"},
       nullptr},
      {"serial page",
       serialOnly,
       unitSerialNumberPage("  Z1Z0ABCD"),
       {"", "Z1Z0ABCD", ""},
       nullptr},
      {"checksum",
       fwhost::parseAtaIdentify,
       withByte(capturedIdentify(), 20, 'X'),
       {},
       "fails its checksum"},
      {"ATAPI",
       fwhost::parseAtaIdentify,
       withByte(ataIdentifyData("", "", ""), 1, '\x85'),
       {},
       "ATAPI"},
      {"short", fwhost::parseAtaIdentify, capturedIdentify().substr(0, 510), {}, "510 bytes"},
      {"page code",
       fwhost::parseAtaInformationPage,
       withByte(ataInformationPage(capturedIdentify()), 1, '\x80'),
       {},
       "not a"},
      {"page cut",
       fwhost::parseAtaInformationPage,
       ataInformationPage(capturedIdentify()).substr(0, 400),
       {},
       "400 of 572 bytes"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    try {
      const DriveIdentity identity = row.parse(row.bytes);
      ASSERT_EQ(row.error, nullptr);
      EXPECT_EQ(identity.model, row.expected.model);
      EXPECT_EQ(identity.serial, row.expected.serial);
      EXPECT_EQ(identity.firmware, row.expected.firmware);
    } catch (const std::invalid_argument& error) {
      ASSERT_NE(row.error, nullptr) << error.what();
      EXPECT_NE(std::string(error.what()).find(row.error), std::string::npos) << error.what();
    }
  }
}

// Sysfs trees are Linux's; fwhost.exe asks Windows for its drives instead.
#if !defined(_WIN32)
TEST(SysfsScan, AnAtaDriveWithoutItsPageIsAskedThroughTheSeamOrMarkedTruncated) {
  char pattern[] = "/tmp/discovery-test-XXXXXX";
  ASSERT_NE(::mkdtemp(pattern), nullptr);
  const fs::path root = pattern;
  writeFile(root / "block/sda/device/vendor", "ATA     \n");
  writeFile(root / "block/sda/device/model", "QM SATA SSD 512G\n");
  writeFile(root / "block/sda/device/rev", "HPS1\n");
  writeFile(root / "block/sda/device/vpd_pg80", unitSerialNumberPage("S3Z9NB0K412345X"));

  struct Row {
    const char* name;
    fwhost::AtaIdentifier identify;
    fwhost::IdentitySource source;
    DriveIdentity expected;
    const char* truncation;  // a part of why, or nullptr for a whole identity
  };
  const auto refused = [](const std::string&) -> std::string {
    throw std::runtime_error("/dev/sda: cannot open: Permission denied");
  };
  const Row rows[] = {
      {"answered",
       [](const std::string& device) { return device == "sda" ? capturedIdentify() : ""; },
       fwhost::IdentitySource::ataIdentifySgio,
       {"QM SATA SSD 512GB", "S3Z9NB0K412345X", "BRHPS1"},
       nullptr},
      {"refused",
       refused,
       fwhost::IdentitySource::scsiInquiry,
       {"QM SATA SSD 512G", "S3Z9NB0K412345X", "HPS1"},
       "Permission denied; run as root"},
      {"not asked",
       nullptr,
       fwhost::IdentitySource::scsiInquiry,
       {"QM SATA SSD 512G", "S3Z9NB0K412345X", "HPS1"},
       "--sysfs-root"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    const auto drives = fwhost::scanDrives(root, row.identify);
    ASSERT_EQ(drives.size(), 1u);
    EXPECT_EQ(drives[0].error, "");
    EXPECT_EQ(drives[0].source, row.source);
    EXPECT_EQ(drives[0].identity.model, row.expected.model);
    EXPECT_EQ(drives[0].identity.serial, row.expected.serial);
    EXPECT_EQ(drives[0].identity.firmware, row.expected.firmware);
    EXPECT_EQ(drives[0].truncation.empty(), row.truncation == nullptr) << drives[0].truncation;
    if (row.truncation) {
      EXPECT_NE(drives[0].truncation.find(row.truncation), std::string::npos);
    }
  }
  fs::remove_all(root);
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
