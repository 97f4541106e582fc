#include "host/output/Output.h"

#include <iostream>

#include "host/error/HostError.h"
#include "host/output/TerminalText.h"
#include "host/platform/StandardStreams.h"

namespace fwhost {

void writeOutput(std::string_view bytes) {
  const std::string failure = flushStandardOutput(bytes);
  if (!failure.empty()) throw HostError::io("standard output", "cannot write: " + failure);
}

void checkOutput() { writeOutput({}); }

std::string safeLines(std::string_view text) {
  std::string safe;
  for (size_t start = 0; start < text.size();) {
    const size_t end = std::min(text.find('\n', start), text.size());
    safe += terminalSafe(text.substr(start, end - start)) + '\n';
    start = end + 1;
  }
  return safe;
}

void printError(const std::string& text) { std::cerr << "fwhost: " << terminalSafe(text) << '\n'; }

}  // namespace fwhost
