#include "orv/core/XmlConverter.h"

#include <gtest/gtest.h>

#include "orv/core/NestingDepth.h"
#include "orv/core/xml/XmlList.h"
#include "provider/AnswerDocument.h"
#include "tests/ReportCapture.h"
#include "tests/ThreadCpuTime.h"

namespace orv::core::xml::convert {
namespace {

std::string property(const std::string& attributes) { return "<Property " + attributes + "/>"; }

std::string object(const std::string& children) {
  return "<Object category=\"attributeList\">" + children + "</Object>";
}

// The single attribute read from a document holding one Property of the given type and value.
std::optional<Attribute> readOne(const std::string& type, const std::string& value) {
  const auto root =
      toXml(object(property("category=\"attribute\" name=\"A\" displayName=\"A\" type=\"" + type +
                            "\" value=\"" + value + "\"")));
  const auto map = toAttributeMap(*root);
  if (!map || map->size() == 0) return std::nullopt;
  return map->begin()->attribute;
}

std::vector<uint8_t> bytesOf(const Attribute& attribute) {
  const Payload& value = attribute.value();
  return std::vector<uint8_t>(value.data(), value.data() + value.size());
}

TEST(XmlConverterTest, WorkedDocumentsToTheByte) {
  AttributeMap two;
  Attribute slots("SlotCount", "Slot Count", "uint32");
  slots.setUint32(4);
  two[slots.name()] = slots;
  Attribute label("Label", "Drive Label", "string");
  label.setDescription("User-visible label");
  label.setText("Data & Logs");
  two[label.name()] = label;
  const std::string expected =
      "<?xml version=\"1.0\" encoding=\"utf-8\"?><Object category=\"attributeList\">"
      "<Property category=\"attribute\" displayName=\"Slot Count\" name=\"SlotCount\" size=\"4\" "
      "type=\"uint32\" value=\"4\"/>"
      "<Property category=\"attribute\" description=\"User-visible label\" displayName=\"Drive "
      "Label\" name=\"Label\" size=\"12\" type=\"string\" value=\"Data &amp; Logs\"/></Object>";
  const std::string answer = fwprovider::answerDocument(two);
  EXPECT_EQ(answer, expected);
  EXPECT_EQ(answer.capacity(), answer.size()) << "the answer is sized once, exactly";
  std::string throughElements = "<?xml version=\"1.0\" encoding=\"utf-8\"?>";
  fromAttributeMap(two)->appendXml(throughElements);
  EXPECT_EQ(throughElements, expected) << "the element route writes what the answer writer does";

  const std::string empty = fwprovider::answerDocument(AttributeMap());
  EXPECT_EQ(
      empty,
      "<?xml version=\"1.0\" encoding=\"utf-8\"?><Object category=\"attributeList\"></Object>");
}

TEST(XmlConverterTest, PropertyWritesEmptyFieldsAndUnsetValues) {
  std::string text;
  fromAttribute(Attribute("", "", "uint32"))->appendXml(text);
  EXPECT_EQ(text,
            "<Property category=\"attribute\" displayName=\"\" name=\"\" size=\"0\" "
            "type=\"uint32\" value=\"0\"/>");
}

TEST(XmlConverterTest, ValuesReadByType) {
  const struct {
    std::string type, value;
    std::vector<uint8_t> bytes;
  } rows[] = {
      {"uint32", "305419896", {0x78, 0x56, 0x34, 0x12}},
      {"uint8", "256", {0}},
      {"sint16", "-2", {0xFE, 0xFF}},
      {"uint64", "65", {65, 0, 0, 0, 0, 0, 0, 0}},
      {"boolean", "TRUE", {1}},
      {"boolean", "1", {0}},
      {"bytepointer", "0A1B", {10, 27}},
      {"list_uint64", "0000", {0, 0}},
      {"hexValue", "0x1A2B", {0x1A, 0x2B}},
      {"hexValue", "0x0000", {0}},
      {"string", "&#65;&#x42;&lt;", {'A', 'B', '<', 0}},
      {"vectorOfStrings", "a~b", {'a', '~', 'b', 0}},
  };
  for (const auto& row : rows) {
    const auto attribute = readOne(row.type, row.value);
    ASSERT_TRUE(attribute) << row.type << " " << row.value;
    EXPECT_EQ(attribute->type(), row.type);
    EXPECT_EQ(bytesOf(*attribute), row.bytes) << row.type << " " << row.value;
  }
  for (const std::string type : {"uint128", "sint8", "ulong", "", "double", "String"}) {
    EXPECT_FALSE(readOne(type, "1")) << type;
  }
}

TEST(XmlConverterTest, ReaderSkipsWhatItDoesNotKnow) {
  const std::string document = object(
      property("category=\"Attribute\" name=\"Wrong\" type=\"string\" value=\"x\"") +
      property("name=\"NoCategory\" type=\"string\" value=\"x\"") +
      "<Other/><Message><Property category=\"attribute\" name=\"Nested\" "
      "type=\"string\"/></Message>"
      "<!-- note -->text" +
      property("category=\"attribute\" name=\"Kept\" description=\"d\" displayName=\"K\" "
               "type=\"string\" value=\"first\" size=\"99\"") +
      property("category=\"attribute\" name=\"Kept\" type=\"string\" value=\"second\"") +
      property("category=\"attribute\" name=\"Other\" type=\"string\" value=\"x\" value=\"y\""));
  auto map = toAttributeMap(*toXml(document));
  ASSERT_TRUE(map);
  EXPECT_EQ(map->size(), 2u);
  EXPECT_EQ((*map)["Kept"].valueText(), "second");
  EXPECT_EQ((*map)["Kept"].displayName(), "");  // the later Property wins whole
  EXPECT_EQ((*map)["Other"].valueText(), "y");  // and a repeated XML attribute its last value
}

TEST(XmlConverterTest, RootSelection) {
  const struct {
    std::string text;
    const char* root;  // null: no tree
    bool reported;
  } rows[] = {
      {"", nullptr, false},
      {"<!-- first --><Object/>", nullptr, false},
      {"<![CDATA[first]]><Object/>", "Object", false},
      {"<Drive/>", nullptr, false},
      {"<Object/><List/>", "Object", false},
      {"\xEF\xBB\xBF<?xml version=\"1.0\"?><!DOCTYPE x><Message/>", "Message", false},
      {"<Property a=\"1\"/>", "Property", false},
      {"hello", nullptr, true},
      {"<Object a=\"1></Object>", nullptr, true},
  };
  for (const auto& row : rows) {
    ReportCapture capture;
    const auto root = toXml(row.text);
    EXPECT_EQ(root ? root->name : "", row.root ? row.root : "") << row.text;
    if (row.reported) {
      ASSERT_EQ(capture.records().size(), 2u) << row.text;
      EXPECT_NE(capture.records()[0].message.find(
                    "toXml: Unable to convert the given xml string to an XmlElement"),
                std::string::npos);
      EXPECT_EQ(capture.records()[1].message.substr(capture.records()[1].message.find(": ") + 2),
                row.text);
    } else {
      EXPECT_TRUE(capture.records().empty()) << row.text;
    }
  }
}

TEST(XmlConverterTest, ListKeepsOnlyObjectsAndMessagesDescribeAttributes) {
  const auto list = toXml("<List><Object/><Property/><List/><Message/><Object a=\"b\"/></List>");
  ASSERT_TRUE(list);
  EXPECT_EQ(dynamic_cast<const XmlList&>(*list).items.size(), 2u);
  EXPECT_TRUE(toAttributeMap(*toXml("<Message/>")));
}

TEST(XmlConverterTest, AttributesCostTheSameOnOneElementAsSpreadOverMany) {
  // Stored one at a time in key order, each attribute shifts those after it, all of them when the
  // keys come in falling order, as here: the one element then costs hundreds of times what the
  // many cost; sorted, about as much. Processor time, not the clock's, so that other programs on
  // the machine do not count.
  constexpr size_t kAttributes = 1 << 16;
  const auto document = [](size_t elements) {
    std::string children;
    for (size_t e = 0; e < elements; ++e) {
      children += "<Property";
      for (size_t a = 0; a < kAttributes / elements; ++a) {
        children += " a" + std::to_string(999'999 - a) + "=\"" + std::to_string(e) + "\"";
      }
      children += "/>";
    }
    return object(children);
  };
  const auto secondsPerRead = [](const std::string& text) {
    return threadCpuSecondsPerCall([&] { EXPECT_EQ(toAttributeMap(*toXml(text))->size(), 0u); });
  };
  const double one = secondsPerRead(document(1));
  const double many = secondsPerRead(document(kAttributes / 8));
  EXPECT_LT(one, 20 * many) << one << " s on one element, " << many << " s on many";
}

TEST(XmlConverterTest, NestingBeyondTheLimitIsUnreadable) {
  const auto nested = [](size_t levels) {
    std::string text;
    for (size_t i = 0; i < levels; ++i) text += "<Object>";
    for (size_t i = 0; i < levels; ++i) text += "</Object>";
    return text;
  };
  EXPECT_TRUE(toXml(nested(256)));
  ReportCapture capture;
  EXPECT_FALSE(toXml(nested(257)));
  EXPECT_EQ(capture.records().size(), 2u);
}

TEST(XmlConverterTest, NestingHiddenFromTheDepthCheckIsCounted) {
  // The reader takes quotes and '=' into names and lets '>' stand inside a document type's
  // subset; read any other way, these hide the elements after them from the depth check.
  const struct {
    std::string text;
    size_t depth;
  } rows[] = {
      {"<a><b/><c></c></a>", 2},
      {"<a><!-- <b><b><b> --><![CDATA[<c><c>]]><?pi <d>?></a>", 1},
      {"<a x=\"<b>\" y='/>'><c/></a>", 1},
      {"<a><a><a>", 3},
      {"</a></a><b>", 1},
      {"<!DOCTYPE a><a/>", 0},
      {"<a\"><b><b><c\">", 4},
      {"<a=\"><b><b>", 3},
      {"<a b\"=\"x\"><c><c>", 3},
      {"<a b'=\"'\"><c><c>", 3},
      {"<!DOCTYPE d [ > <!-- ]><a><a><a> -->", 3},
      {"<!DOCTYPE d [ [ ] > ] ><a>", 1},
      {"<a x=1><b><b>", 1},
      {"<a x=\"1><b><b>", 1},
  };
  for (const auto& row : rows) EXPECT_EQ(nestingDepth(row.text), row.depth) << row.text;
}

}  // namespace
}  // namespace orv::core::xml::convert
