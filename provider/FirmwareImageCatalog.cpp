#include "provider/FirmwareImageCatalog.h"

#include "firmware/EmbeddedImages.h"

namespace fwprovider {

const std::uint8_t* findImage(std::string_view name, std::uint32_t& size) {
  for (const EmbeddedImage& image : kEmbeddedImages) {
    if (image.name == name) {
      size = static_cast<std::uint32_t>(image.end - image.begin);
      return image.begin;
    }
  }
  return nullptr;
}

}  // namespace fwprovider
