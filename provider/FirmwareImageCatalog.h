// FirmwareImageCatalog: finds a firmware image embedded in the plug-in by its exact name; the
// bytes belong to the module and are only ever read.
#ifndef FWPROVIDER_FIRMWAREIMAGECATALOG_H
#define FWPROVIDER_FIRMWAREIMAGECATALOG_H

#include <cstdint>
#include <string_view>

namespace fwprovider {

// Returns the first byte of the image called name and sets size to its byte count. Names match
// only byte for byte, case and length included, compared where they lie. An unknown name gives
// null and leaves size as it was.
const std::uint8_t* findImage(std::string_view name, std::uint32_t& size);

}  // namespace fwprovider

#endif
