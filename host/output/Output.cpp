#include "host/output/Output.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <iostream>

#include "host/error/HostError.h"

namespace fwhost {
namespace {

HostError outputFailure(int error) {
  return HostError::io("standard output", std::string("cannot write: ") +
                                              (error != 0 ? std::strerror(error) : "write failed"));
}

}  // namespace

void printJson(const nlohmann::ordered_json& document) {
  std::cout << document.dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace)
            << '\n';
}

void writeOutput(std::string_view bytes) {
  std::cout.flush();
  errno = 0;
  if (std::fwrite(bytes.data(), 1, bytes.size(), stdout) != bytes.size() ||
      std::fflush(stdout) != 0) {
    throw outputFailure(errno);
  }
}

void printLine(const std::string& line) { writeOutput(line + '\n'); }

void checkOutput() {
  errno = 0;
  if (std::fflush(stdout) != 0 || std::ferror(stdout) || !std::cout) throw outputFailure(errno);
}

std::string fileLine(const std::string& path, uint64_t size, const std::string& sha256) {
  return path + "  " + std::to_string(size) + " bytes  sha256 " + sha256;
}

}  // namespace fwhost
