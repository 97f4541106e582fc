#include "orv/core/xml/XmlObject.h"

namespace orv::core::xml {

template <const char* kTag>
ObjectElement<kTag>::ObjectElement(const ObjectElement& other) : XmlElement(other) {
  properties = cloneElements(other.properties);
  lists = cloneElements(other.lists);
  objects = cloneElements(other.objects);
}

template <const char* kTag>
void ObjectElement<kTag>::appendXml(std::string& target) const {
  appendWithChildren(target, {&properties, &lists, &objects});
}

template <const char* kTag>
ElementList ObjectElement<kTag>::find(const std::string& elementName, const std::string& key,
                                      const std::string& value, uint8_t depth) const {
  return findWithChildren({&objects, &lists, &properties}, elementName, key, value, depth);
}

template <const char* kTag>
std::unique_ptr<XmlElement> ObjectElement<kTag>::clone() const {
  return std::make_unique<ObjectElement>(*this);
}

template <const char* kTag>
bool ObjectElement<kTag>::isEmpty() const {
  return attributes.empty() && lists.empty() && properties.empty() && objects.empty();
}

template class ObjectElement<kObjectTag>;
template class ObjectElement<kMessageTag>;

}  // namespace orv::core::xml
