// Files of fake sysfs trees and the identify pages of fake drives, built from plain texts the
// way a drive lays them out, so that tests compare with texts written by hand.
#ifndef FWHOST_TESTS_FAKESYSFS_H
#define FWHOST_TESTS_FAKESYSFS_H

#include <filesystem>
#include <fstream>
#include <string>

// Writes the file, making its folders.
inline void writeFile(const std::filesystem::path& path, const std::string& bytes) {
  std::filesystem::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary) << bytes;
}

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
  page[1] = '\x89';
  page[2] = '\x02';
  page[3] = '\x38';
  page[56] = '\xec';
  return page + identify;
}

// The Unit Serial Number VPD page (0x80).
inline std::string unitSerialNumberPage(const std::string& serial) {
  return std::string{'\0', '\x80', '\0', static_cast<char>(serial.size())} + serial;
}

#endif
