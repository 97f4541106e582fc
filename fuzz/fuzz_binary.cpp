// The binary export on arbitrary names and buffer lengths. The whole input is the name, which the
// export reads up to its first NUL. After that NUL, one byte picks how the host gives its buffer
// and four bytes give a number: 0, no buffer and the number as *bufferLength; 1, a buffer of the
// number modulo 2 MiB bytes; 2 (also without the bytes), a buffer of the named image's size plus
// the number's low byte as a signed offset, to land on the edges.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>

#include "fuzz/FuzzSupport.h"
#include "provider/FirmwareImageCatalog.h"
#include "provider/fwprovider.h"

namespace {

constexpr uint8_t kUntouched = 0x5A;

struct Request {
  int mode = 2;
  uint32_t number = 0;
};

Request requestAfterName(const uint8_t* data, size_t size) {
  Request request;
  const auto* nul = static_cast<const uint8_t*>(std::memchr(data, '\0', size));
  if (nul == nullptr || static_cast<size_t>(data + size - nul) < 6) return request;
  request.mode = nul[1] % 3;
  std::memcpy(&request.number, nul + 2, sizeof request.number);
  return request;
}

// The size the catalogue must report for the name, from its fixed table rather than its code.
uint32_t expectedSize(const std::string& name) {
  if (name == FWPROVIDER_IMAGE_1 || name == FWPROVIDER_IMAGE_3) return 1315840;
  if (name == FWPROVIDER_IMAGE_2) return 19456;
  return 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const auto* text = reinterpret_cast<const char*>(data);
  const std::string name(text, strnlen(text, size));
  const uint32_t expected = expectedSize(name);
  const Request request = requestAfterName(data, size);

  if (request.mode == 0) {
    uint32_t length = request.number;
    const uint32_t code =
        GetTargetFirmwareBinary(text, static_cast<uint32_t>(size), nullptr, &length);
    fuzz::require(length == expected, "a null buffer still learns the size");
    fuzz::require(code == (request.number < expected ? FWPROVIDER_BUFFER_TOO_SMALL
                                                     : FWPROVIDER_INVALID_ARGUMENTS),
                  "a null buffer answers 37 when short, else 36");
    return 0;
  }

  const uint32_t capacity =
      request.mode == 1 ? request.number % (2u << 20)
                        : static_cast<uint32_t>(std::max<int64_t>(
                              0, int64_t{expected} + static_cast<int8_t>(request.number & 0xFF)));
  // Exactly the stated size, so the sanitizer sees any byte written past it.
  const auto buffer = std::make_unique<uint8_t[]>(capacity);
  std::fill_n(buffer.get(), capacity, kUntouched);
  uint32_t length = capacity;
  const uint32_t code =
      GetTargetFirmwareBinary(text, static_cast<uint32_t>(size), buffer.get(), &length);
  fuzz::require(length == expected, "the size is reported exactly, without a terminator");

  const uint8_t* rest = buffer.get();
  const uint8_t* const end = buffer.get() + capacity;
  if (capacity < expected) {
    fuzz::require(code == FWPROVIDER_BUFFER_TOO_SMALL, "a short buffer answers 37");
  } else {
    fuzz::require(code == FWPROVIDER_OK, "a large enough buffer answers 0");
    uint32_t found = 0;
    const uint8_t* image = fwprovider::findImage(name, found);
    fuzz::require(expected == 0 || std::equal(image, image + expected, buffer.get()),
                  "the image is copied unchanged");
    rest += expected;
  }
  fuzz::require(std::all_of(rest, end, [](uint8_t b) { return b == kUntouched; }),
                "nothing is written past the image");
  return 0;
}
