#include <functional>
#include <memory>
#include <string>
#include <typeinfo>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "orv/core/xml/XmlList.h"
#include "orv/core/xml/XmlMessage.h"
#include "orv/core/xml/XmlObject.h"
#include "orv/core/xml/XmlProperty.h"

namespace orv::core::xml {
namespace {

using namespace std::string_literals;
using Attributes = std::vector<std::pair<std::string, std::string>>;
using Builder = std::function<std::unique_ptr<XmlElement>()>;

// Sets the attributes in the order given, so that tests can insert keys out of order.
template <typename Element>
std::unique_ptr<Element> make(const Attributes& attributes = {}) {
  auto element = std::make_unique<Element>();
  for (const auto& [key, value] : attributes) element->setAttribute(key, value);
  return element;
}

std::string written(const XmlElement& element) {
  std::string text;
  element.appendXml(text);
  return text;
}

std::unique_ptr<XmlElement> listOfTwoObjects() {
  auto list = make<XmlList>({{"name", "L"}});
  list->items.push_back(make<XmlObject>({{"name", "first"}}));
  list->items.push_back(make<XmlObject>({{"name", "second"}}));
  return list;
}

// Children arrive as object, property, list: the reverse of the written grouping.
template <typename Element>
std::unique_ptr<Element> mixedChildren() {
  auto element = make<Element>({{"name", "root"}});
  element->objects.push_back(make<XmlObject>());
  element->properties.push_back(make<XmlProperty>({{"name", "p"}}));
  element->lists.push_back(listOfTwoObjects());
  return element;
}

TEST(XmlElementTest, WritesExactBytes) {
  const std::string otherBytes = "\x01\t\n\x7F\x80\xC3\xA9\xFF"s + '\0' + "z";
  const struct {
    const char* label;
    Builder build;
    std::string expected;
  } cases[] = {
      {"childless object keeps its end tag",
       [] {
         return make<XmlObject>({{"category", "attributeList"}});
       },
       R"(<Object category="attributeList"></Object>)"},
      {"object children grouped by kind", mixedChildren<XmlObject>,
       R"(<Object name="root"><Property name="p"/><List name="L"><Object name="first"></Object>)"
       R"(<Object name="second"></Object></List><Object></Object></Object>)"},
      {"keys compared as unsigned bytes",
       [] {
         return make<XmlProperty>(
             {{"b", "1"}, {"\xE9", "2"}, {"a", "3"}, {"B", "4"}, {"aa", "5"}, {"A", "6"}});
       },
       "<Property A=\"6\" B=\"4\" a=\"3\" aa=\"5\" b=\"1\" \xE9=\"2\"/>"},
      {"five entities, and entity text escaped as text, under any key",
       [] {
         return make<XmlProperty>({{"value", R"(&<>"')"}, {"displayName", "&lt;"}});
       },
       R"(<Property displayName="&amp;lt;" value="&amp;&lt;&gt;&quot;&apos;"/>)"},
      {"control and high bytes unchanged",
       [&] {
         return make<XmlProperty>({{"value", otherBytes}});
       },
       "<Property value=\"" + otherBytes + "\"/>"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    EXPECT_EQ(written(*c.build()), c.expected);
  }
}

TEST(XmlElementTest, CloneIsDeepAndSharesNothing) {
  EXPECT_EQ(typeid(*mixedChildren<XmlMessage>()->clone()), typeid(XmlMessage));
  auto original = mixedChildren<XmlObject>();
  const auto copy = original->clone();
  const std::string before = written(*copy);
  EXPECT_EQ(before, written(*original));

  original->setAttribute("name", "changed");
  original->properties.front()->setAttribute("value", "2");
  static_cast<XmlList&>(*original->lists.front()).items.front()->setAttribute("name", "x");
  original->objects.push_back(make<XmlObject>());
  EXPECT_EQ(written(*copy), before);

  original.reset();
  EXPECT_EQ(written(*copy), before);
}

// root{properties: A1, B; lists: L{items: I}; objects: C{properties: A2}}
std::unique_ptr<XmlObject> searchTree() {
  auto root = make<XmlObject>({{"name", "root"}});
  root->properties.push_back(make<XmlProperty>({{"name", "A"}, {"value", "1"}}));
  root->properties.push_back(make<XmlProperty>({{"name", "B"}}));
  auto list = make<XmlList>({{"name", "L"}});
  list->items.push_back(make<XmlObject>({{"name", "I"}}));
  root->lists.push_back(std::move(list));
  auto child = make<XmlObject>({{"name", "C"}});
  child->properties.push_back(make<XmlProperty>({{"name", "A"}, {"value", "2"}}));
  root->objects.push_back(std::move(child));
  return root;
}

std::vector<std::string> labels(const ElementList& found) {
  std::vector<std::string> result;
  for (const auto& element : found) {
    result.push_back(element->name + ":" + element->getAttribute("name") +
                     element->getAttribute("value"));
  }
  return result;
}

TEST(XmlElementTest, FindWalksObjectsThenListsThenProperties) {
  const auto root = searchTree();
  const struct {
    std::string name, key, value;
    uint8_t depth;
    std::vector<std::string> expected;
  } cases[] = {
      {"", "", "", 0, {}},
      {"", "", "", 1, {"Object:root", "Property:A1", "Property:B"}},
      {"",
       "",
       "",
       3,
       {"Object:root", "Object:C", "Property:A2", "List:L", "Object:I", "Property:A1",
        "Property:B"}},
      {"", "", "value ignored without key", 1, {"Object:root", "Property:A1", "Property:B"}},
      {"Property", "", "", 3, {"Property:A2", "Property:A1", "Property:B"}},
      {"", "name", "A", 3, {"Property:A2", "Property:A1"}},
      {"", "value", "", 1, {"Object:root", "Property:B"}},
      {"Object", "name", "C", 2, {"Object:C"}},
      {"Object", "name", "C", 1, {}},
      {"object", "", "", 3, {}},
      {"", "Name", "A", 3, {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name + "|" + c.key + "|" + c.value + "|" + std::to_string(c.depth));
    EXPECT_EQ(labels(root->find(c.name, c.key, c.value, c.depth)), c.expected);
  }
  // A Property matches itself whatever the depth.
  EXPECT_EQ(labels(make<XmlProperty>({{"name", "A"}})->find("", "name", "A", 0)),
            std::vector<std::string>{"Property:A"});
}

// An element whose only content is one empty child in group.
template <typename Parent, typename Child>
std::unique_ptr<XmlElement> withChild(ElementList Parent::*group) {
  auto parent = make<Parent>();
  (parent.get()->*group).push_back(make<Child>());
  return parent;
}

TEST(XmlElementTest, IsEmpty) {
  const struct {
    const char* label;
    Builder build;
    bool expected;
  } cases[] = {
      {"bare property", [] { return make<XmlProperty>(); }, true},
      {"bare list", [] { return make<XmlList>(); }, true},
      {"list with attribute",
       [] {
         return make<XmlList>({{"k", "v"}});
       },
       false},
      {"list with empty item", [] { return withChild<XmlList, XmlObject>(&XmlList::items); },
       false},
      {"bare object", [] { return make<XmlObject>(); }, true},
      {"object with attribute",
       [] {
         return make<XmlObject>({{"k", "v"}});
       },
       false},
      {"object with property",
       [] { return withChild<XmlObject, XmlProperty>(&XmlObject::properties); }, false},
      {"message with object", [] { return withChild<XmlMessage, XmlObject>(&XmlMessage::objects); },
       false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    EXPECT_EQ(c.build()->isEmpty(), c.expected);
  }
}

}  // namespace
}  // namespace orv::core::xml
