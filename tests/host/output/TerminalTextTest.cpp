// What fwhost prints for people can neither drive a terminal nor reorder a line.
#include <string>
#include <utility>

#include <gtest/gtest.h>

#include "host/output/Table.h"
#include "host/output/TerminalText.h"

namespace {

TEST(TerminalTextTest, ControlsAndBrokenUtf8AreWrittenVisiblyLettersKept) {
  const std::pair<std::string, const char*> rows[] = {
      {"\x1b[2J\a\t\n\r", "\\x1b[2J\\x07\\x09\\x0a\\x0d"},
      {std::string("a\0b\x7f", 4), "a\\x00b\\x7f"},
      {"\x9b"
       "31m\x85",
       "\\x9b31m\\x85"},
      {"\xc2\x80\xc2\x9b\xc2\x9f", "\\u0080\\u009b\\u009f"},
      {"\xe2\x80\xaa\xe2\x80\xae\xe2\x81\xa6\xe2\x81\xa9", "\\u202a\\u202e\\u2066\\u2069"},
      {"\xd8\x9c\xe2\x80\x8e\xe2\x80\x8f", "\\u061c\\u200e\\u200f"},
      {"\xc0\xaf\xe0\x80\xaf", "\\xc0\\xaf\\xe0\\x80\\xaf"},
      {"\xed\xa0\x80\xf4\x90\x80\x80", "\\xed\\xa0\\x80\\xf4\\x90\\x80\\x80"},
      {"a\xe6\xb5", "a\\xe6\\xb5"},
      {"\xe6\xb5\x8b\xff", "\xe6\xb5\x8b\\xff"},
      {"Gr\xc3\xbc\xc3\x9f \xc2\xa0\xe2\x80\xaf\xe2\x81\xaa \xf0\x9f\x98\x80",
       "Gr\xc3\xbc\xc3\x9f \xc2\xa0\xe2\x80\xaf\xe2\x81\xaa \xf0\x9f\x98\x80"},
  };
  for (const auto& [text, safe] : rows) EXPECT_EQ(fwhost::terminalSafe(text), safe) << safe;
}

// Columns line up as printed: a cell is measured once escaped.
TEST(TerminalTextTest, ATableAlignsItsEscapedCells) {
  EXPECT_EQ(fwhost::tableText({"NAME", "SIZE", "SHA"}, {{"a\x1b", "1", "x"}, {"long name", ""}}),
            "NAME       SIZE  SHA\n"
            "a\\x1b      1     x\n"
            "long name  \n");
}

}  // namespace
