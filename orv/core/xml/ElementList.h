// ElementList: the children of a List, Object or Message, in insertion order; each entry owns its
// element and whole subtree.
#ifndef ORV_CORE_XML_ELEMENTLIST_H
#define ORV_CORE_XML_ELEMENTLIST_H

#include <memory>
#include <vector>

namespace orv::core::xml {

class XmlElement;

using ElementList = std::vector<std::unique_ptr<XmlElement>>;

// A deep copy of every element, in order; shares nothing with elements.
ElementList cloneElements(const ElementList& elements);

}  // namespace orv::core::xml

#endif
