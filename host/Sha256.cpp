#include "host/Sha256.h"

#include <cstdio>

namespace fwhost {

std::string sha256Hex(std::string_view bytes) {
  std::string hex;
  for (const unsigned char byte : sha256Digest(bytes)) {
    char pair[3];
    std::snprintf(pair, sizeof pair, "%02x", byte);
    hex += pair;
  }
  return hex;
}

}  // namespace fwhost
