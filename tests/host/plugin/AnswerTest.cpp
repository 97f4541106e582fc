// The plug-in's mapping answer as fwhost reads it back: whatever the plug-in hands over is
// checked before anything is named, fetched or written after it.
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "host/error/HostError.h"
#include "host/plugin/Answer.h"

namespace {

std::string update(const std::string& packages, const std::string& more = "") {
  return "<Object><Property name=\"Status\" value=\"65\"/><Property name=\"Package\" value=\"" +
         packages + "\"/>" + more + "</Object>";
}

TEST(AnswerTest, AnAnswerThatContradictsItselfIsInconsistent) {
  const fwhost::MappingAnswer answer = fwhost::readMappingAnswer(update("A~B"), "p.so");
  EXPECT_EQ(answer.verdict, fwhost::Verdict::updateAvailable);
  EXPECT_EQ(answer.packages, (std::vector<std::string>{"A", "B"}));
  const std::pair<std::string, std::string> rows[] = {
      {update("A~A"), "names package A twice"},
      {update("A&#10;B"), "package \"A\nB\" cannot be a file name"},
      {update(std::string(252, 'n')),
       "package \"" + std::string(252, 'n') + "\" cannot be a file name"},
      {update("A", "<Property name=\"Status\" value=\"64\"/>"), "gives Status twice"},
      {update(""), "an update without packages"},
      {"<Object><Property name=\"Status\" value=\"66\"/></Object>", "Status \"66\" is no verdict"},
  };
  for (const auto& [document, shown] : rows) {
    try {
      fwhost::readMappingAnswer(document, "p.so");
      ADD_FAILURE() << "accepted: " << shown;
    } catch (const fwhost::HostError& error) {
      EXPECT_EQ(error.kind(), fwhost::ErrorKind::inconsistentAnswer);
      EXPECT_EQ(error.what(), "p.so: answered inconsistently (" + shown + ")");
    }
  }
}

// A package is written as NAME.bin and listed on a line of SHA256SUMS, on Linux and Windows.
TEST(AnswerTest, APackageNameIsAFileNameOnEverySystem) {
  const std::string files[] = {"REV1", "a.b", "n\xc3\xa4", "-", std::string(251, 'n')};
  for (const std::string& name : files) EXPECT_TRUE(fwhost::isPackageName(name)) << name;
  const std::string refused[] = {
      "",   ".",  "..",    "a.",  "a ",  "a/b",  "a\\b",  "C:",
      "a*", "a?", "\"a\"", "<a>", "a|b", "a\tb", "a\x7f", std::string(252, 'n')};
  for (const std::string& name : refused) EXPECT_FALSE(fwhost::isPackageName(name)) << name;
}

}  // namespace
