#include "host/drive/RepeatedAttribute.h"

#include <algorithm>
#include <string_view>
#include <vector>

#include <boost/property_tree/detail/rapidxml.hpp>

namespace fwhost {
namespace {

namespace rapidxml = boost::property_tree::detail::rapidxml;
using Node = rapidxml::xml_node<char>;

// The flags the plug-in's reader gives the same parser, leaving the text as it is.
constexpr int kFlags = rapidxml::parse_comment_nodes | rapidxml::parse_non_destructive;

// The name of node's attribute given twice, its second time, in the text; empty when none is.
std::string_view repeatedIn(const Node& node) {
  std::vector<std::string_view> names;
  for (auto* attribute = node.first_attribute(); attribute;
       attribute = attribute->next_attribute()) {
    names.emplace_back(attribute->name(), attribute->name_size());
  }
  // Stable, so that of equal names the later in the text comes second.
  std::stable_sort(names.begin(), names.end());
  const auto twice = std::adjacent_find(names.begin(), names.end());
  return twice == names.end() ? std::string_view() : *(twice + 1);
}

}  // namespace

std::string repeatedAttribute(const std::string& text) {
  std::string buffer = text;  // the parser wants a terminated, writable text
  rapidxml::xml_document<char> document;
  try {
    document.parse<kFlags>(buffer.data());
  } catch (const rapidxml::parse_error&) {
    return {};
  }
  // Depth first in document order, without recursion: the stack holds each level's next node.
  std::vector<const Node*> pending{document.first_node()};
  while (!pending.empty()) {
    const Node* node = pending.back();
    pending.pop_back();
    if (node == nullptr) continue;
    pending.push_back(node->next_sibling());
    if (node->type() != rapidxml::node_element) continue;
    if (const std::string_view name = repeatedIn(*node); !name.empty()) {
      const auto at = name.data() - buffer.data();
      const auto line = 1 + std::count(buffer.begin(), buffer.begin() + at, '\n');
      return "line " + std::to_string(line) + ": element " +
             std::string(node->name(), node->name_size()) + " gives attribute " +
             std::string(name) + " twice";
    }
    pending.push_back(node->first_node());
  }
  return {};
}

}  // namespace fwhost
