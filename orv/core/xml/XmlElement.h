// XmlElement: one node of an XML element tree, written as compact XML. Trees are held through
// owning pointers to this base; each element owns its attributes and its children.
#ifndef ORV_CORE_XML_XMLELEMENT_H
#define ORV_CORE_XML_XMLELEMENT_H

#include <cstdint>
#include <initializer_list>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "orv/core/xml/ElementList.h"

namespace orv::core::xml {

class XmlElement {
 public:
  explicit XmlElement(std::string tag);
  XmlElement& operator=(const XmlElement&) = delete;
  // Attribute values may hold drive identifiers, so their bytes are zeroed before release.
  virtual ~XmlElement();

  // Appends this element's XML to target; what target already holds is left as it is.
  virtual void appendXml(std::string& target) const = 0;
  // Clones of the elements up to depth levels down that have the given name and the given value
  // under key; an empty name or key matches every element. The base looks at itself only.
  virtual ElementList find(const std::string& elementName, const std::string& key,
                           const std::string& value, uint8_t depth) const;
  // A deep copy of the same class, owned by the caller.
  virtual std::unique_ptr<XmlElement> clone() const = 0;
  virtual bool isEmpty() const = 0;

  // The value under key, or empty text when key is absent; never adds key. The reference holds
  // until the attributes change.
  const std::string& getAttribute(std::string_view key) const;
  void setAttribute(std::string_view key, std::string value);

  // The class's tag, fixed at construction.
  const std::string name;
  // Sorted by key; std::string compares as unsigned bytes, which gives the written order. A
  // handful per element makes a flat vector cheaper than a tree.
  std::vector<std::pair<std::string, std::string>> attributes;

 protected:
  XmlElement(const XmlElement&) = default;

  void appendAttributes(std::string& target) const;
  // Open tag, the children of each group in the given order, end tag.
  void appendWithChildren(std::string& target,
                          std::initializer_list<const ElementList*> groups) const;
  // The rule shared by elements with children: nothing at depth 0, else this element's own match
  // followed by the matches one level down in each group, in the given order.
  ElementList findWithChildren(std::initializer_list<const ElementList*> groups,
                               const std::string& elementName, const std::string& key,
                               const std::string& value, uint8_t depth) const;
};

}  // namespace orv::core::xml

#endif
