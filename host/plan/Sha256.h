// SHA-256 of bytes or of a file, as the lower-case hex text that sha256sum prints.
#ifndef FWHOST_PLAN_SHA256_H
#define FWHOST_PLAN_SHA256_H

#include <filesystem>
#include <string>
#include <string_view>

namespace fwhost {

std::string sha256Hex(std::string_view bytes);

// Read in pieces, so a file of any size fits; HostError (io) naming path when unreadable.
std::string sha256OfFile(const std::filesystem::path& path);

}  // namespace fwhost

#endif
