// Files of fake sysfs trees and the identify pages of fake drives, built from plain texts the
// way a drive lays them out, so that tests compare with texts written by hand.
#ifndef FWHOST_TESTS_FAKESYSFS_H
#define FWHOST_TESTS_FAKESYSFS_H

#include <filesystem>
#include <fstream>
#include <string>

// IDENTIFY DEVICE data: each text padded with blanks, two characters a little-endian word with
// the first in the high byte; no checksum.
inline std::string ataIdentifyData(const std::string& serial, const std::string& firmware,
                                   const std::string& model) {
  std::string data(512, '\0');
  const auto put = [&data](size_t word, size_t words, std::string text) {
    text.resize(2 * words, ' ');
    for (size_t i = 0; i < text.size(); i += 2) {
      data[2 * word + i] = text[i + 1];
      data[2 * word + i + 1] = text[i];
    }
  };
  put(10, 10, serial);
  put(23, 4, firmware);
  put(27, 20, model);
  return data;
}

// The ATA Information VPD page (0x89, 568 bytes after its header) around IDENTIFY data.
inline std::string ataInformationPage(const std::string& identify) {
  std::string page(60, '\0');
  page.replace(0, 4, "\0\x89\x02\x38", 4);  // code 0x89, 0x238 bytes
  page[56] = '\xec';                          // IDENTIFY DEVICE
  return page + identify;
}

// The Unit Serial Number VPD page (0x80).
inline std::string unitSerialNumberPage(const std::string& serial) {
  return std::string{'\0', '\x80', '\0', static_cast<char>(serial.size())} + serial;
}

// A machine's drives as the kernel lists them, one of each kind discovery tells apart.
inline std::string makeSysfsTree(const std::filesystem::path& sys) {
  const std::string model40 = "QM SATA SSD 512GB HPS1 T2UB_256 REV1 0xE";
  const std::pair<const char*, std::string> files[] = {
      {"devices/nvme2/model", "QM 1TB NVMe                             \n"},
      {"devices/nvme2/serial", "  QM24A0001   \n"},
      {"devices/nvme2/firmware_rev", "HPS0    \n"},
      {"class/nvme/nvme10/model", "QM 1TB NVMe\n"},
      {"class/nvme/nvme10/serial", "QM24A0010\n"},
      {"class/nvme/nvme10/firmware_rev", "REV1\n"},
      // The INQUIRY strings of libata's translation cut what the drive reports.
      {"block/sda/device/vendor", "ATA     \n"},
      {"block/sda/device/model", model40.substr(0, 16) + "\n"},
      {"block/sda/device/rev", "HPS1\n"},
      {"block/sda/device/vpd_pg89",
       ataInformationPage(ataIdentifyData("QM24B0002", "BRHPS1", model40))},
      {"block/sdb/device/rev", "HPS0\n"},
      {"block/sdb/device/vpd_pg89",
       ataInformationPage(ataIdentifyData("QMASSERT03", "HPS0", "QM SATA SSD 256GB"))},
      {"block/sdc/device/vendor", "ATA     \n"},
      {"block/sdc/device/model", "QM SATA SSD 256G\n"},
      {"block/sdc/device/rev", "HPS1\n"},
      {"block/sdc/device/vpd_pg80", unitSerialNumberPage("QM24B0004")},
      {"block/sdd/device/rev", "HPS0\n"},
      {"block/sdd/device/model/name", "a folder where the model belongs\n"},
      {"block/sdaa/device/vendor", "SEAGATE \n"},
      {"block/sdaa/device/model", "ST4000NM0023    \n"},
      {"block/sdaa/device/rev", "0004\n"},
      {"block/sdaa/device/vpd_pg80", unitSerialNumberPage("   Z1Z0ABCD")},
      {"block/loop0/size", "0\n"},
  };
  for (const auto& [path, bytes] : files) {
    std::filesystem::create_directories((sys / path).parent_path());
    std::ofstream(sys / path, std::ios::binary) << bytes;
  }
  // Class entries and a namespace's device link into devices/, as the kernel lays them out.
  const std::filesystem::path controller = sys / "devices" / "nvme2";
  std::filesystem::create_directory_symlink(controller, sys / "class" / "nvme" / "nvme2");
  std::filesystem::create_directories(sys / "block" / "nvme2n1");
  std::filesystem::create_directory_symlink(controller, sys / "block" / "nvme2n1" / "device");
  return sys.string();
}

#endif
