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
#include <unistd.h>

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
TEST(SysfsScan, AnAtaDriveWithoutItsPageIsAskedThroughTheSeamOrMarkedTruncated) {
  char pattern[] = "/tmp/discovery-test-XXXXXX";
  ASSERT_NE(::mkdtemp(pattern), nullptr);
  const fs::path root = pattern;
  makeSysfsTree(root);
  struct Row {
    fwhost::AtaIdentifier identify;
    fwhost::IdentitySource source;
    DriveIdentity expected;
    const char* truncation;  // a part of why, or "" for a whole identity
  };
  const Row rows[] = {
      {[](const std::string& device) { return device == "sdc" ? capturedIdentify() : ""; },
       fwhost::IdentitySource::ataIdentifySgio,
       {"QM SATA SSD 512GB", "S3Z9NB0K412345X", "BRHPS1"},
       ""},
      {[](const std::string&) -> std::string {
         throw fwhost::HostError::io("/dev/sdc", "cannot open: Permission denied");
       },
       fwhost::IdentitySource::scsiInquiry,
       {"QM SATA SSD 256G", "QM24B0004", "HPS1"},
       "Permission denied; run as root"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(fwhost::sourceName(row.source));
    const auto drives = fwhost::scanDrives({root, row.identify});
    ASSERT_EQ(drives.size(), 7u);
    const fwhost::ScannedDrive& sdc = drives[4];
    EXPECT_EQ(sdc.error, "");
    EXPECT_EQ(sdc.source, row.source);
    EXPECT_EQ(sdc.identity.model, row.expected.model);
    EXPECT_EQ(sdc.identity.serial, row.expected.serial);
    EXPECT_EQ(sdc.identity.firmware, row.expected.firmware);
    EXPECT_EQ(sdc.truncation.empty(), *row.truncation == '\0') << sdc.truncation;
    EXPECT_NE(sdc.truncation.find(row.truncation), std::string::npos) << sdc.truncation;
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
