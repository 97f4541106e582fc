#include "provider/BufferProtocol.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace fwprovider {
namespace {

TEST(BufferProtocolTest, InputTextStopsAtTheFirstNulAndAtTheLength) {
  const char input[] = "abc\0def";
  EXPECT_EQ(takeInputText(input, 7), "abc");
  EXPECT_EQ(takeInputText(input, 2), "ab");
  EXPECT_EQ(takeInputText(input, 0), "");
  EXPECT_EQ(takeInputText(input + 3, 4), "");
}

TEST(BufferProtocolTest, TextProtocol) {
  const std::string text = "hello";  // needs 6
  const struct {
    uint32_t length;
    bool buffer;
    int32_t code;
    bool written;
  } rows[] = {
      {0, true, 37, false}, {5, true, 37, false},  {6, true, 0, true},
      {100, true, 0, true}, {6, false, 36, false}, {0, false, 37, false},
  };
  for (const auto& row : rows) {
    std::vector<char> buffer(8, '*');
    uint32_t length = row.length;
    const auto status = copyTextToBuffer(text, row.buffer ? buffer.data() : nullptr, &length);
    EXPECT_EQ(status.code(), row.code) << row.length;
    EXPECT_EQ(length, 6u);
    const std::string after(buffer.data(), buffer.size());
    EXPECT_EQ(after, row.written ? std::string("hello\0**", 8) : std::string(8, '*')) << row.length;
  }
}

TEST(BufferProtocolTest, BinaryProtocol) {
  const uint8_t image[] = {1, 2, 3, 4};
  const struct {
    const uint8_t* bytes;
    uint32_t size;
    uint32_t length;
    bool buffer;
    int32_t code;
    bool written;
  } rows[] = {
      {image, 4, 4, true, 0, true},    {image, 4, 3, true, 37, false},
      {image, 4, 0, false, 37, false}, {image, 4, 100, false, 36, false},
      {nullptr, 0, 8, true, 0, false}, {nullptr, 0, 8, false, 36, false},
  };
  for (const auto& row : rows) {
    std::vector<uint8_t> buffer(6, 0xEE);
    uint32_t length = row.length;
    const auto status =
        copyBinaryToBuffer(row.bytes, row.size, row.buffer ? buffer.data() : nullptr, &length);
    EXPECT_EQ(status.code(), row.code) << row.length;
    EXPECT_EQ(length, row.size);
    const std::vector<uint8_t> expected =
        row.written ? std::vector<uint8_t>{1, 2, 3, 4, 0xEE, 0xEE} : std::vector<uint8_t>(6, 0xEE);
    EXPECT_EQ(buffer, expected) << row.length;
  }
  EXPECT_EQ(copyBinaryToBuffer(image, 4, nullptr, nullptr).code(), 36);
}

}  // namespace
}  // namespace fwprovider
