#include "provider/FirmwareImageCatalog.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <string>

#include "provider/fwprovider.h"

namespace fwprovider {
namespace {

struct Image {
  const std::uint8_t* bytes;
  std::uint32_t size;
};

Image lookUp(const std::string& name) {
  std::uint32_t size = 0;
  const std::uint8_t* bytes = findImage(name, size);
  return {bytes, size};
}

struct KnownImage {
  const char* name;
  std::uint32_t size;
};

class KnownImageTest : public testing::TestWithParam<KnownImage> {};

TEST_P(KnownImageTest, FoundWithItsSizeAndRealContent) {
  const KnownImage& expected = GetParam();
  Image image = lookUp(expected.name);
  ASSERT_NE(image.bytes, nullptr);
  EXPECT_EQ(image.size, expected.size);
  EXPECT_EQ(lookUp(expected.name).bytes, image.bytes);
  const std::uint8_t* end = image.bytes + image.size;
  EXPECT_NE(std::adjacent_find(image.bytes, end, std::not_equal_to<>()), end)
      << "every byte is the same";
}

INSTANTIATE_TEST_SUITE_P(
    Catalogue, KnownImageTest,
    testing::Values(KnownImage{"1BRHPS1_H2L018T2PB_256", 0x141400},
                    KnownImage{"2_QM_77K_2262_BootISPTotal_A1_Package_signed", 0x4C00},
                    KnownImage{"3REV1_H2L018T2PB_256", 0x141400}));

TEST(FirmwareImageCatalogTest, NamesInThePublicHeaderAreAllFound) {
  for (const char* name : {FWPROVIDER_IMAGE_1, FWPROVIDER_IMAGE_2, FWPROVIDER_IMAGE_3}) {
    EXPECT_NE(lookUp(name).bytes, nullptr) << name;
  }
}

TEST(FirmwareImageCatalogTest, ImagesOfEqualSizeHaveDifferentBytes) {
  Image first = lookUp("1BRHPS1_H2L018T2PB_256");
  Image third = lookUp("3REV1_H2L018T2PB_256");
  ASSERT_NE(first.bytes, nullptr);
  ASSERT_NE(third.bytes, nullptr);
  ASSERT_EQ(first.size, third.size);
  EXPECT_NE(std::memcmp(first.bytes, third.bytes, first.size), 0);
}

TEST(FirmwareImageCatalogTest, ImagesDoNotOverlap) {
  Image images[] = {lookUp("1BRHPS1_H2L018T2PB_256"),
                    lookUp("2_QM_77K_2262_BootISPTotal_A1_Package_signed"),
                    lookUp("3REV1_H2L018T2PB_256")};
  for (const Image& a : images) {
    for (const Image& b : images) {
      if (&a != &b) {
        EXPECT_TRUE(a.bytes + a.size <= b.bytes || b.bytes + b.size <= a.bytes);
      }
    }
  }
}

class UnknownNameTest : public testing::TestWithParam<std::string> {};

TEST_P(UnknownNameTest, GivesNullAndLeavesSizeAlone) {
  std::uint32_t size = 0xDEADBEEF;
  EXPECT_EQ(findImage(GetParam(), size), nullptr);
  EXPECT_EQ(size, 0xDEADBEEFu);
}

INSTANTIATE_TEST_SUITE_P(
    Catalogue, UnknownNameTest,
    testing::Values(std::string(), std::string("REV1"), std::string("3rev1_h2l018t2pb_256"),
                    std::string("3REV1_H2L018T2PB_256 "), std::string(" 3REV1_H2L018T2PB_256"),
                    std::string("3REV1_H2L018T2PB_25"), std::string("3REV1_H2L018T2PB_2566"),
                    std::string("3REV1_H2L018T2PB_256\0", 21),
                    std::string("1BRHPS1_H2L018T2PB_256.bin")));

}  // namespace
}  // namespace fwprovider
