// XmlList: an element holding an ordered sequence of Objects; owns its items.
#ifndef ORV_CORE_XML_XMLLIST_H
#define ORV_CORE_XML_XMLLIST_H

#include "orv/core/xml/XmlElement.h"

namespace orv::core::xml {

class XmlList final : public XmlElement {
 public:
  XmlList();
  // Deep copy: shares nothing with other.
  XmlList(const XmlList& other);

  void appendXml(std::string& target) const override;
  ElementList find(const std::string& elementName, const std::string& key, const std::string& value,
                   uint8_t depth) const override;
  std::unique_ptr<XmlElement> clone() const override;
  bool isEmpty() const override;

  ElementList items;
};

}  // namespace orv::core::xml

#endif
