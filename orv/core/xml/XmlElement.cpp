#include "orv/core/xml/XmlElement.h"

#include <algorithm>
#include <string_view>
#include <utility>

#include "orv/core/Platform.h"

namespace orv::core::xml {
namespace {

void wipe(std::string& text) { platform::wipe(text.data(), text.size()); }

std::string_view entityFor(char byte) {
  switch (byte) {
    case '&': return "&amp;";
    case '<': return "&lt;";
    case '>': return "&gt;";
    case '"': return "&quot;";
    case '\'': return "&apos;";
    default: return {};
  }
}

// One pass, appending the unescaped runs whole, so no entity is ever escaped twice.
void appendEscaped(std::string& target, const std::string& value) {
  size_t runStart = 0;
  for (size_t i = 0; i < value.size(); ++i) {
    const std::string_view entity = entityFor(value[i]);
    if (entity.empty()) continue;
    target.append(value, runStart, i - runStart);
    target += entity;
    runStart = i + 1;
  }
  target.append(value, runStart, std::string::npos);
}

template <typename Attributes>
auto lowerBound(Attributes& attributes, const std::string& key) {
  return std::lower_bound(attributes.begin(), attributes.end(), key,
                          [](const auto& entry, const std::string& k) { return entry.first < k; });
}

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

std::string XmlElement::getAttribute(const std::string& key) const {
  const auto entry = lowerBound(attributes, key);
  return entry != attributes.end() && entry->first == key ? entry->second : std::string();
}

void XmlElement::setAttribute(const std::string& key, std::string value) {
  const auto entry = lowerBound(attributes, key);
  if (entry != attributes.end() && entry->first == key) {
    wipe(entry->second);
    entry->second = std::move(value);
  } else {
    attributes.emplace(entry, key, std::move(value));
  }
}

void XmlElement::appendAttributes(std::string& target) const {
  for (const auto& [key, value] : attributes) {
    target += ' ';
    target += key;
    target += "=\"";
    appendEscaped(target, value);
    target += '"';
  }
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
