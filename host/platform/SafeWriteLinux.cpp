#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <utility>

#include "host/error/HostError.h"
#include "host/platform/SafeWrite.h"

namespace fwhost {
namespace {

namespace fs = std::filesystem;

const int kSignals[] = {SIGINT, SIGTERM, SIGHUP};

// The temporary file being written, for the signal handler, which may only read plain memory.
char pendingTemporary[4096];
volatile sig_atomic_t pending = 0;

extern "C" void removePendingAndEnd(int signal) {
  if (pending) ::unlink(pendingTemporary);
  // SA_RESETHAND has put the default action back: the raised signal ends the process, with the
  // status a shell reports as 128 + signal, once this handler returns.
  ::raise(signal);
}

void installHandlers() {
  static bool installed = false;
  if (installed) return;
  installed = true;
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

class Descriptor {
 public:
  explicit Descriptor(int fd = -1) : fd_(fd) {}
  ~Descriptor() { close(); }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(Descriptor&& other) {
    std::swap(fd_, other.fd_);
    return *this;
  }
  int get() const { return fd_; }
  explicit operator bool() const { return fd_ >= 0; }
  int close() { return fd_ < 0 ? 0 : ::close(std::exchange(fd_, -1)); }

 private:
  int fd_;
};

// Captures errno, so call it before anything that may change errno.
HostError failure(const fs::path& path, const std::string& doing) {
  return HostError::io(path.u8string(), doing + ": " + std::strerror(errno));
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

void writeAll(int fd, std::string_view bytes, const fs::path& path) {
  while (!bytes.empty()) {
    const ssize_t written = ::write(fd, bytes.data(), bytes.size());
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) throw failure(path, "cannot write");
    bytes.remove_prefix(static_cast<size_t>(written));
  }
}

void syncFolder(const fs::path& folder, const fs::path& path) {
  Descriptor directory(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  // Some file systems cannot sync a folder (EINVAL); the rename is then as safe as they make it.
  if (!directory || (::fsync(directory.get()) != 0 && errno != EINVAL)) {
    throw failure(path, "written, but its folder cannot be flushed to the disk");
  }
}

}  // namespace

PathState inspectPath(const fs::path& path) {
  struct stat info {};
  if (::lstat(path.c_str(), &info) != 0) {
    if (errno == ENOENT) return {};
    throw failure(path, "cannot look at it");
  }
  if (S_ISREG(info.st_mode))
    return {PathKind::regularFile, "a regular file", static_cast<uint64_t>(info.st_size)};
  return {S_ISDIR(info.st_mode) ? PathKind::directory : PathKind::other, describe(info.st_mode), 0};
}

bool holdsExactly(const fs::path& path, std::string_view bytes) {
  // Non-blocking, so that a FIFO swapped in meanwhile cannot hold fwhost up.
  Descriptor file(::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
  struct stat info {};
  if (!file || ::fstat(file.get(), &info) != 0 || !S_ISREG(info.st_mode) ||
      static_cast<uint64_t>(info.st_size) != bytes.size()) {
    return false;
  }
  char chunk[65536];
  for (size_t at = 0; at < bytes.size();) {
    const ssize_t got = ::read(file.get(), chunk, sizeof chunk);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0 || bytes.substr(at, static_cast<size_t>(got)) != std::string_view(chunk, got))
      return false;
    at += static_cast<size_t>(got);
  }
  return true;
}

bool canCreateIn(const fs::path& folder) { return ::access(folder.c_str(), W_OK | X_OK) == 0; }

void writeFileSafely(const fs::path& path, std::string_view bytes) {
  installHandlers();
  refuseUnlessReplaceable(path);
  const fs::path folder = path.has_parent_path() ? path.parent_path() : fs::path(".");
  Descriptor file;
  std::string temporary;
  {
    const SignalsHeld held;
    for (int attempt = 0; attempt < 100 && !file; ++attempt) {
      temporary = temporaryBeside(path).u8string();
      if (temporary.size() >= sizeof pendingTemporary) {
        throw HostError::io(path.u8string(), "the path is too long");
      }
      file = Descriptor(
          ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666));
      if (!file && errno != EEXIST) throw failure(path, "cannot create a file beside it");
    }
    if (!file) throw failure(path, "cannot create a file beside it");
    std::memcpy(pendingTemporary, temporary.c_str(), temporary.size() + 1);
    pending = 1;
  }
  try {
    writeAll(file.get(), bytes, path);
    if (::fsync(file.get()) != 0) throw failure(path, "cannot flush it to the disk");
    if (file.close() != 0) throw failure(path, "cannot write");
    // Looked at again: something other than a regular file may have appeared there meanwhile.
    refuseUnlessReplaceable(path);
    const SignalsHeld held;
    if (::rename(temporary.c_str(), path.c_str()) != 0) throw failure(path, "cannot replace it");
    pending = 0;
  } catch (...) {
    const SignalsHeld held;
    ::unlink(temporary.c_str());
    pending = 0;
    throw;
  }
  syncFolder(folder, path);
}

}  // namespace fwhost
