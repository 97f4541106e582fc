#include <dirent.h>
#include <fcntl.h>
#include <linux/openat2.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <memory>

#include "host/discovery/SysfsTree.h"
#include "host/error/HostError.h"
#include "host/platform/SystemHandle.h"

namespace fwhost {
namespace {

// Attributes hold a page at most; a larger file in a foreign tree is no attribute.
constexpr size_t kLargest = 1 << 16;

// The kernel resolves the path, links and ".." included, and refuses any step out of the root
// (EXDEV) and links of /proc that lead anywhere.
SystemHandle openBeneath(const SystemHandle& root, const std::string& path, uint64_t flags) {
  open_how how{};
  how.flags = flags | O_CLOEXEC;
  how.resolve = RESOLVE_BENEATH | RESOLVE_NO_MAGICLINKS;
  return SystemHandle(
      static_cast<int>(::syscall(SYS_openat2, root.get(), path.c_str(), &how, sizeof how)));
}

std::string reason(const char* what, int error) {
  return what + std::string(": ") + std::strerror(error);
}

HostError openFailure(const std::string& file, const std::filesystem::path& root, int error) {
  if (error == EXDEV) return HostError::io(file, "leads outside " + root.string());
  if (error == ENOSYS)
    return HostError::io(file, "not read: a kernel before 5.6 cannot keep it within the tree");
  return HostError::io(file, reason("cannot open", error));
}

}  // namespace

SysfsTree::SysfsTree(const std::filesystem::path& root)
    : root_(root), root_descriptor_(::open(root.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)) {
  if (!root_descriptor_.valid())
    throw HostError::io(root.string(), reason("no sysfs tree there", errno));
}

std::string SysfsTree::name(const std::string& path) const { return (root_ / path).string(); }

std::optional<std::string> SysfsTree::read(const std::string& path) const {
  // A path alone opens nothing, so a device node or FIFO is refused before it is opened.
  const SystemHandle found = openBeneath(root_descriptor_, path, O_PATH);
  if (!found.valid() && errno == ENOENT) return std::nullopt;
  if (!found.valid()) throw openFailure(name(path), root_, errno);
  struct stat seen {};
  if (::fstat(found.get(), &seen) != 0)
    throw HostError::io(name(path), reason("cannot stat", errno));
  if (!S_ISREG(seen.st_mode)) throw HostError::io(name(path), "not a regular file");
  const SystemHandle file = openBeneath(root_descriptor_, path, O_RDONLY | O_NONBLOCK | O_NOCTTY);
  struct stat opened {};
  if (!file.valid()) throw openFailure(name(path), root_, errno);
  if (::fstat(file.get(), &opened) != 0 || opened.st_dev != seen.st_dev ||
      opened.st_ino != seen.st_ino) {
    throw HostError::io(name(path), "replaced while it was opened");
  }
  std::string bytes;
  char block[4096];
  ssize_t got = 0;
  while (bytes.size() <= kLargest && (got = ::read(file.get(), block, sizeof block)) > 0)
    bytes.append(block, static_cast<size_t>(got));
  if (got < 0) throw HostError::io(name(path), reason("cannot read", errno));
  if (bytes.size() > kLargest) throw HostError::io(name(path), "larger than any attribute");
  return bytes;
}

std::optional<std::vector<std::string>> SysfsTree::list(const std::string& path) const {
  SystemHandle opened = openBeneath(root_descriptor_, path, O_RDONLY | O_DIRECTORY);
  if (!opened.valid() && errno == ENOENT) return std::nullopt;
  if (!opened.valid()) throw openFailure(name(path), root_, errno);
  const std::unique_ptr<DIR, int (*)(DIR*)> folder(::fdopendir(opened.get()), ::closedir);
  if (!folder) throw HostError::io(name(path), reason("cannot list", errno));
  opened.release();  // the listing closes it
  std::vector<std::string> names;
  errno = 0;
  while (const dirent* entry = ::readdir(folder.get())) {
    const std::string entryName = entry->d_name;
    if (entryName != "." && entryName != "..") names.push_back(entryName);
  }
  if (errno != 0) throw HostError::io(name(path), reason("cannot list", errno));
  return names;
}

}  // namespace fwhost
