// SHA-256 of bytes or of a file, as the lower-case hex text that sha256sum prints.
#ifndef FWHOST_PLAN_SHA256_H
#define FWHOST_PLAN_SHA256_H

#include <filesystem>
#include <string>
#include <string_view>

#include "host/platform/SafeWrite.h"

namespace fwhost {

std::string sha256Hex(std::string_view bytes);

// Read in pieces, so a file of any size fits; HostError (io) naming path when unreadable.
std::string sha256OfFile(const std::filesystem::path& path);

// Of the file name in folder, as Folder::read reads it.
std::string sha256OfFile(const Folder& folder, const std::string& name);

}  // namespace fwhost

#endif
