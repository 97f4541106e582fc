// XmlObject and XmlMessage: elements whose children are grouped by kind into lists, properties
// and objects; the two behave alike and differ only in their tag. Each owns its children.
// An Object is the root of every document the library writes; hosts may send either as a root.
#ifndef ORV_CORE_XML_XMLOBJECT_H
#define ORV_CORE_XML_XMLOBJECT_H

#include "orv/core/xml/XmlElement.h"

namespace orv::core::xml {

template <const char* kTag>
class ObjectElement final : public XmlElement {
 public:
  ObjectElement() : XmlElement(kTag) {}
  // Deep copy: shares nothing with other.
  ObjectElement(const ObjectElement& other);

  // Properties first, then lists, then objects, whatever order the children arrived in.
  void appendXml(std::string& target) const override;
  ElementList find(const std::string& elementName, const std::string& key, const std::string& value,
                   uint8_t depth) const override;
  std::unique_ptr<XmlElement> clone() const override;
  bool isEmpty() const override;

  // Members are destroyed in reverse: objects, then properties, then lists.
  ElementList lists;
  ElementList properties;
  ElementList objects;
};

inline constexpr char kObjectTag[] = "Object";
inline constexpr char kMessageTag[] = "Message";

using XmlObject = ObjectElement<kObjectTag>;
using XmlMessage = ObjectElement<kMessageTag>;

extern template class ObjectElement<kObjectTag>;
extern template class ObjectElement<kMessageTag>;

}  // namespace orv::core::xml

#endif
