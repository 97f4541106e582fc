#include "host/plan/WriteDecision.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <iostream>
#include <iterator>
#include <system_error>

#include "host/error/HostError.h"
#include "host/platform/SafeWrite.h"

namespace fwhost {

namespace fs = std::filesystem;

std::string readInput(const std::string& path) {
  if (path == "-") {
    return {std::istreambuf_iterator<char>(std::cin), std::istreambuf_iterator<char>()};
  }
  // Texts inside fwhost are UTF-8, which a narrow path on Windows is not.
  const fs::path native = fs::u8path(path);
  if (fs::is_directory(native)) {
    throw HostError(ExitCode::input, path + ": is a directory, not a drive description");
  }
  std::ifstream file(native, std::ios::binary);
  if (!file) throw HostError(ExitCode::input, path + ": cannot read: " + std::strerror(errno));
  return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

bool isPlainFileName(const std::string& name) {
  return !name.empty() && name != "." && name != ".." &&
         name.find_first_of("/\\") == std::string::npos;
}

WriteStep decideWrite(const fs::path& path, std::string_view bytes, bool force) {
  const PathState state = inspectPath(path);
  if (state.kind == PathKind::missing) return WriteStep::write;
  if (state.kind != PathKind::regularFile) {
    throw HostError(ExitCode::input,
                    path.u8string() + ": is " + state.what + "; only a regular file is replaced");
  }
  if (holdsExactly(path, bytes)) return WriteStep::keep;
  if (!force) {
    throw HostError(ExitCode::input,
                    path.u8string() + ": exists with other content; use --force to replace it");
  }
  return WriteStep::write;
}

void prepareFolder(const fs::path& folder, bool make) {
  const PathState state = inspectPath(folder);
  if (state.kind == PathKind::directory) {
    if (!canCreateIn(folder))
      throw HostError(ExitCode::input,
                      folder.u8string() + ": cannot write in it: " + std::strerror(errno));
    return;
  }
  if (state.kind != PathKind::missing) {
    throw HostError(ExitCode::input, folder.u8string() + ": is " + state.what + ", not a folder");
  }
  fs::path existing = folder.parent_path();
  while (!existing.empty() && inspectPath(existing).kind == PathKind::missing)
    existing = existing.parent_path();
  if (existing.empty()) existing = ".";
  if (!fs::is_directory(existing)) {
    throw HostError(ExitCode::input, folder.u8string() + ": cannot be made: " + existing.u8string() +
                                         " is not a folder");
  }
  if (!canCreateIn(existing)) {
    throw HostError(ExitCode::input, folder.u8string() + ": cannot be made in " + existing.u8string() +
                                         ": " + std::strerror(errno));
  }
  std::error_code error;
  if (make && !fs::create_directories(folder, error) && error) {
    throw HostError(ExitCode::input, folder.u8string() + ": cannot be made: " + error.message());
  }
}

}  // namespace fwhost
