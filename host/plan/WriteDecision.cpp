#include "host/plan/WriteDecision.h"

#include <cerrno>
#include <cstring>
#include <system_error>

#include "host/error/HostError.h"
#include "host/platform/SafeWrite.h"

namespace fwhost {

namespace fs = std::filesystem;

bool isPlainFileName(const std::string& name) {
  return !name.empty() && name != "." && name != ".." &&
         name.find_first_of("/\\") == std::string::npos;
}

WriteStep decideWrite(const fs::path& path, std::string_view bytes, OtherBytes otherBytes) {
  if (refuseUnlessReplaceable(path).kind == PathKind::missing) return WriteStep::write;
  if (holdsExactly(path, bytes)) return WriteStep::keep;
  if (otherBytes == OtherBytes::refuse) {
    throw HostError::refusedTarget(path.u8string(),
                                   "exists with other content; use --force to replace it");
  }
  return WriteStep::write;
}

void checkFolder(const fs::path& folder) {
  const PathState state = inspectPath(folder);
  if (state.kind == PathKind::directory) {
    if (!canCreateIn(folder))
      throw HostError::io(folder.u8string(),
                          std::string("cannot write in it: ") + std::strerror(errno));
    return;
  }
  if (state.kind != PathKind::missing) {
    throw HostError::refusedTarget(folder.u8string(), "is " + state.what + ", not a folder");
  }
  fs::path existing = folder.parent_path();
  while (!existing.empty() && inspectPath(existing).kind == PathKind::missing)
    existing = existing.parent_path();
  if (existing.empty()) existing = ".";
  std::error_code error;
  if (!fs::is_directory(existing, error)) {
    throw HostError::refusedTarget(folder.u8string(),
                                   "cannot be made: " + existing.u8string() + " is not a folder");
  }
  if (!canCreateIn(existing)) {
    throw HostError::io(folder.u8string(),
                        "cannot be made in " + existing.u8string() + ": " + std::strerror(errno));
  }
}

void makeFolder(const fs::path& folder) {
  checkFolder(folder);
  std::error_code error;
  if (!fs::create_directories(folder, error) && error) {
    throw HostError::io(folder.u8string(), "cannot be made: " + error.message());
  }
}

}  // namespace fwhost
