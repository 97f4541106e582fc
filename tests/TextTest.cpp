#include "orv/core/Text.h"

#include <gtest/gtest.h>

namespace orv::core {
namespace {

using Pieces = std::vector<std::string>;

TEST(TextTest, CaseInsensitiveComparisons) {
  EXPECT_FALSE(equalsText("ModelNumber", "MODELNUMBER", false));
  EXPECT_FALSE(equalsText("Model", "ModelNumber", true));
  EXPECT_FALSE(equalsText("\xE9", "\xC9", true));  // only ASCII letters fold

  EXPECT_TRUE(containsIgnoringCase("anything", ""));
  EXPECT_TRUE(containsIgnoringCase("", ""));
  EXPECT_FALSE(containsIgnoringCase("bo ot", "boot"));

  EXPECT_FALSE(startsWithIgnoringCase("ab", "abc"));
  EXPECT_TRUE(startsWithIgnoringCase("", ""));
  EXPECT_TRUE(startsWithIgnoringCase("ABCdef", "abc"));
}

TEST(TextTest, ReplaceAllSearchesOnAfterTheReplacement) {
  struct Row {
    std::string text, pattern, replacement, expected;
  };
  const Row rows[] = {
      {"0x0x12", "0x", "", "12"},
      {"aaa", "a", "aa", "aaaaaa"},
      {"abc", "z", "y", "abc"},
      {"", "x", "y", ""},
  };
  for (Row row : rows) {
    replaceAll(row.text, row.pattern, row.replacement);
    EXPECT_EQ(row.text, row.expected) << row.pattern;
  }
}

TEST(TextTest, SplitKeepsEmptyPieces) {
  EXPECT_EQ(splitText("a~~b", "~"), (Pieces{"a", "", "b"}));
  EXPECT_EQ(splitText("~", "~"), (Pieces{"", ""}));
  EXPECT_EQ(splitText("", "~"), (Pieces{""}));
  EXPECT_EQ(splitText("a,b;c", ",;"), (Pieces{"a", "b", "c"}));
  EXPECT_EQ(splitText("a~b", ""), (Pieces{"a~b"}));
}

TEST(TextTest, Classifiers) {
  const struct {
    std::string text;
    bool decimal, hex;
  } rows[] = {
      {"", false, true},      {"0x", false, true},  {"0X1F", false, true}, {"beef", false, true},
      {"0xG1", false, false}, {"123", true, true},  {"12a", false, true},  {"-1", false, false},
      {" 7", false, false},   {"x1", false, false},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(isDecimalText(row.text), row.decimal) << row.text;
    EXPECT_EQ(isHexText(row.text), row.hex) << row.text;
  }
}

TEST(TextTest, NumberReaders) {
  const struct {
    std::string text;
    uint64_t number;
  } rows[] = {
      {"255", 255},
      {"0xff", 255},
      {"ff", 255},
      {"+7", 7},
      {"  7", 7},
      {"-1", UINT64_MAX},
      {"42abc", 0x42abc},
      {"42xyz", 42},
      {"-2x", UINT64_MAX - 1},
      {"99999999999999999999", 9223372036854775807ull},
      {"", 0},
      {"   ", 0},
  };
  for (const auto& row : rows) EXPECT_EQ(textToNumber(row.text), row.number) << row.text;

  EXPECT_EQ(hexTextToNumber("0X1a"), 26u);
  EXPECT_EQ(hexTextToNumber(" 1z"), 1u);
  EXPECT_EQ(hexTextToNumber("zz"), 0u);
  EXPECT_EQ(hexTextToNumber("FFFFFFFFFFFFFFFFFF"), UINT64_MAX);
  EXPECT_EQ(hexTextToNumber(""), 0u);
}

TEST(TextTest, HexTextToBytes) {
  const struct {
    std::string text, prefix;
    std::vector<uint8_t> bytes;
  } rows[] = {
      {"00AB10", "", {0x00, 0xAB, 0x10}},
      {"0x0102", "0x", {0x01, 0x02}},
      {"0x0x0102", "0x", {0x01, 0x02}},
      {"ABC", "", {}},
      {"", "", {}},
      {"zz1z", "", {0x00, 0x01}},
      {"ff", "", {0xFF}},
  };
  for (const auto& row : rows) {
    const Payload payload = hexTextToBytes(row.text, row.prefix);
    ASSERT_EQ(payload.size(), row.bytes.size()) << row.text;
    for (uint32_t i = 0; i < payload.size(); ++i)
      EXPECT_EQ(payload.at(i), row.bytes[i]) << row.text;
  }
}

}  // namespace
}  // namespace orv::core
