// Windows' storage-query answers, laid out byte by byte as the drivers return them.
#include <cstdint>
#include <string>

#include <gtest/gtest.h>

#include "host/discovery/StorageQueries.h"
#include "host/error/HostError.h"

namespace {

using fwhost::DeviceDescriptor;
using fwhost::DriveIdentity;

std::string dwords(std::initializer_list<uint32_t> values) {
  std::string bytes;
  for (const uint32_t value : values) {
    for (int shift = 0; shift < 32; shift += 8) bytes += static_cast<char>(value >> shift);
  }
  return bytes;
}

// A device descriptor as a port driver fills it: the 36-byte header, then the texts it points
// to, each ending in a NUL; size is what the driver says it filled, 0 for all of it.
std::string descriptor(uint32_t bus, uint32_t product, uint32_t revision, uint32_t serial,
                       const std::string& texts, uint32_t size = 0) {
  if (size == 0) size = static_cast<uint32_t>(36 + texts.size());
  return dwords({40, size, 0, 0, product, revision, serial, bus, 0}) + texts;
}

TEST(StorageQueriesTest, DeviceDescriptorsAndTheirRefusals) {
  const char raw[] = "QM 1TB NVMe     \0HPS0    \0  QM24A0001 \0";
  const std::string texts(raw, sizeof raw - 1);
  struct Row {
    std::string bytes;
    DeviceDescriptor expected;
  };
  const Row rows[] = {
      {descriptor(0x11, 36, 53, 62, texts), {0x11, "QM 1TB NVMe", "HPS0", "QM24A0001"}},
      {descriptor(0xB, 36, 53, 0, texts), {0xB, "QM 1TB NVMe", "HPS0", ""}},
      // The driver says it would fill less than the buffer; what lies beyond is not its.
      {descriptor(0xB, 36, 53, 62, texts, 70), {0xB, "QM 1TB NVMe", "HPS0", "QM24A0"}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.expected.serial);
    const DeviceDescriptor parsed = fwhost::parseDeviceDescriptor(row.bytes);
    EXPECT_EQ(parsed.busType, row.expected.busType);
    EXPECT_EQ(parsed.product, row.expected.product);
    EXPECT_EQ(parsed.revision, row.expected.revision);
    EXPECT_EQ(parsed.serial, row.expected.serial);
  }
  // Cut short of its header, or of a text it points to.
  EXPECT_THROW(fwhost::parseDeviceDescriptor(std::string(35, '\0')), fwhost::HostError);
  EXPECT_THROW(fwhost::parseDeviceDescriptor(descriptor(0x11, 36, 200, 0, "QM")),
               fwhost::HostError);
}

// Identify Controller data behind the 48-byte protocol-data header, offset from byte 8.
std::string nvmeDescriptor(uint32_t offset, uint32_t length, const std::string& data) {
  std::string header = dwords({44, 48 + length, 3, 1, 1, 0, offset, length, 0, 0, 0, 0});
  return header + std::string(offset - 40, '\0') + data;
}

std::string identifyController(const std::string& serial, const std::string& model,
                               const std::string& firmware) {
  std::string data(4096, '\0');
  data.replace(4, 20, (serial + std::string(20, ' ')).substr(0, 20));
  data.replace(24, 40, (model + std::string(40, ' ')).substr(0, 40));
  data.replace(64, 8, (firmware + std::string(8, ' ')).substr(0, 8));
  return data;
}

// Whole strings from a whole answer; an answer cut short is refused.
TEST(StorageQueriesTest, NvmeIdentifyKeepsTheWholeStringsOrRefusesWhatIsCutShort) {
  const std::string model40 = "QUARRY MEADOW 1TB NVME SSD WITH 40 CHARS";
  const std::string identify = identifyController("  QM24A0001", model40, "BRHPS1");
  const std::string whole = nvmeDescriptor(40, 4096, identify);
  const DriveIdentity identity = fwhost::parseNvmeIdentifyDescriptor(whole);
  EXPECT_EQ(identity.model, model40);
  EXPECT_EQ(identity.serial, "QM24A0001");
  EXPECT_EQ(identity.firmware, "BRHPS1");
  for (const std::string& bytes : {whole.substr(0, 47), whole.substr(0, 48 + 71),
                                   nvmeDescriptor(40, 64, identify.substr(0, 64))}) {
    EXPECT_THROW(fwhost::parseNvmeIdentifyDescriptor(bytes), fwhost::HostError);
  }
}

}  // namespace
