#include "orv/core/xml/XmlElement.h"

#include <algorithm>
#include <string_view>
#include <utility>

#include "orv/core/Platform.h"
#include "orv/core/xml/XmlText.h"

namespace orv::core::xml {
namespace {

void wipe(std::string& text) { platform::wipe(text.data(), text.size()); }

template <typename Attributes>
auto lowerBound(Attributes& attributes, std::string_view key) {
  return std::lower_bound(attributes.begin(), attributes.end(), key,
                          [](const auto& entry, std::string_view k) { return entry.first < k; });
}

const std::string kAbsent;

}  // namespace

XmlElement::XmlElement(std::string tag) : name(std::move(tag)) {}

XmlElement::~XmlElement() {
  for (auto& entry : attributes) wipe(entry.second);
}

ElementList XmlElement::find(const std::string& elementName, const std::string& key,
                             const std::string& value, uint8_t) const {
  ElementList found;
  if ((elementName.empty() || elementName == name) && (key.empty() || getAttribute(key) == value)) {
    found.push_back(clone());
  }
  return found;
}

const std::string& XmlElement::getAttribute(std::string_view key) const {
  const auto entry = lowerBound(attributes, key);
  return entry != attributes.end() && entry->first == key ? entry->second : kAbsent;
}

void XmlElement::setAttribute(std::string_view key, std::string value) {
  const auto entry = lowerBound(attributes, key);
  if (entry != attributes.end() && entry->first == key) {
    wipe(entry->second);
    entry->second = std::move(value);
  } else {
    attributes.emplace(entry, key, std::move(value));
  }
}

void XmlElement::appendAttributes(std::string& target) const {
  for (const auto& [key, value] : attributes) appendXmlAttribute(target, key, value);
}

void XmlElement::appendWithChildren(std::string& target,
                                    std::initializer_list<const ElementList*> groups) const {
  target += '<';
  target += name;
  appendAttributes(target);
  target += '>';
  for (const ElementList* group : groups) {
    for (const auto& child : *group) child->appendXml(target);
  }
  target += "</";
  target += name;
  target += '>';
}

ElementList XmlElement::findWithChildren(std::initializer_list<const ElementList*> groups,
                                         const std::string& elementName, const std::string& key,
                                         const std::string& value, uint8_t depth) const {
  if (depth == 0) return {};
  ElementList found = XmlElement::find(elementName, key, value, depth);
  for (const ElementList* group : groups) {
    for (const auto& child : *group) {
      for (auto& match : child->find(elementName, key, value, depth - 1)) {
        found.push_back(std::move(match));
      }
    }
  }
  return found;
}

}  // namespace orv::core::xml
