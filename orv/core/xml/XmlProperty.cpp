#include "orv/core/xml/XmlProperty.h"

namespace orv::core::xml {

XmlProperty::XmlProperty() : XmlElement(kPropertyTag) {}

void XmlProperty::appendXml(std::string& target) const {
  target += '<';
  target += name;
  appendAttributes(target);
  target += "/>";
}

std::unique_ptr<XmlElement> XmlProperty::clone() const {
  return std::make_unique<XmlProperty>(*this);
}

bool XmlProperty::isEmpty() const { return attributes.empty(); }

}  // namespace orv::core::xml
