// SHA-256 of a byte string, as the lower-case hex text that sha256sum prints.
#ifndef FWHOST_SHA256_H
#define FWHOST_SHA256_H

#include <string>
#include <string_view>

namespace fwhost {

std::string sha256Hex(std::string_view bytes);

}  // namespace fwhost

#endif
