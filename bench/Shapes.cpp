#include "bench/Shapes.h"

namespace {

std::string property(const std::string& name, const std::string& value,
                     const std::string& more = "") {
  return "<Property category=\"attribute\" name=\"" + name + "\" displayName=\"" + name +
         "\" type=\"string\" value=\"" + value + "\"" + more + "/>";
}

std::string repeated(const std::string& piece, size_t count) {
  std::string text;
  text.reserve(piece.size() * count);
  for (size_t i = 0; i < count; ++i) text += piece;
  return text;
}

// What the shape adds inside the root Object.
std::string units(Shape shape, size_t count) {
  switch (shape) {
    case Shape::kAttributes: {
      std::string attributes;
      for (size_t i = 0; i < count; ++i) attributes += " a" + std::to_string(i) + "=\"v\"";
      return property("Wide", "", attributes);
    }
    case Shape::kElements:
      return repeated("<Object/>", count);
    case Shape::kProperties: {
      std::string properties;
      for (size_t i = 0; i < count; ++i) properties += property("Extra" + std::to_string(i), "v");
      return properties;
    }
    case Shape::kDepth:
      return repeated("<Object>", count) + repeated("</Object>", count);
    case Shape::kValueLength:
      return property("Long", std::string(count, 'v'));
    case Shape::kEntities:
      return property("Escaped", repeated("&amp;", count));
    case Shape::kListItems:
      return "<List>" + repeated("<Object/>", count) + "</List>";
  }
  return {};
}

}  // namespace

const char* shapeName(Shape shape) {
  switch (shape) {
    case Shape::kAttributes:
      return "attributes";
    case Shape::kElements:
      return "elements";
    case Shape::kProperties:
      return "properties";
    case Shape::kDepth:
      return "depth";
    case Shape::kValueLength:
      return "value_length";
    case Shape::kEntities:
      return "entities";
    case Shape::kListItems:
      return "list_items";
  }
  return "";
}

std::string shapedDescription(Shape shape, size_t count) {
  return "<?xml version=\"1.0\" encoding=\"utf-8\"?><Object category=\"attributeList\">" +
         property("Product", "Quarry Meadow") + property("OEM", "HP") +
         property("Firmware", "BRHPS1") + property("ConfigID", "T2UB_256") + units(shape, count) +
         "</Object>";
}

size_t countForSize(Shape shape, size_t bytes) {
  // Every unit adds bytes, so the size grows with the count and halving the range finds it.
  size_t low = 0;
  size_t high = bytes;
  while (low < high) {
    const size_t middle = low + (high - low + 1) / 2;
    if (shapedDescription(shape, middle).size() <= bytes) {
      low = middle;
    } else {
      high = middle - 1;
    }
  }
  return low;
}
