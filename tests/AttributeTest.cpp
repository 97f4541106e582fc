#include "orv/core/Attribute.h"

#include <functional>

#include <gtest/gtest.h>

namespace orv::core {
namespace {

std::vector<uint8_t> bytesOf(const Attribute& attribute) {
  const Payload& value = attribute.value();
  return std::vector<uint8_t>(value.data(), value.data() + value.size());
}

Attribute typed(const std::string& type, const std::vector<uint8_t>& bytes) {
  Attribute attribute("A", "A", type);
  attribute.setBytes(bytes.data(), static_cast<uint32_t>(bytes.size()));
  return attribute;
}

TEST(AttributeTest, RenderingByTypeName) {
  const std::vector<uint8_t> allOnes(16, 0xFF);
  const struct {
    std::string type;
    std::vector<uint8_t> bytes;
    std::string text;
  } rows[] = {
      {"boolean", {1}, "True"},
      {"boolean", {2}, "False"},
      {"boolean", {}, "False"},
      {"sint8", {0x80}, "-128"},
      {"sint8", {}, "-1"},
      {"sint16", {0xFF, 0xFF}, "-1"},
      {"sint16", {0xFF, 0x7F, 0xFF}, "32767"},
      {"sint32", {0xFE, 0xFF}, "65534"},
      {"sint64", {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}, "-1"},
      {"uint16", {0xFF, 0xFF}, "65535"},
      {"uint32", {}, "0"},
      {"uint8", {0x2C, 0x01, 0, 0}, "300"},
      {"uint64", {1}, "1"},
      {"ulong", {1, 2, 3, 4, 5, 6, 7, 8, 9}, "578437695752307201"},
      {"uint128", allOnes, "340282366920938463463374607431768211455"},
      {"uint128", {}, "0"},
      {"uint128", {0x10}, "16"},
      {"bytepointer", {0x00, 0xAB, 0x10}, "00AB10"},
      {"bytepointer", {}, ""},
      {"list_uint64", {0x0F}, "0F"},
      {"hexValue", {0x00, 0x00}, "0x0"},
      {"hexValue", {0x00, 0x01, 0x00}, "0x0100"},
      {"string", {'a', 0, 'b', 0}, std::string("a\0b", 3)},
      {"string", {}, ""},
      {"vectorOfStrings", {'a', '~', '~', 'b', 0}, "a~~b"},
      {"double", {1, 2}, ""},
      {"String", {'a', 0}, ""},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(typed(row.type, row.bytes).valueText(), row.text) << row.type;
  }
  EXPECT_EQ(Attribute("A", "A", "hexValue").valueText(), "");  // no storage at all
  EXPECT_EQ(typed("vectorOfStrings", {'a', '~', '~', 'b', 0}).valueTextList(),
            (std::vector<std::string>{"a", "", "b"}));
  EXPECT_TRUE(typed("vectorOfStrings", {0}).valueTextList().empty());
}

TEST(AttributeTest, SettersStoreLittleEndianWhateverTheType) {
  const struct {
    std::function<void(Attribute&)> set;
    std::vector<uint8_t> bytes;
  } rows[] = {
      {[](Attribute& a) { a.setUint8(0xAB); }, {0xAB}},
      {[](Attribute& a) { a.setUint64(0x0102030405060708); }, {8, 7, 6, 5, 4, 3, 2, 1}},
      {[](Attribute& a) { a.setText(""); }, {0}},
      {[](Attribute& a) {
         a.setTextList({"a", "", "b"});
       },
       {'a', '~', '~', 'b', 0}},
      {[](Attribute& a) { a.setTextList({}); }, {0}},
  };
  for (const auto& row : rows) {
    Attribute attribute("N", "N", "double");
    row.set(attribute);
    EXPECT_EQ(bytesOf(attribute), row.bytes);
    EXPECT_EQ(attribute.type(), "double");
  }
}

TEST(AttributeTest, CopiesKeepTheirOwnValuesAfterASetter) {
  Attribute original("Status", "Status", "uint64");
  original.setUint64(64);
  Attribute copy = original;
  EXPECT_EQ(copy.value().data(), original.value().data());
  copy.setUint64(65);
  EXPECT_EQ(original.valueText(), "64");
  EXPECT_EQ(copy.valueText(), "65");
}

}  // namespace
}  // namespace orv::core
