#include <openssl/evp.h>

#include <stdexcept>

#include "host/Sha256.h"

namespace fwhost {

Sha256Digest sha256Digest(std::string_view bytes) {
  Sha256Digest digest;
  unsigned int size = 0;
  if (EVP_Digest(bytes.data(), bytes.size(), digest.data(), &size, EVP_sha256(), nullptr) != 1 ||
      size != digest.size()) {
    throw std::runtime_error("SHA-256 through libcrypto failed");
  }
  return digest;
}

}  // namespace fwhost
