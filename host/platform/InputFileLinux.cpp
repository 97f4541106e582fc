#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "host/error/HostError.h"
#include "host/platform/InputFile.h"
#include "host/platform/SystemError.h"

namespace fwhost {

InputFile::InputFile(const std::filesystem::path& path)
    : name_(path.u8string()), handle_(::open(path.c_str(), O_RDONLY | O_CLOEXEC)), owned_(true) {
  if (handle_ < 0) throw HostError::io(name_, "cannot read: " + lastSystemError());
}

InputFile::InputFile() : name_("standard input"), handle_(STDIN_FILENO), owned_(false) {}

InputFile::~InputFile() {
  if (owned_) ::close(static_cast<int>(handle_));
}

size_t InputFile::read(char* buffer, size_t size) {
  ssize_t got;
  do {
    got = ::read(static_cast<int>(handle_), buffer, size);
  } while (got < 0 && errno == EINTR);
  if (got < 0) throw HostError::io(name_, "cannot read: " + lastSystemError());
  return static_cast<size_t>(got);
}

}  // namespace fwhost
