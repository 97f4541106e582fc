#include "orv/core/xml/ElementList.h"

#include "orv/core/xml/XmlElement.h"

namespace orv::core::xml {

ElementList cloneElements(const ElementList& elements) {
  ElementList copies;
  copies.reserve(elements.size());
  for (const auto& element : elements) copies.push_back(element->clone());
  return copies;
}

}  // namespace orv::core::xml
