#include "orv/core/XmlConverter.h"

#include <sstream>

#include <boost/property_tree/ptree.hpp>
#include <boost/property_tree/xml_parser.hpp>

#include "orv/core/NestingDepth.h"
#include "orv/core/Report.h"
#include "orv/core/Text.h"
#include "orv/core/xml/XmlList.h"
#include "orv/core/xml/XmlMessage.h"

namespace orv::core::xml::convert {
namespace {

using boost::property_tree::ptree;

// The reader and the tree builder both recurse once per level, on the host's stack.
constexpr size_t kMaxNestingDepth = 256;

std::unique_ptr<XmlElement> buildElement(const std::string& name, const ptree& node);

void readXmlAttributes(const ptree& node, XmlElement& element) {
  const auto attributes = node.find("<xmlattr>");
  if (attributes == node.not_found()) return;
  for (const auto& [key, value] : attributes->second) element.setAttribute(key, value.data());
}

template <typename ObjectKind>
void readObjectChildren(const ptree& node, ObjectKind& element) {
  for (const auto& [name, child] : node) {
    std::unique_ptr<XmlElement> built = buildElement(name, child);
    if (!built) continue;
    if (built->name == "List") {
      element.lists.push_back(std::move(built));
    } else if (built->name == "Object") {
      element.objects.push_back(std::move(built));
    } else if (built->name == "Property") {
      element.properties.push_back(std::move(built));
    }
  }
}

void readListChildren(const ptree& node, XmlList& element) {
  for (const auto& [name, child] : node) {
    if (name != "Object") continue;
    if (std::unique_ptr<XmlElement> built = buildElement(name, child)) {
      element.items.push_back(std::move(built));
    }
  }
}

template <typename Kind>
std::unique_ptr<XmlElement> buildWithChildren(const ptree& node) {
  auto element = std::make_unique<Kind>();
  readXmlAttributes(node, *element);
  if constexpr (std::is_same_v<Kind, XmlList>) {
    readListChildren(node, *element);
  } else if constexpr (!std::is_same_v<Kind, XmlProperty>) {
    readObjectChildren(node, *element);
  }
  return element;
}

std::unique_ptr<XmlElement> buildElement(const std::string& name, const ptree& node) {
  if (name == "Message") return buildWithChildren<XmlMessage>(node);
  if (name == "List") return buildWithChildren<XmlList>(node);
  if (name == "Object") return buildWithChildren<XmlObject>(node);
  if (name == "Property") return buildWithChildren<XmlProperty>(node);
  return nullptr;
}

const ElementList* propertiesOf(const XmlElement& element) {
  if (const auto* object = dynamic_cast<const XmlObject*>(&element)) return &object->properties;
  if (const auto* message = dynamic_cast<const XmlMessage*>(&element)) return &message->properties;
  return nullptr;
}

void storeValue(Attribute& attribute, const std::string& type, std::string value) {
  if (type == "boolean") {
    attribute.setBoolean(equalsText(value, "true", true));
  } else if (type == "uint8") {
    attribute.setUint8(static_cast<uint8_t>(textToNumber(value)));
  } else if (type == "sint16" || type == "uint16") {
    attribute.setUint16(static_cast<uint16_t>(textToNumber(value)));
  } else if (type == "sint32" || type == "uint32") {
    attribute.setUint32(static_cast<uint32_t>(textToNumber(value)));
  } else if (type == "sint64" || type == "uint64") {
    attribute.setUint64(textToNumber(value));
  } else if (type == "string" || type == "vectorOfStrings") {
    attribute.setText(value);
  } else if (type == "bytepointer" || type == "list_uint64") {
    const Payload bytes = hexTextToBytes(value, "");
    attribute.setBytes(bytes.data(), bytes.size());
  } else {  // "hexValue"
    replaceAll(value, "0x", "");
    const Payload bytes = textToNumber(value) != 0 ? hexTextToBytes(value, "") : Payload(1);
    attribute.setBytes(bytes.data(), bytes.size());
  }
}

bool isReadType(const std::string& type) {
  static const char* const kTypes[] = {"boolean", "uint8",  "sint16", "uint16",
                                       "sint32",  "uint32", "sint64", "uint64",
                                       "string",  "vectorOfStrings", "bytepointer",
                                       "list_uint64", "hexValue"};
  for (const char* known : kTypes) {
    if (type == known) return true;
  }
  return false;
}

}  // namespace

std::unique_ptr<XmlObject> fromAttributeMap(const AttributeMap& map) {
  auto object = std::make_unique<XmlObject>();
  object->setAttribute("category", "attributeList");
  for (const auto& entry : map) object->properties.push_back(fromAttribute(entry.attribute));
  return object;
}

std::unique_ptr<XmlProperty> fromAttribute(const Attribute& attribute) {
  auto property = std::make_unique<XmlProperty>();
  property->setAttribute("category", "attribute");
  property->setAttribute("type", attribute.type());
  if (!attribute.description().empty()) property->setAttribute("description", attribute.description());
  property->setAttribute("displayName", attribute.displayName());
  property->setAttribute("name", attribute.name());
  property->setAttribute("value", attribute.valueText());
  property->setAttribute("size", decimalText(uint64_t{attribute.value().size()}));
  return property;
}

std::unique_ptr<XmlElement> toXml(const std::string& text) {
  try {
    if (nestingDepth(text) > kMaxNestingDepth) {
      throw std::length_error("nesting too deep");
    }
    std::istringstream stream(text);
    ptree tree;
    boost::property_tree::read_xml(stream, tree);
    if (tree.empty()) return nullptr;
    const auto& [name, node] = tree.front();
    return buildElement(name, node);
  } catch (const std::exception&) {
    reportError(ORV_HERE, "Unable to convert the given xml string to an XmlElement");
    reportError(ORV_HERE, text);
    return nullptr;
  }
}

std::optional<AttributeMap> toAttributeMap(const XmlElement& element) {
  const ElementList* properties = propertiesOf(element);
  if (properties == nullptr) return std::nullopt;
  AttributeMap map;
  for (const auto& property : *properties) {
    if (std::optional<Attribute> attribute = toAttribute(*property)) {
      map[attribute->name()] = *attribute;
    }
  }
  return map;
}

std::optional<Attribute> toAttribute(const XmlElement& property) {
  if (property.getAttribute("category") != "attribute") return std::nullopt;
  const std::string type = property.getAttribute("type");
  if (!isReadType(type)) return std::nullopt;
  Attribute attribute(property.getAttribute("name"), property.getAttribute("displayName"), type);
  storeValue(attribute, type, property.getAttribute("value"));
  attribute.setDescription(property.getAttribute("description"));
  return attribute;
}

}  // namespace orv::core::xml::convert
