// toXml followed by toAttributeMap on arbitrary text. Beyond not crashing: the nesting check that
// guards the host's stack never counts fewer levels than the XML reader really opens, toXml's
// direct parse builds the tree that the property tree reader's result gives, and a tree that was
// read writes the same XML after one more trip through the reader.
#include <algorithm>
#include <cstdint>
#include <sstream>
#include <string>

#include <boost/property_tree/ptree.hpp>
#include <boost/property_tree/xml_parser.hpp>

#include "fuzz/FuzzSupport.h"
#include "orv/core/NestingDepth.h"
#include "orv/core/XmlConverter.h"
#include "orv/core/xml/XmlList.h"
#include "orv/core/xml/XmlMessage.h"

namespace {

using boost::property_tree::ptree;

size_t elementDepth(const ptree& node) {
  size_t deepest = 0;
  for (const auto& [name, child] : node) {
    if (name == "<xmlattr>" || name == "<xmlcomment>") continue;
    deepest = std::max(deepest, 1 + elementDepth(child));
  }
  return deepest;
}

using orv::core::xml::XmlElement;

// The tree toXml made from the property tree before it parsed directly, as the reference.
std::unique_ptr<XmlElement> fromTree(const std::string& name, const ptree& node) {
  using namespace orv::core::xml;
  std::unique_ptr<XmlElement> element;
  if (name == "Message") element = std::make_unique<XmlMessage>();
  if (name == "List") element = std::make_unique<XmlList>();
  if (name == "Object") element = std::make_unique<XmlObject>();
  if (name == "Property") element = std::make_unique<XmlProperty>();
  if (!element) return nullptr;
  const auto attributes = node.find("<xmlattr>");
  if (attributes != node.not_found()) {
    for (const auto& [key, value] : attributes->second) element->setAttribute(key, value.data());
  }
  auto* list = dynamic_cast<XmlList*>(element.get());
  auto* object = dynamic_cast<XmlObject*>(element.get());
  auto* message = dynamic_cast<XmlMessage*>(element.get());
  for (const auto& [childName, child] : node) {
    const bool grouped = childName == "List" || childName == "Object" || childName == "Property";
    if (list ? childName != "Object" : !(object || message) || !grouped) continue;
    std::unique_ptr<XmlElement> built = fromTree(childName, child);
    if (list) {
      list->items.push_back(std::move(built));
      continue;
    }
    auto& lists = object ? object->lists : message->lists;
    auto& objects = object ? object->objects : message->objects;
    auto& properties = object ? object->properties : message->properties;
    auto& group = childName == "List" ? lists : childName == "Object" ? objects : properties;
    group.push_back(std::move(built));
  }
  return element;
}

std::string written(const XmlElement& element) {
  std::string text;
  element.appendXml(text);
  return text;
}

// Read with the property tree's reader: nesting is never undercounted, and the tree built from
// it is the one toXml built.
void requireTheTreeReaderAgrees(const std::string& text, const XmlElement* root) {
  std::istringstream stream(text);
  ptree tree;
  try {
    boost::property_tree::read_xml(stream, tree);
  } catch (const std::exception&) {
    fuzz::require(!root, "toXml reads nothing the tree reader refuses");
    return;
  }
  const size_t depth = orv::core::nestingDepth(text);
  // A self-closing element is never open, and only a leaf can close itself.
  fuzz::require(elementDepth(tree) <= depth + 1,
                "nestingDepth counts every level the reader opens");
  if (depth > 256) return;
  const auto expected = tree.empty() ? nullptr : fromTree(tree.front().first, tree.front().second);
  fuzz::require(!expected == !root, "toXml reads what the tree reader reads");
  fuzz::require(!root || written(*expected) == written(*root),
                "toXml builds the tree reader's tree");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace orv::core::xml::convert;
  const std::string text(reinterpret_cast<const char*>(data), size);
  const auto root = toXml(text);
  requireTheTreeReaderAgrees(text, root.get());
  if (!root) return 0;
  const std::string& kind = root->name;
  fuzz::require(kind == "Object" || kind == "Message" || kind == "List" || kind == "Property",
                "only the four element kinds become roots");

  const std::string once = written(*root);
  // XML carries no NUL byte, and a character reference may decode to one.
  if (once.find('\0') == std::string::npos) {
    const auto again = toXml(once);
    fuzz::require(again && written(*again) == once, "a tree read back writes the same XML");
  }

  const auto map = toAttributeMap(*root->clone());
  fuzz::require(map.has_value() == (kind == "Object" || kind == "Message"),
                "only Objects and Messages describe attributes");
  if (!map) return 0;
  for (const auto& entry : *map) {
    fuzz::require(entry.key == entry.attribute.name(), "each attribute is stored under its name");
    entry.attribute.valueText();
    entry.attribute.valueTextList();
  }
  written(*fromAttributeMap(*map));
  return 0;
}
