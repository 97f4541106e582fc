#include <openssl/evp.h>

#include <new>

#include "host/error/HostError.h"
#include "host/platform/Sha256Engine.h"

namespace fwhost {

struct Sha256Engine::State {
  struct FreeContext {
    void operator()(EVP_MD_CTX* context) const { EVP_MD_CTX_free(context); }
  };
  std::unique_ptr<EVP_MD_CTX, FreeContext> context{EVP_MD_CTX_new()};
};

Sha256Engine::Sha256Engine() : state_(std::make_unique<State>()) {
  if (!state_->context || EVP_DigestInit_ex(state_->context.get(), EVP_sha256(), nullptr) != 1)
    throw std::bad_alloc();
}

Sha256Engine::~Sha256Engine() = default;

void Sha256Engine::add(std::string_view bytes) {
  if (EVP_DigestUpdate(state_->context.get(), bytes.data(), bytes.size()) != 1)
    throw HostError::internal("SHA-256 through libcrypto failed");
}

Sha256Engine::Digest Sha256Engine::finish() {
  Digest digest;
  unsigned int size = 0;
  if (EVP_DigestFinal_ex(state_->context.get(), digest.data(), &size) != 1 || size != digest.size())
    throw HostError::internal("SHA-256 through libcrypto failed");
  return digest;
}

}  // namespace fwhost
