#include <unistd.h>

#include <cstdio>
#include <iostream>

#include "host/platform/StdoutCapture.h"

namespace fwhost {

StdoutCapture::StdoutCapture(std::FILE* into) {
  // Flush first so that nothing fwhost wrote earlier follows the capture into the file.
  std::cout.flush();
  std::fflush(stdout);
  std::fflush(into);
  savedStdout_ = ::dup(STDOUT_FILENO);
  if (savedStdout_ >= 0) ::dup2(::fileno(into), STDOUT_FILENO);
}

StdoutCapture::~StdoutCapture() {
  if (savedStdout_ < 0) return;
  // Whatever the plug-in left in the stdio buffers belongs to the file, not to fwhost's output.
  std::cout.flush();
  std::fflush(stdout);
  ::dup2(savedStdout_, STDOUT_FILENO);
  ::close(savedStdout_);
}

}  // namespace fwhost
