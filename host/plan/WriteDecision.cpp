#include "host/plan/WriteDecision.h"

#include <cerrno>
#include <cstring>
#include <system_error>

#include "host/drive/DriveInput.h"
#include "host/error/HostError.h"

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

std::string readDocument(const Folder& folder, const std::string& name) {
  std::string text;
  folder.read(name, [&](std::string_view piece) {
    if (text.size() + piece.size() > kMaxDocumentBytes)
      throw documentTooLarge(folder.pathOf(name).u8string());
    text += piece;
  });
  return text;
}

}  // namespace fwhost
