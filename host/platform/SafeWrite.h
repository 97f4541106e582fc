// Files written whole or not at all, and what stands at a path before one is written there.
// Only regular files are created or replaced; a symbolic link at the end of a path is never
// followed. One twin per platform.
#ifndef FWHOST_PLATFORM_SAFEWRITE_H
#define FWHOST_PLATFORM_SAFEWRITE_H

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

namespace fwhost {

enum class PathKind { missing, regularFile, directory, other };

struct PathState {
  PathKind kind = PathKind::missing;
  std::string what;   // "a FIFO", "a symbolic link", ...: what other is, for messages
  uint64_t size = 0;  // of a regular file
};

// What path names, without following a symbolic link at its end; HostError (io) naming path
// when it cannot be looked at.
PathState inspectPath(const std::filesystem::path& path);

// True when path is a regular file that holds exactly bytes.
bool holdsExactly(const std::filesystem::path& path, std::string_view bytes);

// False when this process cannot create files in folder.
bool canCreateIn(const std::filesystem::path& folder);

// What path names; HostError (refusedTarget) naming path unless it is missing or a regular file.
PathState refuseUnlessReplaceable(const std::filesystem::path& path);

// A name for a temporary file in path's folder: ".NAME." and twelve random hex digits.
std::filesystem::path temporaryBeside(const std::filesystem::path& path);

// Writes bytes to an exclusive temporary file beside path, flushes it to the disk, renames it
// over path and flushes the folder. HostError naming path, never the temporary file:
// refusedTarget when path is not a regular file, io when any step fails. The temporary file
// outlives neither a failure nor SIGINT, SIGTERM or SIGHUP, after which the process ends by that
// signal.
void writeFileSafely(const std::filesystem::path& path, std::string_view bytes);

}  // namespace fwhost

#endif
