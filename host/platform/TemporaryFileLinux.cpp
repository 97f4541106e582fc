#include <sys/mman.h>

#include "host/platform/SystemHandle.h"
#include "host/platform/TemporaryFile.h"

namespace fwhost {

// In memory: no file system needs to be writable, whatever TMPDIR says.
std::FILE* openTemporaryFile() {
  SystemHandle file(::memfd_create("fwhost-plugin-log", MFD_CLOEXEC));
  if (!file.valid()) return nullptr;
  std::FILE* stream = ::fdopen(file.get(), "w+");
  if (stream != nullptr) file.release();  // the stream closes it
  return stream;
}

}  // namespace fwhost
