#include "orv/core/Attribute.h"

#include <algorithm>
#include <limits>

#include <boost/multiprecision/cpp_int.hpp>

#include "orv/core/Memory.h"
#include "orv/core/Status.h"
#include "orv/core/Text.h"

namespace orv::core {
namespace {

constexpr char kHexDigits[] = "0123456789ABCDEF";

// The readable bytes of a value: none when it holds no storage.
std::string_view bytesOf(const Payload& value) {
  if (value.data() == nullptr) return {};
  return {reinterpret_cast<const char*>(value.data()), value.size()};
}

std::string hexBytes(std::string_view bytes) {
  std::string text(2 * bytes.size(), '0');
  for (size_t i = 0; i < bytes.size(); ++i) {
    const auto byte = static_cast<uint8_t>(bytes[i]);
    text[2 * i] = kHexDigits[byte >> 4];
    text[2 * i + 1] = kHexDigits[byte & 0x0F];
  }
  return text;
}

// The first min(size, width) bytes over the low-order bytes of a zero, least significant first.
uint64_t lowBytes(const Payload& value, uint32_t width) {
  uint8_t raw[8] = {};
  const uint32_t count = std::min(value.size(), width);
  memory::memCopy(raw, sizeof raw, value.data(), count);
  uint64_t number = 0;
  for (uint32_t i = count; i-- > 0;) number = (number << 8) | raw[i];
  return number;
}

std::string signedText(const Payload& value, uint32_t width) {
  if (value.size() == 0) return decimalText(int64_t{-1});
  const uint64_t bits = lowBytes(value, width);
  const unsigned shift = 64 - 8 * width;
  // Shifting the sign bit to the top and back widens a two's-complement number of `width` bytes.
  return decimalText(static_cast<int64_t>(bits << shift) >> shift);
}

std::string unsigned128Text(const Payload& value) {
  using Unsigned128 = boost::multiprecision::number<boost::multiprecision::cpp_int_backend<
      128, 128, boost::multiprecision::unsigned_magnitude, boost::multiprecision::unchecked, void>>;
  const std::string_view bytes = bytesOf(value).substr(0, 16);
  Unsigned128 number = 0;
  for (size_t i = bytes.size(); i-- > 0;) number = (number << 8) | static_cast<uint8_t>(bytes[i]);
  return number.str();
}

std::string hexValueText(const Payload& value) {
  if (value.data() == nullptr) return {};
  const std::string_view bytes = bytesOf(value);
  const size_t first = bytes.find_first_not_of('\0');
  if (first == std::string_view::npos) return "0x0";
  return "0x" + hexBytes(bytes.substr(first));
}

// The stored text: every byte but the terminating one.
std::string storedText(const Payload& value) {
  const std::string_view bytes = bytesOf(value);
  return std::string(bytes.substr(0, bytes.empty() ? 0 : bytes.size() - 1));
}

}  // namespace

Attribute::Attribute() : type_("bytepointer") {}

Attribute::Attribute(std::string name, std::string displayName, std::string type)
    : name_(std::move(name)), displayName_(std::move(displayName)), type_(std::move(type)) {}

void Attribute::setBytes(const uint8_t* bytes, uint32_t count) { value_ = Payload(bytes, count); }

void Attribute::setText(std::string_view text) {
  if (text.size() >= std::numeric_limits<uint32_t>::max()) throw outOfBoundsStatus();
  const auto length = static_cast<uint32_t>(text.size());
  value_ = Payload(length + 1);
  memory::memCopy(value_.data(), value_.size(), text.data(), length);
  value_.at(length) = 0;
}

void Attribute::setTextList(const std::vector<std::string>& items) {
  std::string joined;
  for (size_t i = 0; i < items.size(); ++i) {
    if (i != 0) joined += listSeparator;
    joined += items[i];
  }
  setText(joined);
}

void Attribute::setBoolean(bool value) { setLittleEndian(value ? 1 : 0, 1); }
void Attribute::setUint8(uint8_t value) { setLittleEndian(value, 1); }
void Attribute::setUint16(uint16_t value) { setLittleEndian(value, 2); }
void Attribute::setUint32(uint32_t value) { setLittleEndian(value, 4); }
void Attribute::setUint64(uint64_t value) { setLittleEndian(value, 8); }

void Attribute::setLittleEndian(uint64_t value, uint32_t width) {
  value_ = Payload(width);
  for (uint32_t i = 0; i < width; ++i) value_.at(i) = static_cast<uint8_t>(value >> (8 * i));
}

std::string Attribute::valueText() const {
  if (type_ == "string") return storedText(value_);
  if (type_ == "vectorOfStrings") return storedText(value_);
  if (type_ == "uint8" || type_ == "uint16" || type_ == "uint32" || type_ == "uint64" ||
      type_ == "ulong") {
    return decimalText(lowBytes(value_, 8));
  }
  if (type_ == "sint8") return signedText(value_, 1);
  if (type_ == "sint16") return signedText(value_, 2);
  if (type_ == "sint32") return signedText(value_, 4);
  if (type_ == "sint64") return signedText(value_, 8);
  if (type_ == "boolean") {
    const std::string_view bytes = bytesOf(value_);
    return !bytes.empty() && bytes[0] == 1 ? "True" : "False";
  }
  if (type_ == "bytepointer" || type_ == "list_uint64") return hexBytes(bytesOf(value_));
  if (type_ == "hexValue") return hexValueText(value_);
  if (type_ == "uint128") return unsigned128Text(value_);
  return {};
}

std::vector<std::string> Attribute::valueTextList() const {
  const std::string text = storedText(value_);
  if (text.empty()) return {};
  return splitText(text, listSeparator);
}

}  // namespace orv::core
