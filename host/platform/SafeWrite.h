// Files written whole or not at all, each in a folder that is held open while fwhost works in
// it: every file is named relative to the open folder, so a folder of its path renamed or
// swapped for a link meanwhile redirects nothing. Only regular files are created or replaced,
// and a symbolic link is never followed. One twin per platform.
#ifndef FWHOST_PLATFORM_SAFEWRITE_H
#define FWHOST_PLATFORM_SAFEWRITE_H

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

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

// False, with the system's error left for lastSystemError, when this process cannot create
// files in folder.
bool canCreateIn(const std::filesystem::path& folder);

// The folder that holds path as path names it; empty for a root, a drive's or a share's.
std::filesystem::path folderAbove(const std::filesystem::path& path);

// folder / name with the platform's own separator throughout, as fwhost prints a path it joins.
std::filesystem::path joinedPath(const std::filesystem::path& folder, const std::string& name);

// HostError (refusedTarget) naming path unless state is that of a missing or a regular file.
void refuseUnlessReplaceable(const PathState& state, const std::filesystem::path& path);

// ".fwhost-" and twelve random hex digits: one length for every temporary file, so that any
// name a file can have, its temporary file can have too, and a rerun knows fwhost's own.
std::string temporaryName();
bool isTemporaryName(std::string_view name);
// Starts temporaryName's sequence again from seed, so that a test knows the names to come.
void seedTemporaryNames(uint64_t seed);

// A folder held open; owns its handle, and the lock when taken.
class Folder {
 public:
  // The folder at path, opened once: a symbolic link there is refused, the folders above it
  // are followed as the path names them. Made first, with its missing parents, when make.
  // HostError naming path: refusedTarget when something else stands there, io otherwise.
  static Folder open(const std::filesystem::path& path, bool make);
  // The folder that holds file, as file's path names it, links and all.
  static Folder holding(const std::filesystem::path& file);
  // The folder name inside this one, opened as open opens one.
  Folder inside(const std::string& name, bool make) const;

  Folder(Folder&&) noexcept;
  Folder& operator=(Folder&&) noexcept;
  ~Folder();

  const std::filesystem::path& path() const;
  // path() / name, for messages.
  std::filesystem::path pathOf(const std::string& name) const;

  // Keeps every other fwhost from writing here until this object goes; HostError
  // (refusedTarget) when another is writing here now.
  void lock();
  // Removes what a killed fwhost left of its temporary files here; only while locked, when
  // none can be another's work in progress.
  void removeStaleTemporaries() const;

  // The names of what is in it; HostError (io) when it cannot be listed.
  std::vector<std::string> names() const;
  PathState inspect(const std::string& name) const;
  bool canCreate() const;

  // Hands the bytes of the regular file name to take, piece by piece, in order; HostError
  // (io) naming the file when it cannot be read or is no regular file.
  void read(const std::string& name, const std::function<void(std::string_view)>& take) const;
  // True when name is a regular file that holds exactly bytes.
  bool holdsExactly(const std::string& name, std::string_view bytes) const;

  // Writes bytes to an exclusive temporary file here, flushes it to the disk, renames it over
  // name and flushes the folder. HostError naming the file, never the temporary one:
  // refusedTarget when name is not a regular file, io when any step fails (a file-size limit
  // too: SIGXFSZ is ignored, so that the write fails instead). The temporary file outlives
  // neither a failure nor SIGINT, SIGTERM or SIGHUP, after which the process ends by that signal.
  void write(const std::string& name, std::string_view bytes) const;
  // Removes the file name when it is there; HostError (io) when it cannot.
  void remove(const std::string& name) const;

 private:
  struct State;
  explicit Folder(std::unique_ptr<State> state);
  std::unique_ptr<State> state_;
};

}  // namespace fwhost

#endif
