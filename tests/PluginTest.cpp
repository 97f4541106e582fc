// Loads the built plug-in through the dynamic loader and calls it the way a host does.
#include <dlfcn.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "provider/fwprovider.h"

namespace {

class PluginTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    handle = dlopen(FWPROVIDER_PLUGIN, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(handle, nullptr) << dlerror();
    binary = reinterpret_cast<GetTargetFirmwareBinaryFn>(dlsym(handle, "GetTargetFirmwareBinary"));
    mapping = reinterpret_cast<GetTargetFirmwareMappingAttributesFn>(
        dlsym(handle, "GetTargetFirmwareMappingAttributes"));
    configuration = reinterpret_cast<GetFirmwareConfigurationAttributesFn>(
        dlsym(handle, "GetFirmwareConfigurationAttributes"));
    ASSERT_TRUE(binary && mapping && configuration);
  }
  static void TearDownTestSuite() { dlclose(handle); }

  static inline void* handle = nullptr;
  static inline GetTargetFirmwareBinaryFn binary = nullptr;
  static inline GetTargetFirmwareMappingAttributesFn mapping = nullptr;
  static inline GetFirmwareConfigurationAttributesFn configuration = nullptr;
};

struct Image {
  std::string name;
  uint32_t size;
};
const Image kImages[] = {
    {FWPROVIDER_IMAGE_1, 1315840},
    {FWPROVIDER_IMAGE_2, 19456},
    {FWPROVIDER_IMAGE_3, 1315840},
};

std::vector<uint8_t> fetch(GetTargetFirmwareBinaryFn binary, const std::string& name) {
  uint32_t length = 0;
  EXPECT_EQ(binary(name.data(), static_cast<uint32_t>(name.size()), nullptr, &length), 37u);
  std::vector<uint8_t> bytes(length);
  EXPECT_EQ(binary(name.data(), static_cast<uint32_t>(name.size()), bytes.data(), &length), 0u);
  EXPECT_EQ(length, bytes.size());
  return bytes;
}

TEST_F(PluginTest, NullPointersAnswer36AndLeaveTheLengthAlone) {
  char buffer[16];
  uint8_t bytes[16];
  uint32_t length = 16;
  const char* name = FWPROVIDER_IMAGE_2;
  EXPECT_EQ(binary(nullptr, 4, bytes, &length), 36u);
  EXPECT_EQ(binary(name, 4, bytes, nullptr), 36u);
  EXPECT_EQ(mapping(nullptr, 4, buffer, &length), 36u);
  EXPECT_EQ(mapping("<a/>", 4, nullptr, &length), 36u);
  EXPECT_EQ(mapping("<a/>", 4, buffer, nullptr), 36u);
  EXPECT_EQ(configuration(nullptr, 0, nullptr, &length), 36u);
  EXPECT_EQ(configuration(nullptr, 0, buffer, nullptr), 36u);
  EXPECT_EQ(length, 16u);
}

TEST_F(PluginTest, EachImageByExactName) {
  std::vector<std::vector<uint8_t>> fetched;
  for (const Image& image : kImages) {
    fetched.push_back(fetch(binary, image.name));
    EXPECT_EQ(fetched.back().size(), image.size) << image.name;
  }
  EXPECT_NE(fetched[0], fetched[2]);
  // A name whose length covers its terminator is cut at the NUL and still found.
  uint32_t length = 0;
  EXPECT_EQ(binary(kImages[0].name.c_str(), 23, nullptr, &length), 37u);
  EXPECT_EQ(length, 1315840u);
}

TEST_F(PluginTest, BinaryProtocolAtTheEdges) {
  const std::string name = FWPROVIDER_IMAGE_2;
  const uint32_t size = 19456;
  const auto call = [&](uint8_t* buffer, uint32_t length, uint32_t& reported) {
    reported = length;
    return binary(name.data(), static_cast<uint32_t>(name.size()), buffer, &reported);
  };
  uint32_t reported = 0;
  EXPECT_EQ(call(nullptr, 0, reported), 37u);
  EXPECT_EQ(reported, size);
  EXPECT_EQ(call(nullptr, 0xFFFFFFFFu, reported), 36u);
  EXPECT_EQ(reported, size);

  std::vector<uint8_t> buffer(size + 64, 0xA5);
  EXPECT_EQ(call(buffer.data(), size - 1, reported), 37u);
  EXPECT_EQ(reported, size);
  EXPECT_EQ(buffer[0], 0xA5);

  EXPECT_EQ(call(buffer.data(), size, reported), 0u);
  EXPECT_EQ(reported, size);
  const std::vector<uint8_t> expected = fetch(binary, name);
  EXPECT_TRUE(std::equal(expected.begin(), expected.end(), buffer.begin()));
  for (size_t i = size; i < buffer.size(); ++i) ASSERT_EQ(buffer[i], 0xA5) << i;
}

TEST_F(PluginTest, UnknownNamesGiveNoBytes) {
  const std::string unknown[] = {"3rev1_h2l018t2pb_256", "3REV1_H2L018T2PB_256 ", "REV1", "",
                                 std::string("\0" "3REV1_H2L018T2PB_256", 21)};
  for (const std::string& name : unknown) {
    uint8_t buffer[4] = {7, 7, 7, 7};
    uint32_t length = sizeof buffer;
    EXPECT_EQ(binary(name.data(), static_cast<uint32_t>(name.size()), buffer, &length), 0u) << name;
    EXPECT_EQ(length, 0u);
    EXPECT_EQ(buffer[0], 7);
    length = 4;
    EXPECT_EQ(binary(name.data(), static_cast<uint32_t>(name.size()), nullptr, &length), 36u);
    EXPECT_EQ(length, 0u);
  }
}

}  // namespace
