#include "orv/core/xml/XmlList.h"

namespace orv::core::xml {

XmlList::XmlList() : XmlElement("List") {}

XmlList::XmlList(const XmlList& other) : XmlElement(other), items(cloneElements(other.items)) {}

void XmlList::appendXml(std::string& target) const { appendWithChildren(target, {&items}); }

ElementList XmlList::find(const std::string& elementName, const std::string& key,
                          const std::string& value, uint8_t depth) const {
  return findWithChildren({&items}, elementName, key, value, depth);
}

std::unique_ptr<XmlElement> XmlList::clone() const { return std::make_unique<XmlList>(*this); }

bool XmlList::isEmpty() const { return attributes.empty() && items.empty(); }

}  // namespace orv::core::xml
