#include <unistd.h>

#include <cerrno>
#include <string>

#include "host/platform/PipeIo.h"

namespace fwhost {

bool readFully(SystemHandle::Native pipe, char* bytes, size_t size) {
  while (size > 0) {
    const ssize_t got = ::read(pipe, bytes, size);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) return false;
    bytes += got;
    size -= static_cast<size_t>(got);
  }
  return true;
}

bool writeFully(SystemHandle::Native pipe, const char* bytes, size_t size) {
  while (size > 0) {
    const ssize_t put = ::write(pipe, bytes, size);
    if (put < 0 && errno == EINTR) continue;
    if (put <= 0) return false;
    bytes += put;
    size -= static_cast<size_t>(put);
  }
  return true;
}

SystemHandle::Native handleFromText(const std::string& text) {
  try {
    return std::stoi(text);
  } catch (const std::exception&) {
    return -1;
  }
}

std::string handleText(SystemHandle::Native handle) { return std::to_string(handle); }

}  // namespace fwhost
