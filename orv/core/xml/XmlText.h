// How the library writes attribute values into XML: each escaped once with the five predefined
// entities, so that a measured text and a written one always agree.
#ifndef ORV_CORE_XML_XMLTEXT_H
#define ORV_CORE_XML_XMLTEXT_H

#include <cstddef>
#include <string>
#include <string_view>

namespace orv::core::xml {

// Appends ` key="value"` with value escaped.
void appendXmlAttribute(std::string& target, std::string_view key, std::string_view value);
// How many bytes appendXmlAttribute appends.
size_t xmlAttributeSize(std::string_view key, std::string_view value);

}  // namespace orv::core::xml

#endif
