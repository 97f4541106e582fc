#include "orv/core/XmlConverter.h"

#include <algorithm>
#include <charconv>
#include <stdexcept>
#include <vector>

#include <boost/property_tree/detail/rapidxml.hpp>

#include "orv/core/NestingDepth.h"
#include "orv/core/ReadTypes.h"
#include "orv/core/Report.h"
#include "orv/core/Text.h"
#include "orv/core/xml/XmlList.h"
#include "orv/core/xml/XmlMessage.h"
#include "orv/core/xml/XmlText.h"

namespace orv::core::xml::convert {
namespace {

// The parser under boost::property_tree::read_xml, run with the flags read_xml gives it by
// default; the elements are built from its nodes as read_xml would have filed them in a ptree,
// without building the ptree.
namespace rapidxml = boost::property_tree::detail::rapidxml;
using Node = rapidxml::xml_node<char>;
constexpr int kReadXmlFlags = rapidxml::parse_comment_nodes;

std::string_view nameOf(const Node& node) { return {node.name(), node.name_size()}; }

std::unique_ptr<XmlElement> buildElement(const Node& node);

// An XML attribute's place in the document, with its key's first 8 bytes as a big-endian number
// (zeros past its end): keys that differ there compare as these numbers do.
struct SortKey {
  uint64_t head;
  uint32_t place;  // the host's text is at most 4 GiB, and each attribute takes 4 bytes
};

uint64_t headOf(std::string_view key) {
  uint64_t head = 0;
  for (size_t i = 0; i < 8; ++i) {
    head = head << 8 | (i < key.size() ? static_cast<uint8_t>(key[i]) : 0);
  }
  return head;
}

using XmlAttribute = rapidxml::xml_attribute<char>;

std::string_view keyOf(const XmlAttribute* attribute) {
  return {attribute->name(), attribute->name_size()};
}

void readXmlAttributes(const Node& node, XmlElement& element) {
  size_t count = 0;
  for (auto* a = node.first_attribute(); a; a = a->next_attribute()) ++count;
  // Sorted once rather than inserted one by one, which shifts the tail for each attribute. The
  // few of an ordinary element are sorted on the stack, without an allocation or a fill.
  constexpr size_t kOnStack = 16;
  const XmlAttribute* attributesOnStack[kOnStack];
  SortKey keysOnStack[kOnStack];
  std::vector<const XmlAttribute*> attributesOnHeap(count > kOnStack ? count : 0);
  std::vector<SortKey> keysOnHeap(count > kOnStack ? count : 0);
  const XmlAttribute** const attributes =
      count > kOnStack ? attributesOnHeap.data() : attributesOnStack;
  SortKey* const keys = count > kOnStack ? keysOnHeap.data() : keysOnStack;
  uint32_t place = 0;
  for (auto* a = node.first_attribute(); a; a = a->next_attribute(), ++place) {
    attributes[place] = a;
    keys[place] = {headOf(keyOf(a)), place};
  }
  const auto before = [&](const SortKey& a, const SortKey& b) {
    if (a.head != b.head) return a.head < b.head;
    const int order = keyOf(attributes[a.place]).compare(keyOf(attributes[b.place]));
    return order != 0 ? order < 0 : a.place < b.place;
  };
  // The order is total, so both sorts give the same result. On large elements the merge sort's
  // passes run through memory in order; std::sort fell back to heap sort on some key orders,
  // whose scattered accesses then took a third of the mapping call.
  if (count > kOnStack) {
    std::stable_sort(keys, keys + count, before);
  } else {
    std::sort(keys, keys + count, before);
  }
  // A name given twice keeps its last value, as the ptree's later entry would have replaced it;
  // the earlier values are never copied, so none is left to wipe.
  const auto isLastOfItsName = [&](size_t i) {
    return i + 1 == count ||
           keyOf(attributes[keys[i + 1].place]) != keyOf(attributes[keys[i].place]);
  };
  size_t unique = 0;
  for (size_t i = 0; i < count; ++i) unique += isLastOfItsName(i);
  element.attributes.reserve(unique);
  for (size_t i = 0; i < count; ++i) {
    if (!isLastOfItsName(i)) continue;
    const XmlAttribute* attribute = attributes[keys[i].place];
    element.attributes.emplace_back(keyOf(attribute),
                                    std::string_view(attribute->value(), attribute->value_size()));
  }
}

// Text, CDATA and comment children name no element.
template <typename Visit>
void forEachChildElement(const Node& node, Visit visit) {
  for (const Node* child = node.first_node(); child; child = child->next_sibling()) {
    if (child->type() == rapidxml::node_element) visit(*child);
  }
}

template <typename ObjectKind>
void readObjectChildren(const Node& node, ObjectKind& element) {
  forEachChildElement(node, [&](const Node& child) {
    std::unique_ptr<XmlElement> built = buildElement(child);
    if (!built) return;
    if (built->name == "List") {
      element.lists.push_back(std::move(built));
    } else if (built->name == "Object") {
      element.objects.push_back(std::move(built));
    } else if (built->name == "Property") {
      element.properties.push_back(std::move(built));
    }
  });
}

void readListChildren(const Node& node, XmlList& element) {
  forEachChildElement(node, [&](const Node& child) {
    if (nameOf(child) != "Object") return;
    if (std::unique_ptr<XmlElement> built = buildElement(child)) {
      element.items.push_back(std::move(built));
    }
  });
}

template <typename Kind>
std::unique_ptr<XmlElement> buildWithChildren(const Node& node) {
  auto element = std::make_unique<Kind>();
  readXmlAttributes(node, *element);
  if constexpr (std::is_same_v<Kind, XmlList>) {
    readListChildren(node, *element);
  } else if constexpr (!std::is_same_v<Kind, XmlProperty>) {
    readObjectChildren(node, *element);
  }
  return element;
}

std::unique_ptr<XmlElement> buildElement(const Node& node) {
  const std::string_view name = nameOf(node);
  if (name == "Message") return buildWithChildren<XmlMessage>(node);
  if (name == "List") return buildWithChildren<XmlList>(node);
  if (name == "Object") return buildWithChildren<XmlObject>(node);
  if (name == "Property") return buildWithChildren<XmlProperty>(node);
  return nullptr;
}

// The first top-level node read_xml would file: an element or a comment. Top-level CDATA is
// folded into the ptree's root data, not filed as a node.
const Node* firstFiledNode(const rapidxml::xml_document<char>& document) {
  for (const Node* node = document.first_node(); node; node = node->next_sibling()) {
    const rapidxml::node_type type = node->type();
    if (type == rapidxml::node_element || type == rapidxml::node_comment) return node;
  }
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
  for (const char* known : kReadTypeNames) {
    if (type == known) return true;
  }
  return false;
}

constexpr char kListCategory[] = "attributeList";

// A value's size in decimal, in place.
class SizeText {
 public:
  explicit SizeText(uint32_t size)
      : end_(std::to_chars(digits_, digits_ + sizeof digits_, size).ptr) {}
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
  visitPropertyFields(attribute, attribute.valueText(),
                      [&](const char* key, std::string_view value) {
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
  // "<" tag attribute ">" ... "</" tag ">"
  size_t size =
      prefix.size() + 2 * objectTag.size() + 5 + xmlAttributeSize("category", kListCategory);
  for (const auto& entry : map) {
    values.push_back(entry.attribute.valueText());
    size += propertyTag.size() + 3;  // "<" tag "/>"
    visitPropertyFields(
        entry.attribute, values.back(),
        [&](const char* key, std::string_view value) { size += xmlAttributeSize(key, value); });
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
    // The parser writes into what it reads, so it reads a copy, ended by a 0 as it expects.
    std::vector<char> buffer(text.size() + 1);
    text.copy(buffer.data(), text.size());
    rapidxml::xml_document<char> document;
    document.parse<kReadXmlFlags>(buffer.data());
    const Node* first = firstFiledNode(document);
    if (first == nullptr || first->type() != rapidxml::node_element) return nullptr;
    return buildElement(*first);
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
