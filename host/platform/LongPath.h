// The form of a path that Windows' file calls take at any length. Windows only.
#ifndef FWHOST_PLATFORM_LONGPATH_H
#define FWHOST_PLATFORM_LONGPATH_H

#include <filesystem>
#include <string>

namespace fwhost {

// path made absolute and prefixed "\\?\" (or "\\?\UNC\" for a share), which lifts the limit of
// 260 characters; a path already in that form, or a device's "\\.\", as it stands. A path that
// cannot be made absolute is returned as given, for the call to fail on with its own words.
std::wstring longPath(const std::filesystem::path& path);

}  // namespace fwhost

#endif
