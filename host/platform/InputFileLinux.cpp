#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "host/error/HostError.h"
#include "host/platform/InputFile.h"
#include "host/platform/SystemError.h"

namespace fwhost {

InputFile::InputFile(const std::filesystem::path& path)
    : path_(path), handle_(::open(path.c_str(), O_RDONLY | O_CLOEXEC)) {
  if (handle_ < 0) throw HostError::io(path_.u8string(), "cannot read: " + lastSystemError());
}

InputFile::~InputFile() { ::close(static_cast<int>(handle_)); }

size_t InputFile::read(char* buffer, size_t size) {
  ssize_t got;
  do {
    got = ::read(static_cast<int>(handle_), buffer, size);
  } while (got < 0 && errno == EINTR);
  if (got < 0) throw HostError::io(path_.u8string(), "cannot read: " + lastSystemError());
  return static_cast<size_t>(got);
}

}  // namespace fwhost
