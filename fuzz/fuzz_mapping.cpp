// The mapping export on the bytes a host would pass. The whole input is the document, which the
// export reads up to its first NUL; one or two bytes after that NUL size the host's buffer
// (64 KiB without them), so any document is a seed as it stands.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>

#include "fuzz/FuzzSupport.h"
#include "orv/core/XmlConverter.h"
#include "provider/fwprovider.h"

namespace {

constexpr char kUntouched = 0x5A;

uint32_t bufferCapacity(const char* text, size_t size) {
  const auto* nul = static_cast<const char*>(std::memchr(text, '\0', size));
  if (nul == nullptr) return 1u << 16;
  const size_t after = size - static_cast<size_t>(nul - text) - 1;
  if (after == 0) return 1u << 16;
  uint32_t capacity = static_cast<uint8_t>(nul[1]);
  if (after >= 2) capacity |= uint32_t{static_cast<uint8_t>(nul[2])} << 8;
  return capacity;
}

// Every successful answer is a document of exactly Source, Destination, Package and a verdict.
void requireMappingAnswer(const std::string& answer) {
  using namespace orv::core::xml::convert;
  const auto root = toXml(answer);
  fuzz::require(root != nullptr, "the answer reads back");
  auto map = toAttributeMap(*root);
  fuzz::require(map && map->size() == 4, "the answer holds four attributes");
  // A missing Status would be added here, making five.
  const std::string code = (*map)["Status"].valueText();
  fuzz::require(map->size() == 4 && (code == "64" || code == "65" || code == "68"),
                "the answer carries a verdict");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const auto* text = reinterpret_cast<const char*>(data);
  const uint32_t capacity = bufferCapacity(text, size);
  // Exactly the stated size, so the sanitizer sees any byte written past it.
  const auto buffer = std::make_unique<char[]>(capacity);
  std::fill_n(buffer.get(), capacity, kUntouched);
  const auto untouched = [&] {
    return std::all_of(buffer.get(), buffer.get() + capacity,
                       [](char c) { return c == kUntouched; });
  };

  uint32_t length = capacity;
  const uint32_t code =
      GetTargetFirmwareMappingAttributes(text, static_cast<uint32_t>(size), buffer.get(), &length);
  switch (code) {
    case FWPROVIDER_INVALID_ARGUMENTS:
      fuzz::require(length == capacity && untouched(), "36 leaves the length and buffer alone");
      break;
    case FWPROVIDER_BUFFER_TOO_SMALL:
      fuzz::require(length > capacity && untouched(),
                    "37 reports a larger size and writes nothing");
      break;
    case FWPROVIDER_OK:
      fuzz::require(length >= 1 && length <= capacity && buffer[length - 1] == '\0' &&
                        std::strlen(buffer.get()) == length - 1,
                    "0 writes the text and its NUL and reports that size");
      requireMappingAnswer(std::string(buffer.get(), length - 1));
      break;
    default:
      fuzz::require(false, "the export answers 0, 36 or 37");
  }
  return 0;
}
