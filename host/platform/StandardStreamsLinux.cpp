#include <fcntl.h>
#include <unistd.h>

#include "host/platform/StandardStreams.h"

namespace fwhost {

void reserveStandardStreams() {
  for (int fd = STDIN_FILENO; fd <= STDERR_FILENO; ++fd) {
    // Opened read-only, so that writes to a closed stdout or stderr fail with EBADF.
    if (::fcntl(fd, F_GETFD) < 0) ::open("/dev/null", O_RDONLY);
  }
}

bool standardOutputIsTerminal() { return ::isatty(STDOUT_FILENO) == 1; }

}  // namespace fwhost
