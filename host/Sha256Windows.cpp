#include <windows.h>

#include <bcrypt.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <stdexcept>
#include <string>

#include "host/Sha256.h"

namespace fwhost {
namespace {

struct AlgorithmCloser {
  void operator()(void* algorithm) const { BCryptCloseAlgorithmProvider(algorithm, 0); }
};
struct HashDestroyer {
  void operator()(void* hash) const { BCryptDestroyHash(hash); }
};

void check(NTSTATUS status, const char* call) {
  if (!BCRYPT_SUCCESS(status)) {
    char code[16];
    std::snprintf(code, sizeof code, "0x%08lx", static_cast<unsigned long>(status));
    throw std::runtime_error(std::string("SHA-256 through CNG failed: ") + call + " answered " +
                             code);
  }
}

}  // namespace

Sha256Digest sha256Digest(std::string_view bytes) {
  BCRYPT_ALG_HANDLE algorithm = nullptr;
  check(BCryptOpenAlgorithmProvider(&algorithm, BCRYPT_SHA256_ALGORITHM, nullptr, 0),
        "BCryptOpenAlgorithmProvider");
  const std::unique_ptr<void, AlgorithmCloser> algorithmOwner(algorithm);
  BCRYPT_HASH_HANDLE hash = nullptr;
  check(BCryptCreateHash(algorithm, &hash, nullptr, 0, nullptr, 0, 0), "BCryptCreateHash");
  const std::unique_ptr<void, HashDestroyer> hashOwner(hash);
  // BCryptHashData takes at most 4 GiB - 1 at a time.
  while (!bytes.empty()) {
    const auto chunk = static_cast<ULONG>(std::min<size_t>(bytes.size(), 1u << 30));
    auto* data = reinterpret_cast<PUCHAR>(const_cast<char*>(bytes.data()));
    check(BCryptHashData(hash, data, chunk, 0), "BCryptHashData");
    bytes.remove_prefix(chunk);
  }
  Sha256Digest digest;
  check(BCryptFinishHash(hash, digest.data(), static_cast<ULONG>(digest.size()), 0),
        "BCryptFinishHash");
  return digest;
}

}  // namespace fwhost
