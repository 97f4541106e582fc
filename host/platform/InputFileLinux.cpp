#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "host/error/HostError.h"
#include "host/platform/InputFile.h"
#include "host/platform/SystemError.h"

namespace fwhost {

InputFile::InputFile(const std::filesystem::path& path)
    : name_(path.u8string()),
      owned_(::open(path.c_str(), O_RDONLY | O_CLOEXEC)),
      handle_(owned_.get()) {
  if (!owned_.valid()) throw HostError::io(name_, "cannot read: " + lastSystemError());
}

InputFile::InputFile() : name_("standard input"), handle_(STDIN_FILENO) {}

size_t InputFile::read(char* buffer, size_t size) {
  ssize_t got;
  do {
    got = ::read(handle_, buffer, size);
  } while (got < 0 && errno == EINTR);
  if (got < 0) throw HostError::io(name_, "cannot read: " + lastSystemError());
  return static_cast<size_t>(got);
}

bool InputFile::openToOthers() const {
  if (!owned_.valid()) return false;
  struct stat state {};
  if (::fstat(handle_, &state) != 0)
    throw HostError::io(name_, "cannot look at: " + lastSystemError());
  return (state.st_mode & (S_IRWXG | S_IRWXO)) != 0;
}

}  // namespace fwhost
