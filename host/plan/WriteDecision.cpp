#include "host/plan/WriteDecision.h"

#include "host/error/HostError.h"
#include "host/platform/SystemError.h"

namespace fwhost {

namespace fs = std::filesystem;

WriteStep decideWrite(const Folder& folder, const std::string& name, std::string_view bytes,
                      OtherBytes otherBytes) {
  const PathState state = folder.inspect(name);
  refuseUnlessReplaceable(state, folder.pathOf(name));
  if (state.kind == PathKind::missing) return WriteStep::write;
  if (folder.holdsExactly(name, bytes)) return WriteStep::keep;
  if (otherBytes == OtherBytes::refuse) {
    throw HostError::refusedTarget(folder.pathOf(name).u8string(),
                                   "exists with other content; use --force to replace it");
  }
  return WriteStep::write;
}

void checkFolder(const fs::path& folder) {
  const PathState state = inspectPath(folder);
  if (state.kind == PathKind::directory) {
    if (!canCreateIn(folder))
      throw HostError::io(folder.u8string(), "cannot write in it: " + lastSystemError());
    return;
  }
  if (state.kind != PathKind::missing) {
    throw HostError::refusedTarget(folder.u8string(), "is " + state.what + ", not a folder");
  }
  // Up to the first that is there; a missing drive or share ends at its root.
  fs::path existing = folder;
  do {
    const fs::path above = folderAbove(existing);
    if (above.empty() && existing.has_root_path()) {
      throw HostError::io(folder.u8string(),
                          "cannot be made: " + existing.u8string() + " is not there");
    }
    existing = above;
  } while (!existing.empty() && inspectPath(existing).kind == PathKind::missing);
  if (existing.empty()) existing = ".";
  if (inspectPath(existing).kind != PathKind::directory) {
    throw HostError::refusedTarget(folder.u8string(),
                                   "cannot be made: " + existing.u8string() + " is not a folder");
  }
  if (!canCreateIn(existing)) {
    throw HostError::io(folder.u8string(),
                        "cannot be made in " + existing.u8string() + ": " + lastSystemError());
  }
}

}  // namespace fwhost
