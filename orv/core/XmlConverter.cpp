#include "orv/core/XmlConverter.h"

#include <charconv>
#include <sstream>
#include <vector>

#include <boost/property_tree/ptree.hpp>
#include <boost/property_tree/xml_parser.hpp>

#include "orv/core/NestingDepth.h"
#include "orv/core/Report.h"
#include "orv/core/Text.h"
#include "orv/core/xml/XmlList.h"
#include "orv/core/xml/XmlMessage.h"
#include "orv/core/xml/XmlText.h"

namespace orv::core::xml::convert {
namespace {

using boost::property_tree::ptree;

// The reader and the tree builder both recurse once per level, on the host's stack.
constexpr size_t kMaxNestingDepth = 256;

// The tree is the reader's and dies with it, so values are moved out of it, not copied.
std::unique_ptr<XmlElement> buildElement(const std::string& name, ptree& node);

void readXmlAttributes(ptree& node, XmlElement& element) {
  const auto attributes = node.find("<xmlattr>");
  if (attributes == node.not_found()) return;
  element.attributes.reserve(attributes->second.size());
  for (auto& [key, value] : attributes->second) element.setAttribute(key, std::move(value.data()));
}

template <typename ObjectKind>
void readObjectChildren(ptree& node, ObjectKind& element) {
  for (auto& [name, child] : node) {
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

void readListChildren(ptree& node, XmlList& element) {
  for (auto& [name, child] : node) {
    if (name != "Object") continue;
    if (std::unique_ptr<XmlElement> built = buildElement(name, child)) {
      element.items.push_back(std::move(built));
    }
  }
}

template <typename Kind>
std::unique_ptr<XmlElement> buildWithChildren(ptree& node) {
  auto element = std::make_unique<Kind>();
  readXmlAttributes(node, *element);
  if constexpr (std::is_same_v<Kind, XmlList>) {
    readListChildren(node, *element);
  } else if constexpr (!std::is_same_v<Kind, XmlProperty>) {
    readObjectChildren(node, *element);
  }
  return element;
}

std::unique_ptr<XmlElement> buildElement(const std::string& name, ptree& node) {
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

void storeValue(Attribute& attribute, std::string_view type, std::string_view text) {
  if (type == "string" || type == "vectorOfStrings") {
    attribute.setText(text);
    return;
  }
  std::string value(text);
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
  } else if (type == "bytepointer" || type == "list_uint64") {
    const Payload bytes = hexTextToBytes(value, "");
    attribute.setBytes(bytes.data(), bytes.size());
  } else {  // "hexValue"
    replaceAll(value, "0x", "");
    const Payload bytes = textToNumber(value) != 0 ? hexTextToBytes(value, "") : Payload(1);
    attribute.setBytes(bytes.data(), bytes.size());
  }
}

bool isReadType(std::string_view type) {
  static const char* const kTypes[] = {"boolean", "uint8",  "sint16", "uint16",
                                       "sint32",  "uint32", "sint64", "uint64",
                                       "string",  "vectorOfStrings", "bytepointer",
                                       "list_uint64", "hexValue"};
  for (const char* known : kTypes) {
    if (type == known) return true;
  }
  return false;
}

constexpr char kListCategory[] = "attributeList";

// A value's size in decimal, in place.
class SizeText {
 public:
  explicit SizeText(uint32_t size) : end_(std::to_chars(digits_, digits_ + sizeof digits_, size).ptr) {}
  std::string_view view() const { return {digits_, static_cast<size_t>(end_ - digits_)}; }

 private:
  char digits_[10];
  char* end_;
};

// The fields of the Property that describes attribute, in ascending key order, the order they
// are written in; value is the attribute's value text, made once by the caller.
template <typename Visit>
void visitPropertyFields(const Attribute& attribute, std::string_view value, Visit visit) {
  visit("category", "attribute");
  if (!attribute.description().empty()) visit("description", attribute.description());
  visit("displayName", attribute.displayName());
  visit("name", attribute.name());
  visit("size", SizeText(attribute.value().size()).view());
  visit("type", attribute.type());
  visit("value", value);
}

}  // namespace

std::unique_ptr<XmlObject> fromAttributeMap(const AttributeMap& map) {
  auto object = std::make_unique<XmlObject>();
  object->setAttribute("category", kListCategory);
  for (const auto& entry : map) object->properties.push_back(fromAttribute(entry.attribute));
  return object;
}

std::unique_ptr<XmlProperty> fromAttribute(const Attribute& attribute) {
  auto property = std::make_unique<XmlProperty>();
  visitPropertyFields(attribute, attribute.valueText(), [&](const char* key, std::string_view value) {
    property->setAttribute(key, std::string(value));
  });
  return property;
}

std::string toXmlText(std::string_view prefix, const AttributeMap& map) {
  const std::string_view objectTag = kObjectTag;
  const std::string_view propertyTag = kPropertyTag;
  // Value texts are made once: measured first, then written.
  std::vector<std::string> values;
  values.reserve(map.size());
  size_t size = prefix.size() + 2 * objectTag.size() + 4 + xmlAttributeSize("category", kListCategory);
  for (const auto& entry : map) {
    values.push_back(entry.attribute.valueText());
    size += propertyTag.size() + 3;
    visitPropertyFields(entry.attribute, values.back(), [&](const char* key, std::string_view value) {
      size += xmlAttributeSize(key, value);
    });
  }
  std::string text;
  text.reserve(size);
  text += prefix;
  text += '<';
  text += objectTag;
  appendXmlAttribute(text, "category", kListCategory);
  text += '>';
  auto value = values.begin();
  for (const auto& entry : map) {
    text += '<';
    text += propertyTag;
    visitPropertyFields(entry.attribute, *value++, [&](const char* key, std::string_view field) {
      appendXmlAttribute(text, key, field);
    });
    text += "/>";
  }
  text += "</";
  text += objectTag;
  text += '>';
  return text;
}

std::unique_ptr<XmlElement> toXml(std::string_view text) {
  try {
    if (nestingDepth(text) > kMaxNestingDepth) {
      throw std::length_error("nesting too deep");
    }
    std::istringstream stream{std::string(text)};
    ptree tree;
    boost::property_tree::read_xml(stream, tree);
    if (tree.empty()) return nullptr;
    auto& [name, node] = tree.front();
    return buildElement(name, node);
  } catch (const std::exception&) {
    reportError(ORV_HERE, "Unable to convert the given xml string to an XmlElement");
    reportError(ORV_HERE, std::string(text));
    return nullptr;
  }
}

std::optional<AttributeMap> toAttributeMap(const XmlElement& element) {
  const ElementList* properties = propertiesOf(element);
  if (properties == nullptr) return std::nullopt;
  AttributeMap map;
  for (const auto& property : *properties) {
    if (std::optional<Attribute> attribute = toAttribute(*property)) {
      map[attribute->name()] = std::move(*attribute);
    }
  }
  return map;
}

std::optional<Attribute> toAttribute(const XmlElement& property) {
  if (property.getAttribute("category") != "attribute") return std::nullopt;
  const std::string& type = property.getAttribute("type");
  if (!isReadType(type)) return std::nullopt;
  Attribute attribute(property.getAttribute("name"), property.getAttribute("displayName"), type);
  storeValue(attribute, type, property.getAttribute("value"));
  attribute.setDescription(property.getAttribute("description"));
  return attribute;
}

}  // namespace orv::core::xml::convert
