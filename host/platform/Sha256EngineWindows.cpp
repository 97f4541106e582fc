#include <windows.h>

#include <bcrypt.h>

#include <algorithm>
#include <cstdio>
#include <string>

#include "host/error/HostError.h"
#include "host/platform/Sha256Engine.h"

namespace fwhost {
namespace {

void check(NTSTATUS status, const char* call) {
  if (!BCRYPT_SUCCESS(status)) {
    char code[16];
    std::snprintf(code, sizeof code, "0x%08lx", static_cast<unsigned long>(status));
    throw HostError::internal(std::string("SHA-256 through CNG failed: ") + call + " answered " +
                              code);
  }
}

}  // namespace

struct Sha256Engine::State {
  struct AlgorithmCloser {
    void operator()(void* algorithm) const { BCryptCloseAlgorithmProvider(algorithm, 0); }
  };
  struct HashDestroyer {
    void operator()(void* hash) const { BCryptDestroyHash(hash); }
  };
  std::unique_ptr<void, AlgorithmCloser> algorithm;
  std::unique_ptr<void, HashDestroyer> hash;
};

Sha256Engine::Sha256Engine() : state_(std::make_unique<State>()) {
  BCRYPT_ALG_HANDLE algorithm = nullptr;
  check(BCryptOpenAlgorithmProvider(&algorithm, BCRYPT_SHA256_ALGORITHM, nullptr, 0),
        "BCryptOpenAlgorithmProvider");
  state_->algorithm.reset(algorithm);
  BCRYPT_HASH_HANDLE hash = nullptr;
  check(BCryptCreateHash(algorithm, &hash, nullptr, 0, nullptr, 0, 0), "BCryptCreateHash");
  state_->hash.reset(hash);
}

Sha256Engine::~Sha256Engine() = default;

void Sha256Engine::add(std::string_view bytes) {
  // BCryptHashData takes at most 4 GiB - 1 at a time.
  while (!bytes.empty()) {
    const auto chunk = static_cast<ULONG>(std::min<size_t>(bytes.size(), 1u << 30));
    auto* data = reinterpret_cast<PUCHAR>(const_cast<char*>(bytes.data()));
    check(BCryptHashData(state_->hash.get(), data, chunk, 0), "BCryptHashData");
    bytes.remove_prefix(chunk);
  }
}

Sha256Engine::Digest Sha256Engine::finish() {
  Digest digest;
  check(BCryptFinishHash(state_->hash.get(), digest.data(), static_cast<ULONG>(digest.size()), 0),
        "BCryptFinishHash");
  return digest;
}

}  // namespace fwhost
