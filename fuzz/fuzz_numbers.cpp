// The number and byte readers on arbitrary text, and on numbers rendered the way the writer
// renders them.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>
#include <string>

#include "fuzz/FuzzSupport.h"
#include "orv/core/Text.h"

namespace {

int digitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool allHexDigits(const std::string& text, size_t from) {
  for (size_t i = from; i < text.size(); ++i) {
    if (digitValue(text[i]) < 0) return false;
  }
  return true;
}

std::string hexText(uint64_t number, bool upper) {
  char text[17];
  std::snprintf(text, sizeof text, upper ? "%llX" : "%llx",
                static_cast<unsigned long long>(number));
  return text;
}

void arbitraryText(const std::string& text, const std::string& prefix) {
  using namespace orv::core;
  textToNumber(text);
  hexTextToNumber(text);
  const bool prefixed = text.size() >= 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
  fuzz::require(isHexText(text) == allHexDigits(text, prefixed ? 2 : 0),
                "isHexText: hex digits after an optional 0x");

  std::string stripped = text;
  if (!prefix.empty()) replaceAll(stripped, prefix, "");
  const Payload bytes = hexTextToBytes(text, prefix);
  fuzz::require(bytes.size() == (stripped.size() % 2 == 0 ? stripped.size() / 2 : 0),
                "hexTextToBytes gives one byte per digit pair, none for an odd count");
  if (!allHexDigits(stripped, 0)) return;
  for (uint32_t i = 0; i < bytes.size(); ++i) {
    const int byte = digitValue(stripped[2 * i]) * 16 + digitValue(stripped[2 * i + 1]);
    fuzz::require(bytes.at(i) == byte, "hexTextToBytes reads digit pairs first pair first");
  }
}

void renderedNumber(uint64_t number) {
  using orv::core::decimalText;
  constexpr uint64_t kLargestSigned = std::numeric_limits<int64_t>::max();
  fuzz::require(orv::core::textToNumber(decimalText(number)) == std::min(number, kLargestSigned),
                "decimal text reads back, saturating above the largest signed number");
  fuzz::require(orv::core::textToNumber(decimalText(static_cast<int64_t>(number))) == number,
                "signed decimal text reads back as its two's-complement bits");
  for (const bool upper : {false, true}) {
    const std::string hex = hexText(number, upper);
    fuzz::require(orv::core::hexTextToNumber(hex) == number, "hex text reads back");
    fuzz::require(orv::core::textToNumber("0x" + hex) == number, "0x-prefixed text reads as hex");
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // The text is the whole input, so plain number texts are seeds; its first bytes also make the
  // number rendered, and its first byte one of the prefixes.
  const std::string text(reinterpret_cast<const char*>(data), size);
  uint64_t number = 0;
  std::memcpy(&number, data, std::min(size, sizeof number));
  renderedNumber(number);
  for (const std::string& prefix : {std::string(), std::string("0x"), text.substr(0, 1)}) {
    arbitraryText(text, prefix);
  }
  return 0;
}
