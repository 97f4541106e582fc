// toXml followed by toAttributeMap on arbitrary text. Beyond not crashing: the nesting check that
// guards the host's stack never counts fewer levels than the XML reader really opens, and a tree
// that was read writes the same XML after one more trip through the reader.
#include <algorithm>
#include <cstdint>
#include <sstream>
#include <string>

#include <boost/property_tree/ptree.hpp>
#include <boost/property_tree/xml_parser.hpp>

#include "fuzz/FuzzSupport.h"
#include "orv/core/NestingDepth.h"
#include "orv/core/XmlConverter.h"

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

void requireNestingNotUndercounted(const std::string& text) {
  std::istringstream stream(text);
  ptree tree;
  try {
    boost::property_tree::read_xml(stream, tree);
  } catch (const std::exception&) {
    return;
  }
  // A self-closing element is never open, and only a leaf can close itself.
  fuzz::require(elementDepth(tree) <= orv::core::nestingDepth(text) + 1,
                "nestingDepth counts every level the reader opens");
}

std::string written(const orv::core::xml::XmlElement& element) {
  std::string text;
  element.appendXml(text);
  return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace orv::core::xml::convert;
  const std::string text(reinterpret_cast<const char*>(data), size);
  requireNestingNotUndercounted(text);

  const auto root = toXml(text);
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
