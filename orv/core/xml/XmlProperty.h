// XmlProperty: a leaf element that carries one attribute value and its description in its
// attributes; always written self-closing.
#ifndef ORV_CORE_XML_XMLPROPERTY_H
#define ORV_CORE_XML_XMLPROPERTY_H

#include "orv/core/xml/XmlElement.h"

namespace orv::core::xml {

inline constexpr char kPropertyTag[] = "Property";

class XmlProperty final : public XmlElement {
 public:
  XmlProperty();
  XmlProperty(const XmlProperty& other) = default;

  void appendXml(std::string& target) const override;
  std::unique_ptr<XmlElement> clone() const override;
  bool isEmpty() const override;
};

}  // namespace orv::core::xml

#endif
