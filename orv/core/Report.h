// The fault-report channel: records on the process-wide trivial logger, fatal ones echoed on
// stderr.
#ifndef ORV_CORE_REPORT_H
#define ORV_CORE_REPORT_H

#include <string>

namespace orv::core {

// Where a report was made; the strings are the compiler's own literals and outlive the report.
struct SourceLocation {
  const char* file;
  int line;
  const char* function;
};

// "file(line) function: " with the file reduced to its name and the function to its last component.
std::string reportPrefix(const SourceLocation& location);

// Logs at severity fatal, then writes "[fatal] " + prefix + message to std::cerr, unterminated.
void reportFatal(const SourceLocation& location, const std::string& message);

// Logs at severity error; nothing on stderr.
void reportError(const SourceLocation& location, const std::string& message);

}  // namespace orv::core

#define ORV_HERE (::orv::core::SourceLocation{__FILE__, __LINE__, __func__})

#endif
