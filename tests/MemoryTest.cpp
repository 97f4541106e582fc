#include "orv/core/Memory.h"

#include <array>
#include <regex>

#include <gtest/gtest.h>

#include "tests/ReportCapture.h"

namespace orv::core::memory {
namespace {

TEST(MemoryTest, MemCopyKeepsTheBoundedCopyRules) {
  enum Pointer { kNull, kReal };
  struct Row {
    const char* name;
    Pointer destination;
    uint64_t destinationSize;
    Pointer source;
    uint64_t sourceSize;
    int32_t result;
    const char* destinationAfter;  // the 8 destination bytes afterwards
    const char* echo;
  };
  const Row rows[] = {
      {"equal sizes copy", kReal, 8, kReal, 8, 0, "ABCDEFGH", ""},
      {"smaller source copies", kReal, 8, kReal, 3, 0, "ABC*****", ""},
      {"larger source clears", kReal, 4, kReal, 5, 34, "\0\0\0\0****",
       "[fatal] Memory.cpp(N) memCopy: Invalid call to memCopy: source size (5) is greater "
       "than destination size (4)"},
      {"nothing to copy", kNull, 0, kNull, 0, 0, "********", ""},
      {"nothing to copy from null into real", kReal, 8, kNull, 0, 0, "********", ""},
      {"null source clears", kReal, 8, kNull, 8, 22, "\0\0\0\0\0\0\0\0", ""},
      {"null destination", kNull, 8, kReal, 4, 22, "********", ""},
      {"null destination, source larger", kNull, 2, kReal, 4, 22, "********",
       "[fatal] Memory.cpp(N) memCopy: Invalid call to memCopy: source size (4) is greater "
       "than destination size (2)"},
  };
  const char source[] = "ABCDEFGH";
  for (const Row& row : rows) {
    ReportCapture capture;
    std::array<char, 8> destination;
    destination.fill('*');
    const int32_t result =
        memCopy(row.destination == kReal ? destination.data() : nullptr, row.destinationSize,
                row.source == kReal ? source : nullptr, row.sourceSize);
    EXPECT_EQ(result, row.result) << row.name;
    EXPECT_EQ(std::string(destination.data(), 8), std::string(row.destinationAfter, 8)) << row.name;
    // The line number belongs to the reporting statement, not to what is reported.
    const std::regex line(R"(\.cpp\(\d+\))");
    EXPECT_EQ(std::regex_replace(capture.echo(), line, ".cpp(N)"), row.echo) << row.name;
  }
}

}  // namespace
}  // namespace orv::core::memory
