// Converters between attribute maps and XML: answer documents out, host documents in.
#ifndef ORV_CORE_XMLCONVERTER_H
#define ORV_CORE_XMLCONVERTER_H

#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "orv/core/Attribute.h"
#include "orv/core/AttributeMap.h"
#include "orv/core/xml/XmlElement.h"
#include "orv/core/xml/XmlObject.h"
#include "orv/core/xml/XmlProperty.h"

namespace orv::core::xml::convert {

// One Object with one Property per attribute, in the map's iteration order; owned by the caller.
std::unique_ptr<XmlObject> fromAttributeMap(const AttributeMap& map);
std::unique_ptr<XmlProperty> fromAttribute(const Attribute& attribute);
// What fromAttributeMap(map)->appendXml appends, behind prefix, written straight from the map
// into a text allocated once at its exact size.
std::string toXmlText(std::string_view prefix, const AttributeMap& map);

// The first top-level element of text when it is an Object, Message, List or Property, with the
// children the library knows; none for anything else. Unreadable text (also text nested deeper
// than the reader can safely follow) is reported twice at severity error and gives none.
std::unique_ptr<XmlElement> toXml(std::string_view text);

// The attributes of an Object's or Message's Property children, a later name replacing an
// earlier one; none for a List or Property, which describe nothing.
std::optional<AttributeMap> toAttributeMap(const XmlElement& element);

// The Attribute a Property describes; none for a wrong category or a type the reader skips.
std::optional<Attribute> toAttribute(const XmlElement& property);

}  // namespace orv::core::xml::convert

#endif
