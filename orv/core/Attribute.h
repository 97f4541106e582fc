// Attribute: one named value kept as raw bytes plus the type name that says how to read them.
// Copies share the value's bytes; every setter gives the attribute a new payload of its own.
#ifndef ORV_CORE_ATTRIBUTE_H
#define ORV_CORE_ATTRIBUTE_H

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "orv/core/Payload.h"

namespace orv::core {

// Joins the items of a "vectorOfStrings" value; never escaped.
inline constexpr char listSeparator[] = "~";

class Attribute {
 public:
  // Empty texts, empty value, type "bytepointer".
  Attribute();
  Attribute(std::string name, std::string displayName, std::string type);

  const std::string& name() const { return name_; }
  const std::string& displayName() const { return displayName_; }
  const std::string& description() const { return description_; }
  const Payload& value() const { return value_; }
  const std::string& type() const { return type_; }

  void setDescription(std::string description) { description_ = std::move(description); }

  // Setters store the bytes as given, whatever the type name says; integers little-endian.
  void setBytes(const uint8_t* bytes, uint32_t count);
  // The text and one 0 byte; throws outOfBoundsStatus() for a text too long for a payload.
  void setText(std::string_view text);
  void setTextList(const std::vector<std::string>& items);
  void setBoolean(bool value);
  void setUint8(uint8_t value);
  void setUint16(uint16_t value);
  void setUint32(uint32_t value);
  void setUint64(uint64_t value);

  // The value as text, read by the type name; unknown names give the empty text.
  std::string valueText() const;
  // The items of a "vectorOfStrings" value; an empty value gives no items.
  std::vector<std::string> valueTextList() const;

 private:
  void setLittleEndian(uint64_t value, uint32_t width);

  std::string name_;
  std::string displayName_;
  std::string description_;
  Payload value_;
  std::string type_;
};

}  // namespace orv::core

#endif
