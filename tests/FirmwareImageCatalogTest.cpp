#include "provider/FirmwareImageCatalog.h"

#include <algorithm>
#include <functional>
#include <string>

#include <gtest/gtest.h>

#include "provider/fwprovider.h"

namespace fwprovider {
namespace {

// Sizes and exact-name matching are held through the export in PluginTest; here, what only the
// catalogue shows: the images are distinct, non-trivial regions.
TEST(FirmwareImageCatalogTest, ImagesAreDistinctRegionsOfRealBytes) {
  struct Region {
    const std::uint8_t* begin;
    const std::uint8_t* end;
  };
  std::vector<Region> regions;
  for (const char* name : {FWPROVIDER_IMAGE_1, FWPROVIDER_IMAGE_2, FWPROVIDER_IMAGE_3}) {
    std::uint32_t size = 0;
    const std::uint8_t* bytes = findImage(name, size);
    ASSERT_NE(bytes, nullptr) << name;
    EXPECT_EQ(findImage(name, size), bytes) << "a lookup copies nothing";
    EXPECT_NE(std::adjacent_find(bytes, bytes + size, std::not_equal_to<>()), bytes + size) << name;
    for (const Region& other : regions) EXPECT_TRUE(bytes + size <= other.begin || other.end <= bytes);
    regions.push_back({bytes, bytes + size});
  }
}

}  // namespace
}  // namespace fwprovider
