// An AttributeMap built from the input, written with fromAttributeMap, read back with toXml and
// toAttributeMap: the names, display names, descriptions and value texts come back for every type
// the reader reads, except where the format itself forbids it:
// - XML carries no NUL byte, so a text holding one makes no readable document;
// - an unsigned value wider than its type name (a "uint8" holding 300) comes back cut to the
//   type's width, and a "uint64" above the largest signed 64-bit number comes back as that number,
//   since decimal text is read as signed;
// - list items joined by "~" split again at a "~" inside an item, and a list of one empty item
//   comes back as no items;
// - "sint8", "uint128", "ulong" and unknown type names are not read back at all.
#include <cstdint>
#include <limits>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include <fuzzer/FuzzedDataProvider.h>

#include "fuzz/FuzzSupport.h"
#include "orv/core/XmlConverter.h"

namespace {

using orv::core::Attribute;
using orv::core::AttributeMap;

const char* const kTypes[] = {"boolean",         "sint8",  "sint16",      "uint8",       "uint16",
                              "sint32",          "uint32", "sint64",      "uint64",      "ulong",
                              "uint128",         "string", "bytepointer", "list_uint64", "hexValue",
                              "vectorOfStrings", "unknown"};

bool isReadBack(const std::string& type) {
  return type != "sint8" && type != "uint128" && type != "ulong" && type != "unknown";
}

// Whether the reader gives the value back whole: it cuts an unsigned one to its type's width.
bool survivesWidth(const Attribute& attribute) {
  const std::string& type = attribute.type();
  if (type != "uint8" && type != "uint16" && type != "uint32" && type != "uint64") return true;
  const uint64_t number = std::stoull(attribute.valueText());
  if (type == "uint64") return number <= uint64_t{std::numeric_limits<int64_t>::max()};
  return number < (uint64_t{1} << (type == "uint8" ? 8 : type == "uint16" ? 16 : 32));
}

bool hasNul(const std::string& text) { return text.find('\0') != std::string::npos; }

// Items are set when the value was made from a list.
Attribute makeAttribute(FuzzedDataProvider& provider,
                        std::optional<std::vector<std::string>>& items) {
  const std::string name = provider.ConsumeRandomLengthString(16);
  const std::string displayName = provider.ConsumeRandomLengthString(16);
  const std::string type = provider.PickValueInArray(kTypes);
  Attribute attribute(name, displayName, type);
  attribute.setDescription(provider.ConsumeRandomLengthString(16));
  items.reset();
  if (provider.ConsumeBool()) {
    // Setters store bytes as given, whatever the type name says.
    const std::vector<uint8_t> bytes =
        provider.ConsumeBytes<uint8_t>(provider.ConsumeIntegralInRange(0, 24));
    attribute.setBytes(bytes.data(), static_cast<uint32_t>(bytes.size()));
  } else if (type == "boolean") {
    attribute.setBoolean(provider.ConsumeBool());
  } else if (type == "uint8" || type == "sint8") {
    attribute.setUint8(provider.ConsumeIntegral<uint8_t>());
  } else if (type == "uint16" || type == "sint16") {
    attribute.setUint16(provider.ConsumeIntegral<uint16_t>());
  } else if (type == "uint32" || type == "sint32") {
    attribute.setUint32(provider.ConsumeIntegral<uint32_t>());
  } else if (type == "uint64" || type == "sint64" || type == "ulong") {
    attribute.setUint64(provider.ConsumeIntegral<uint64_t>());
  } else if (type == "vectorOfStrings") {
    items.emplace();
    const size_t count = provider.ConsumeIntegralInRange(0, 4);
    for (size_t i = 0; i < count; ++i) items->push_back(provider.ConsumeRandomLengthString(8));
    attribute.setTextList(*items);
  } else {
    attribute.setText(provider.ConsumeRandomLengthString(32));
  }
  return attribute;
}

void requireListSurvives(const std::vector<std::string>& items, const Attribute& back) {
  for (const std::string& item : items) {
    if (item.find('~') != std::string::npos) return;
  }
  if (items.size() == 1 && items[0].empty()) return;
  fuzz::require(back.valueTextList() == items, "list items come back");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace orv::core::xml::convert;
  FuzzedDataProvider provider(data, size);
  AttributeMap original;
  std::map<std::string, std::optional<std::vector<std::string>>> lists;
  bool readable = true;
  const size_t count = provider.ConsumeIntegralInRange(0, 24);
  for (size_t i = 0; i < count; ++i) {
    std::optional<std::vector<std::string>> items;
    Attribute attribute = makeAttribute(provider, items);
    readable = readable && !hasNul(attribute.name()) && !hasNul(attribute.displayName()) &&
               !hasNul(attribute.description()) && !hasNul(attribute.valueText());
    original[attribute.name()] = attribute;
    lists[attribute.name()] = items;
  }

  std::string text;
  fromAttributeMap(original)->appendXml(text);
  const auto root = toXml(text);
  if (!readable) return 0;
  fuzz::require(root != nullptr, "what the writer writes reads back");
  auto read = toAttributeMap(*root);
  fuzz::require(read.has_value(), "the written Object describes attributes");

  size_t expected = 0;
  for (const auto& entry : original) expected += isReadBack(entry.attribute.type());
  fuzz::require(read->size() == expected, "every attribute of a read type comes back, no other");
  for (const auto& entry : original) {
    const Attribute& sent = entry.attribute;
    if (!isReadBack(sent.type())) continue;
    const Attribute& back = (*read)[sent.name()];
    fuzz::require(read->size() == expected, "each name comes back");
    fuzz::require(back.name() == sent.name() && back.type() == sent.type() &&
                      back.displayName() == sent.displayName() &&
                      back.description() == sent.description(),
                  "names, type and description come back");
    if (survivesWidth(sent)) {
      fuzz::require(back.valueText() == sent.valueText(), "the value text comes back");
    }
    if (const auto& items = lists[sent.name()]) requireListSurvives(*items, back);
  }
  return 0;
}
