#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <iostream>

#include "host/platform/StandardStreams.h"
#include "host/platform/SystemError.h"

namespace fwhost {

void reserveStandardStreams() {
  for (int fd = STDIN_FILENO; fd <= STDERR_FILENO; ++fd) {
    // Opened read-only, so that writes to a closed stdout or stderr fail with EBADF.
    if (::fcntl(fd, F_GETFD) < 0) ::open("/dev/null", O_RDONLY);
  }
}

bool standardOutputIsTerminal() { return ::isatty(STDOUT_FILENO) == 1; }

std::string flushStandardOutput(std::string_view bytes) {
  errno = 0;
  std::cout.flush();
  const bool written =
      bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), stdout) == bytes.size();
  if (written && std::fflush(stdout) == 0 && !std::ferror(stdout) && std::cout) return {};
  return errno != 0 ? lastSystemError() : "write failed";
}

}  // namespace fwhost
