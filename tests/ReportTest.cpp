#include "orv/core/Report.h"

#include <gtest/gtest.h>
#include <boost/log/core.hpp>

#include "tests/ReportCapture.h"

namespace orv::core {
namespace {

TEST(ReportTest, PrefixReducesPathAndQualifiedName) {
  struct Row {
    const char* file;
    const char* function;
    std::string prefix;
  };
  const Row rows[] = {
      {"/src/orv/core/Payload.cpp", "orv::core::createBuffer", "Payload.cpp(7) createBuffer: "},
      {"C:\\build\\orv\\core\\Memory.cpp", "orv::core::memory::memCopy", "Memory.cpp(7) memCopy: "},
      {"mixed/dir\\XmlConverter.cpp", "toXml", "XmlConverter.cpp(7) toXml: "},
      {"Plain.cpp", "plain", "Plain.cpp(7) plain: "},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(reportPrefix({row.file, 7, row.function}), row.prefix);
  }
}

TEST(ReportTest, FatalIsLoggedAndEchoedErrorIsLoggedOnly) {
  const struct {
    void (*report)(const SourceLocation&, const std::string&);
    boost::log::trivial::severity_level severity;
    std::string echo;
  } rows[] = {
      {reportFatal, boost::log::trivial::fatal,
       "[fatal] F.cpp(12) f: first[fatal] F.cpp(13) f: second"},
      {reportError, boost::log::trivial::error, ""},
  };
  for (const auto& row : rows) {
    ReportCapture capture;
    row.report({"a/F.cpp", 12, "ns::f"}, "first");
    row.report({"a/F.cpp", 13, "ns::f"}, "second");
    EXPECT_EQ(capture.echo(), row.echo);
    ASSERT_EQ(capture.records().size(), 2u);
    EXPECT_EQ(capture.records()[0].severity, row.severity);
    EXPECT_EQ(capture.records()[1].message, "F.cpp(13) f: second");
  }
}

TEST(ReportTest, FatalEchoSurvivesDisabledLogging) {
  ReportCapture capture;
  boost::log::core::get()->set_logging_enabled(false);
  reportFatal({"F.cpp", 1, "f"}, "still here");
  boost::log::core::get()->set_logging_enabled(true);
  EXPECT_EQ(capture.echo(), "[fatal] F.cpp(1) f: still here");
  EXPECT_TRUE(capture.records().empty());
}

}  // namespace
}  // namespace orv::core
