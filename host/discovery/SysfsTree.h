// A sysfs tree read beneath its root folder: every path, each link in it included, must resolve
// inside the root, and only regular files are opened. Owns the open root folder.
#ifndef FWHOST_DISCOVERY_SYSFSTREE_H
#define FWHOST_DISCOVERY_SYSFSTREE_H

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "host/platform/SystemHandle.h"

namespace fwhost {

class SysfsTree {
 public:
  // HostError (io) naming the root when it is no folder that can be opened.
  explicit SysfsTree(const std::filesystem::path& root);

  // The bytes of the file at the relative path, std::nullopt when there is none; HostError (io)
  // naming the file when its path leads outside the root or cannot be followed, or when it is
  // not a regular file (a device node or FIFO is refused without being opened) or cannot be read.
  std::optional<std::string> read(const std::string& path) const;

  // The names in the folder at the relative path, std::nullopt when there is none; HostError (io)
  // as read, when it is no folder or cannot be listed.
  std::optional<std::vector<std::string>> list(const std::string& path) const;

  // The root and the relative path as one, for messages.
  std::string name(const std::string& path) const;

 private:
  std::filesystem::path root_;
  SystemHandle root_descriptor_;
};

}  // namespace fwhost

#endif
