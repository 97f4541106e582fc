// Keyed reads and writes on an AttributeMap by a template attribute's name, as the rules use them.
#ifndef ORV_CORE_KEYEDATTRIBUTES_H
#define ORV_CORE_KEYEDATTRIBUTES_H

#include <cstdint>
#include <string>
#include <string_view>

#include "orv/core/Attribute.h"
#include "orv/core/AttributeMap.h"

namespace orv::core {

// The first entry in iteration order whose key equals the template's name ignoring case, read as
// a stored text whatever its type; the empty text when none matches.
std::string readStringAttribute(const AttributeMap& map, const Attribute& key);
// The same search; true when the value's first byte is 1.
bool readBooleanAttribute(const AttributeMap& map, const Attribute& key);

// Stores a copy of the template holding the value under the template's name; the template and,
// when a setter throws, the map stay as they were.
void writeStringAttribute(AttributeMap& map, const Attribute& key, std::string_view text);
void writeUint64Attribute(AttributeMap& map, const Attribute& key, uint64_t number);

}  // namespace orv::core

#endif
