#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <utility>

#include "host/error/HostError.h"
#include "host/platform/SafeWrite.h"
#include "host/platform/SystemError.h"
#include "host/platform/SystemHandle.h"

namespace fwhost {
namespace {

namespace fs = std::filesystem;

const int kSignals[] = {SIGINT, SIGTERM, SIGHUP};

// The temporary file being written, for the signal handler, which may only read plain memory.
int pendingFolder = -1;
char pendingName[64];
volatile sig_atomic_t pending = 0;

extern "C" void removePendingAndEnd(int signal) {
  if (pending) ::unlinkat(pendingFolder, pendingName, 0);
  // SA_RESETHAND has put the default action back: the raised signal ends the process, with the
  // status a shell reports as 128 + signal, once this handler returns.
  ::raise(signal);
}

void installHandlers() {
  static bool installed = false;
  if (installed) return;
  installed = true;
  // Past a file-size limit (ulimit -f) the write then fails with EFBIG, and the error path runs
  // (its message, the temporary file removed) instead of the process ending by SIGXFSZ.
  ::signal(SIGXFSZ, SIG_IGN);
  for (int signal : kSignals) {
    struct sigaction current {};
    ::sigaction(signal, nullptr, &current);
    if (current.sa_handler == SIG_IGN) continue;  // nohup and the like asked for that
    struct sigaction action {};
    action.sa_handler = removePendingAndEnd;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESETHAND;
    ::sigaction(signal, &action, nullptr);
  }
}

// Holds the three signals back while alive, so that the handler never sees a name half set.
class SignalsHeld {
 public:
  SignalsHeld() {
    sigset_t held;
    sigemptyset(&held);
    for (int signal : kSignals) sigaddset(&held, signal);
    ::sigprocmask(SIG_BLOCK, &held, &saved_);
  }
  ~SignalsHeld() { ::sigprocmask(SIG_SETMASK, &saved_, nullptr); }
  SignalsHeld(const SignalsHeld&) = delete;
  SignalsHeld& operator=(const SignalsHeld&) = delete;

 private:
  sigset_t saved_;
};

// Captures errno, so call it before anything that may change errno.
HostError failure(const fs::path& path, const std::string& doing) {
  return HostError::io(path.u8string(), doing + ": " + lastSystemError());
}

const char* describe(mode_t mode) {
  if (S_ISLNK(mode)) return "a symbolic link";
  if (S_ISFIFO(mode)) return "a FIFO";
  if (S_ISCHR(mode)) return "a character device";
  if (S_ISBLK(mode)) return "a block device";
  if (S_ISSOCK(mode)) return "a socket";
  if (S_ISDIR(mode)) return "a directory";
  return "not a regular file";
}

PathState stateOf(const struct stat& info) {
  if (S_ISREG(info.st_mode))
    return {PathKind::regularFile, "a regular file", static_cast<uint64_t>(info.st_size)};
  return {S_ISDIR(info.st_mode) ? PathKind::directory : PathKind::other, describe(info.st_mode), 0};
}

PathState inspectAt(int folder, const char* name, const fs::path& path) {
  struct stat info {};
  if (::fstatat(folder, name, &info, AT_SYMLINK_NOFOLLOW) != 0) {
    if (errno == ENOENT) return {};
    throw failure(path, "cannot look at it");
  }
  return stateOf(info);
}

// The folder name in parent (AT_FDCWD: path as given), never followed when it is a link
// unless follow is 0.
SystemHandle openFolderAt(int parent, const char* name, const fs::path& path,
                          int follow = O_NOFOLLOW) {
  SystemHandle folder(::openat(parent, name, O_RDONLY | O_DIRECTORY | follow | O_CLOEXEC));
  if (folder.valid()) return folder;
  if (errno != ELOOP && errno != ENOTDIR) throw failure(path, "cannot open it");
  throw HostError::refusedTarget(path.u8string(),
                                 "is " + inspectAt(parent, name, path).what + ", not a folder");
}

void writeAll(int fd, std::string_view bytes, const fs::path& path) {
  while (!bytes.empty()) {
    const ssize_t written = ::write(fd, bytes.data(), bytes.size());
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) throw failure(path, "cannot write");
    bytes.remove_prefix(static_cast<size_t>(written));
  }
}

// A new file of a temporary name in folder, that the signal handler removes until it is
// renamed; never one that was there before, nor one a link points to.
SystemHandle createTemporary(int folder, const fs::path& path, std::string& temporary) {
  const SignalsHeld held;
  for (int attempt = 0; attempt < 100; ++attempt) {
    temporary = temporaryName();
    SystemHandle file(::openat(folder, temporary.c_str(),
                               O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666));
    if (!file.valid() && errno == EEXIST) continue;
    if (!file.valid()) break;
    std::memcpy(pendingName, temporary.c_str(), temporary.size() + 1);
    pendingFolder = folder;
    pending = 1;
    return file;
  }
  throw failure(path, "cannot create a file beside it");
}

}  // namespace

struct Folder::State {
  fs::path path;
  SystemHandle descriptor;
};

Folder::Folder(std::unique_ptr<State> state) : state_(std::move(state)) {}
Folder::Folder(Folder&&) noexcept = default;
Folder& Folder::operator=(Folder&&) noexcept = default;
Folder::~Folder() = default;

PathState inspectPath(const fs::path& path) { return inspectAt(AT_FDCWD, path.c_str(), path); }

fs::path folderAbove(const fs::path& path) {
  return path.has_relative_path() ? path.parent_path() : fs::path();
}

bool canCreateIn(const fs::path& folder) { return ::access(folder.c_str(), W_OK | X_OK) == 0; }

Folder Folder::open(const fs::path& given, bool make) {
  // "plan/" would follow a link named plan.
  const fs::path path = given.has_filename() ? given : given.parent_path();
  std::error_code error;
  if (make && inspectPath(path).kind == PathKind::missing && !fs::create_directories(path, error))
    throw HostError::io(path.u8string(), "cannot be made: " + error.message());
  return Folder(std::make_unique<State>(State{path, openFolderAt(AT_FDCWD, path.c_str(), path)}));
}

Folder Folder::holding(const fs::path& file) {
  const fs::path path = file.has_parent_path() ? file.parent_path() : fs::path(".");
  return Folder(
      std::make_unique<State>(State{path, openFolderAt(AT_FDCWD, path.c_str(), path, 0)}));
}

Folder Folder::inside(const std::string& name, bool make) const {
  const fs::path path = pathOf(name);
  if (make && ::mkdirat(state_->descriptor.get(), name.c_str(), 0777) != 0 && errno != EEXIST)
    throw failure(path, "cannot be made");
  return Folder(std::make_unique<State>(
      State{path, openFolderAt(state_->descriptor.get(), name.c_str(), path)}));
}

const fs::path& Folder::path() const { return state_->path; }

void Folder::lock() {
  // Where a file system has no locks, fwhost writes as it did before it had them.
  if (::flock(state_->descriptor.get(), LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK) {
    throw HostError::refusedTarget(path().u8string(),
                                   "another fwhost is writing in it; run again once it is done");
  }
}

std::vector<std::string> Folder::names() const {
  SystemHandle copy(::openat(state_->descriptor.get(), ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  DIR* listing = copy.valid() ? ::fdopendir(copy.get()) : nullptr;
  if (listing == nullptr) throw failure(path(), "cannot list it");
  copy.release();  // the listing closes it
  std::vector<std::string> names;
  while (const dirent* entry = ::readdir(listing)) {
    const std::string name = entry->d_name;
    if (name != "." && name != "..") names.push_back(name);
  }
  ::closedir(listing);
  return names;
}

PathState Folder::inspect(const std::string& name) const {
  return inspectAt(state_->descriptor.get(), name.c_str(), pathOf(name));
}

bool Folder::canCreate() const {
  return ::faccessat(state_->descriptor.get(), ".", W_OK | X_OK, 0) == 0;
}

void Folder::read(const std::string& name,
                  const std::function<void(std::string_view)>& take) const {
  // Non-blocking, so that a FIFO swapped in meanwhile cannot hold fwhost up.
  const SystemHandle file(::openat(state_->descriptor.get(), name.c_str(),
                                   O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
  struct stat info {};
  if (!file.valid() || ::fstat(file.get(), &info) != 0)
    throw failure(pathOf(name), "cannot read it");
  if (!S_ISREG(info.st_mode))
    throw HostError::io(pathOf(name).u8string(), "is " + stateOf(info).what);
  char chunk[65536];
  for (ssize_t got; (got = ::read(file.get(), chunk, sizeof chunk)) != 0;) {
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) throw failure(pathOf(name), "cannot read it");
    take(std::string_view(chunk, static_cast<size_t>(got)));
  }
}

void Folder::write(const std::string& name, std::string_view bytes) const {
  installHandlers();
  const int folder = state_->descriptor.get();
  const fs::path path = pathOf(name);
  refuseUnlessReplaceable(inspect(name), path);
  std::string temporary;
  SystemHandle file = createTemporary(folder, path, temporary);
  try {
    writeAll(file.get(), bytes, path);
    if (::fsync(file.get()) != 0) throw failure(path, "cannot flush it to the disk");
    if (!file.close()) throw failure(path, "cannot write");
    // Looked at again: something other than a regular file may have appeared there meanwhile.
    refuseUnlessReplaceable(inspect(name), path);
    const SignalsHeld held;
    if (::renameat(folder, temporary.c_str(), folder, name.c_str()) != 0)
      throw failure(path, "cannot replace it");
    pending = 0;
  } catch (...) {
    const SignalsHeld held;
    ::unlinkat(folder, temporary.c_str(), 0);
    pending = 0;
    throw;
  }
  // Some file systems cannot sync a folder (EINVAL); the rename is then as safe as they make it.
  if (::fsync(folder) != 0 && errno != EINVAL)
    throw failure(path, "written, but its folder cannot be flushed to the disk");
}

void Folder::remove(const std::string& name) const {
  if (::unlinkat(state_->descriptor.get(), name.c_str(), 0) != 0 && errno != ENOENT)
    throw failure(pathOf(name), "cannot remove it");
}

}  // namespace fwhost
