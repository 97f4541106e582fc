#include "orv/core/KeyedAttributes.h"

#include "orv/core/Text.h"

namespace orv::core {
namespace {

const Payload* findValue(const AttributeMap& map, const Attribute& key) {
  for (const auto& entry : map) {
    // Keys of another length never match; only same-length ones need the case-folding compare.
    if (entry.key.size() == key.name().size() && equalsText(entry.key, key.name(), true)) {
      return &entry.attribute.value();
    }
  }
  return nullptr;
}

}  // namespace

std::string readStringAttribute(const AttributeMap& map, const Attribute& key) {
  const Payload* value = findValue(map, key);
  if (value == nullptr || value->data() == nullptr || value->size() == 0) return {};
  return std::string(reinterpret_cast<const char*>(value->data()), value->size() - 1);
}

bool readBooleanAttribute(const AttributeMap& map, const Attribute& key) {
  const Payload* value = findValue(map, key);
  return value != nullptr && value->data() != nullptr && value->size() > 0 && value->at(0) == 1;
}

void writeStringAttribute(AttributeMap& map, const Attribute& key, std::string_view text) {
  Attribute copy = key;
  copy.setText(text);
  map[copy.name()] = std::move(copy);
}

void writeUint64Attribute(AttributeMap& map, const Attribute& key, uint64_t number) {
  Attribute copy = key;
  copy.setUint64(number);
  map[copy.name()] = std::move(copy);
}

}  // namespace orv::core
