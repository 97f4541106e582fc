#include <sys/mman.h>
#include <unistd.h>

#include "host/platform/TemporaryFile.h"

namespace fwhost {

// In memory: no file system needs to be writable, whatever TMPDIR says.
std::FILE* openTemporaryFile() {
  const int fd = ::memfd_create("fwhost-plugin-log", MFD_CLOEXEC);
  if (fd < 0) return nullptr;
  std::FILE* stream = ::fdopen(fd, "w+");
  if (stream == nullptr) ::close(fd);
  return stream;
}

}  // namespace fwhost
