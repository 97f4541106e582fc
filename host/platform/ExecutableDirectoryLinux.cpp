#include <system_error>

#include "host/platform/ExecutableDirectory.h"

namespace fwhost {

std::filesystem::path executableDirectory() {
  std::error_code error;
  const auto executable = std::filesystem::read_symlink("/proc/self/exe", error);
  return error ? std::filesystem::path() : executable.parent_path();
}

}  // namespace fwhost
