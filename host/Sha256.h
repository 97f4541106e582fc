// SHA-256 of a byte string: the digest from the system's own cryptography (one twin per
// platform), and the lower-case hex text that sha256sum prints.
#ifndef FWHOST_SHA256_H
#define FWHOST_SHA256_H

#include <array>
#include <string>
#include <string_view>

namespace fwhost {

using Sha256Digest = std::array<unsigned char, 32>;

// std::runtime_error when the system's library fails.
Sha256Digest sha256Digest(std::string_view bytes);

std::string sha256Hex(std::string_view bytes);

}  // namespace fwhost

#endif
