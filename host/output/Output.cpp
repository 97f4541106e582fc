#include "host/output/Output.h"

#include <iostream>

#include "host/error/HostError.h"
#include "host/platform/StandardStreams.h"

namespace fwhost {

void printJson(const nlohmann::ordered_json& document) {
  std::cout << document.dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace)
            << '\n';
}

void writeOutput(std::string_view bytes) {
  const std::string failure = flushStandardOutput(bytes);
  if (!failure.empty()) throw HostError::io("standard output", "cannot write: " + failure);
}

void printLine(const std::string& line) { writeOutput(line + '\n'); }

void checkOutput() { writeOutput({}); }

std::string fileLine(const std::string& path, uint64_t size, const std::string& sha256) {
  return path + "  " + std::to_string(size) + " bytes  sha256 " + sha256;
}

}  // namespace fwhost
