#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "host/discovery/SysfsAttribute.h"
#include "host/error/HostError.h"

namespace fwhost {
namespace {

// Attributes hold a page at most; a larger file in a foreign tree is no attribute.
constexpr size_t kLargest = 1 << 16;

}  // namespace

std::optional<std::string> readSysfsAttribute(const std::filesystem::path& path) {
  // Not blocking keeps a FIFO in a foreign tree from hanging the scan before fstat refuses it.
  const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    if (errno == ENOENT) return std::nullopt;
    throw HostError::io(path.string(), std::string("cannot open: ") + std::strerror(errno));
  }
  std::string bytes;
  std::string reason;
  struct stat status {};
  if (::fstat(fd, &status) != 0) {
    reason = std::string("cannot stat: ") + std::strerror(errno);
  } else if (!S_ISREG(status.st_mode)) {
    reason = "not a regular file";
  } else {
    char block[4096];
    ssize_t got = 0;
    while (bytes.size() <= kLargest && (got = ::read(fd, block, sizeof block)) > 0) {
      bytes.append(block, static_cast<size_t>(got));
    }
    if (got < 0) reason = std::string("cannot read: ") + std::strerror(errno);
    if (bytes.size() > kLargest) reason = "larger than any attribute";
  }
  ::close(fd);
  if (!reason.empty()) throw HostError::io(path.string(), reason);
  return bytes;
}

}  // namespace fwhost
