#include <unistd.h>

#include <cstdio>
#include <iostream>

#include "host/StdoutDiversion.h"

namespace fwhost {

StdoutDiversion::StdoutDiversion() {
  // Flush first so that nothing fwhost wrote earlier follows the diversion to stderr.
  std::cout.flush();
  std::fflush(stdout);
  savedStdout_ = ::dup(STDOUT_FILENO);
  if (savedStdout_ >= 0) ::dup2(STDERR_FILENO, STDOUT_FILENO);
}

StdoutDiversion::~StdoutDiversion() {
  if (savedStdout_ < 0) return;
  std::fflush(stdout);
  ::dup2(savedStdout_, STDOUT_FILENO);
  ::close(savedStdout_);
}

}  // namespace fwhost
