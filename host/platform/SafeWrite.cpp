#include "host/platform/SafeWrite.h"

#include <random>

#include "host/error/HostError.h"

namespace fwhost {

PathState refuseUnlessReplaceable(const std::filesystem::path& path) {
  const PathState state = inspectPath(path);
  if (state.kind != PathKind::missing && state.kind != PathKind::regularFile) {
    throw HostError::refusedTarget(path.u8string(),
                                   "is " + state.what + "; only a regular file is replaced");
  }
  return state;
}

std::filesystem::path temporaryBeside(const std::filesystem::path& path) {
  static std::mt19937_64 generator{std::random_device{}()};
  const char* const digits = "0123456789abcdef";
  std::string name = "." + path.filename().u8string() + ".";
  uint64_t bits = generator();
  for (int digit = 0; digit < 12; ++digit, bits >>= 4) name += digits[bits & 15];
  const std::filesystem::path folder = path.has_parent_path() ? path.parent_path() : ".";
  return folder / std::filesystem::u8path(name);
}

}  // namespace fwhost
