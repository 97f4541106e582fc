// Files of fake sysfs trees and the identify pages of fake drives, in the bytes and formats a
// Linux 6.1 guest under QEMU showed for drives told the same texts, so that tests compare with
// texts written by hand.
#ifndef FWHOST_TESTS_FAKESYSFS_H
#define FWHOST_TESTS_FAKESYSFS_H

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

// The guest's /sys/block/sda/device/vpd_pg89 up to its last byte that is not zero: libata's
// header ("linux", "libata", 3.00, the signature, IDENTIFY DEVICE at byte 56), then QEMU's
// IDENTIFY data for model "QM SATA SSD 512GB HPS1 T2UB_256 REV1 0xE", serial "QM24B0002",
// firmware "BRHPS1".
inline std::string guestAtaInformationPage() {
  const char* const hex =
      "00890238000000006c696e75782020206c696261746120202020202020202020332e30303480400001000000"
      "000000000100000000000000ec0000004000200800001000007e00023f000000000000004d51343230423030"
      "20322020202020202020202003000002040052425048315320204d5153205441204153532044313547322042"
      "50483153542055325f4235322036455231563020457810800100000b0000000200020700200810003f0000fe"
      "1f0010010000200007000700030078007800780078000040000000000000000000001f000001000000000000"
      "f00016002140007400402140003400403f200000000000000000016000000000000000000000000000002000"
      "0000000000000000006000000000000000000000000000000000000000000000000000000000000000000000"
      "0000000000000000000000000000000000000000000000000000000000000000000000000000000000000000"
      "0000000000000000000000000000000000000000000000000000000000000000000000000000000000000000"
      "000001";
  std::string page(572, '\0');
  for (size_t at = 0; hex[2 * at] != '\0'; ++at)
    page[at] = static_cast<char>(std::stoi(std::string(hex + 2 * at, 2), nullptr, 16));
  return page;
}

// IDENTIFY DEVICE data: each text padded with blanks, two characters a little-endian word with
// the first in the high byte; no checksum, as QEMU gives it.
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

// The ATA Information VPD page (0x89) around IDENTIFY data, with libata's header.
inline std::string ataInformationPage(const std::string& identify) {
  return guestAtaInformationPage().substr(0, 60) + identify;
}

// The Unit Serial Number VPD page (0x80); libata's carries the serial field whole, all 20
// characters, QEMU's SCSI disks only the serial.
inline std::string unitSerialNumberPage(const std::string& serial) {
  return std::string{'\0', '\x80', '\0', static_cast<char>(serial.size())} + serial;
}

// A text attribute as the kernel prints a fixed-width field: padded with blanks, then a line end.
inline std::string attribute(std::string text, size_t width) {
  text.resize(std::max(width, text.size()), ' ');
  return text + "\n";
}

using SysfsFiles = std::vector<std::pair<std::string, std::string>>;

// Writes the files under sys, making their folders.
inline void writeSysfsFiles(const std::filesystem::path& sys, const SysfsFiles& files) {
  for (const auto& [path, bytes] : files) {
    std::filesystem::create_directories((sys / path).parent_path());
    std::ofstream(sys / path, std::ios::binary) << bytes;
  }
}

// A SCSI device's INQUIRY attributes and its peripheral device type.
inline SysfsFiles scsiDevice(const std::string& block, const std::string& vendor,
                             const std::string& model, const std::string& revision,
                             const char* type = "0\n") {
  const std::string device = "block/" + block + "/device/";
  return {{device + "type", type},
          {device + "vendor", attribute(vendor, 8)},
          {device + "model", attribute(model, 16)},
          {device + "rev", attribute(revision, 4)}};
}

// A machine's drives as the kernel lists them, one of each kind discovery tells apart.
inline std::string makeSysfsTree(const std::filesystem::path& sys) {
  const std::string model40 = "QM SATA SSD 512GB HPS1 T2UB_256 REV1 0xE";
  SysfsFiles files = {
      {"devices/nvme2/model", attribute("QM 1TB NVMe", 40)},
      {"devices/nvme2/serial", attribute("  QM24A0001", 20)},
      {"devices/nvme2/firmware_rev", attribute("HPS0", 8)},
      {"class/nvme/nvme10/model", attribute("QM 1TB NVMe", 40)},
      {"class/nvme/nvme10/serial", attribute("QM24A0010", 20)},
      {"class/nvme/nvme10/firmware_rev", attribute("REV1", 8)},
      // The guest's sda: what libata's INQUIRY translation keeps of "BRHPS1" is "S1".
      {"block/sda/device/vpd_pg80", unitSerialNumberPage(attribute("QM24B0002", 20).substr(0, 20))},
      {"block/sda/device/vpd_pg89", guestAtaInformationPage()},
      {"block/sdb/device/vpd_pg89",
       ataInformationPage(ataIdentifyData("QMASSERT03", "HPS0", "QM SATA SSD 256GB"))},
      {"block/sdc/device/vpd_pg80", unitSerialNumberPage("QM24B0004           ")},
      {"block/sdd/device/model/name", "a folder where the model belongs\n"},
      {"block/sdaa/device/vpd_pg80", unitSerialNumberPage("   Z1Z0ABCD")},
      {"block/loop0/size", "0\n"},
      {"block/vda/size", "0\n"},
  };
  for (const SysfsFiles& device :
       {scsiDevice("sda", "ATA", model40.substr(0, 16), "S1"),
        scsiDevice("sdb", "ATA", "QM SATA SSD 256G", "HPS0"),
        scsiDevice("sdc", "ATA", "QM SATA SSD 256G", "HPS0"),
        SysfsFiles{{"block/sdd/device/type", "0\n"}, {"block/sdd/device/rev", "HPS0\n"}},
        scsiDevice("sdaa", "SEAGATE", "ST4000NM0023", "0004"),
        scsiDevice("sr0", "QEMU", "QEMU DVD-ROM", "2.5+", "5\n")}) {
    files.insert(files.end(), device.begin(), device.end());
  }
  writeSysfsFiles(sys, files);
  // Class entries and a namespace's device link into devices/, as the kernel lays them out.
  std::filesystem::create_directory_symlink("../../devices/nvme2",
                                            sys / "class" / "nvme" / "nvme2");
  std::filesystem::create_directories(sys / "block" / "nvme2n1");
  std::filesystem::create_directory_symlink("../../devices/nvme2",
                                            sys / "block" / "nvme2n1" / "device");
  return sys.string();
}

#endif
