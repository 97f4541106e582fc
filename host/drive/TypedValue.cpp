#include "host/drive/TypedValue.h"

#include <cstdint>
#include <iterator>
#include <limits>

#include "host/drive/DriveDescription.h"

namespace fwhost {
namespace {

struct NumberType {
  const char* type;
  int64_t lowest;
  uint64_t highest;
};

// clang-format off
const NumberType kNumbers[] = {
    {"uint8",  0,                                  std::numeric_limits<uint8_t>::max()},
    {"uint16", 0,                                  std::numeric_limits<uint16_t>::max()},
    {"uint32", 0,                                  std::numeric_limits<uint32_t>::max()},
    {"uint64", 0,                                  std::numeric_limits<uint64_t>::max()},
    {"sint16", std::numeric_limits<int16_t>::min(), std::numeric_limits<int16_t>::max()},
    {"sint32", std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()},
    {"sint64", std::numeric_limits<int64_t>::min(), std::numeric_limits<int64_t>::max()},
};
// clang-format on

bool allOf(const std::string& text, size_t from, const char* digits) {
  return text.size() > from && text.find_first_not_of(digits, from) == std::string::npos;
}

bool isHexDigits(const std::string& text, size_t from) {
  return allOf(text, from, "0123456789abcdefABCDEF");
}

bool hasHexPrefix(const std::string& text) {
  return text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
}

// The magnitude of the digits from `from` on, false when it passes the largest uint64.
bool magnitude(const std::string& text, size_t from, unsigned base, uint64_t& value) {
  value = 0;
  for (size_t at = from; at < text.size(); ++at) {
    const char c = text[at];
    const unsigned digit = c <= '9' ? c - '0' : (c | 0x20) - 'a' + 10;
    if (value > (std::numeric_limits<uint64_t>::max() - digit) / base) return false;
    value = value * base + digit;
  }
  return true;
}

bool readsAsNumber(const NumberType& number, const std::string& value) {
  uint64_t magnitudeOf = 0;
  if (hasHexPrefix(value))
    return isHexDigits(value, 2) && magnitude(value, 2, 16, magnitudeOf) &&
           magnitudeOf <= number.highest;
  const bool negative = !value.empty() && value[0] == '-';
  if (!allOf(value, negative ? 1 : 0, "0123456789") ||
      !magnitude(value, negative ? 1 : 0, 10, magnitudeOf))
    return false;
  if (!negative) return magnitudeOf <= number.highest;
  return magnitudeOf <= uint64_t{0} - static_cast<uint64_t>(number.lowest);
}

}  // namespace

std::string typeMismatch(const std::string& type, const std::string& value) {
  for (const NumberType& number : kNumbers) {
    if (type != number.type) continue;
    if (readsAsNumber(number, value)) return {};
    return "a whole number from " + std::to_string(number.lowest) + " to " +
           std::to_string(number.highest) + ", decimal or 0x hexadecimal";
  }
  if (type == "boolean")
    return sameKey(value, "true") || sameKey(value, "false") ? "" : "true or false";
  if (type == "hexValue")
    return isHexDigits(value, hasHexPrefix(value) ? 2 : 0) ? "" : "hexadecimal digits, 0x or not";
  if (type == "bytepointer" || type == "list_uint64")
    return value.empty() || (isHexDigits(value, 0) && value.size() % 2 == 0)
               ? ""
               : "pairs of hexadecimal digits";
  return {};
}

}  // namespace fwhost
