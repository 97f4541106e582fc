#include <openssl/bio.h>
#include <openssl/core_names.h>
#include <openssl/err.h>
#include <openssl/evp.h>
#include <openssl/pem.h>

#include <cstring>
#include <memory>
#include <new>
#include <optional>
#include <string>

#include "host/error/HostError.h"
#include "host/platform/EcdsaKey.h"
#include "host/platform/Pem.h"

namespace fwhost {
namespace {

struct FreeKey {
  void operator()(EVP_PKEY* key) const { EVP_PKEY_free(key); }
};
struct FreeBio {
  void operator()(BIO* bio) const { BIO_free(bio); }
};
struct FreeContext {
  void operator()(EVP_MD_CTX* context) const { EVP_MD_CTX_free(context); }
};
using KeyPointer = std::unique_ptr<EVP_PKEY, FreeKey>;
using ContextPointer = std::unique_ptr<EVP_MD_CTX, FreeContext>;

// The passphrase handed to libcrypto's PEM reader; none: the reader is told to give up.
int givePassphrase(char* buffer, int size, int, void* passphrase) {
  if (!passphrase) return -1;
  const auto* text = static_cast<const std::string*>(passphrase);
  if (text->size() > static_cast<size_t>(size)) return -1;
  std::memcpy(buffer, text->data(), text->size());
  return static_cast<int>(text->size());
}

// Only a P-256 key of the EC type; what libcrypto read otherwise is named, its bytes never.
KeyPointer requireP256(KeyPointer key, const std::string& origin) {
  char group[64] = "";
  size_t length = 0;
  if (EVP_PKEY_get_base_id(key.get()) != EVP_PKEY_EC) {
    throw HostError::invalidInput(origin, std::string("is a key of type ") +
                                              EVP_PKEY_get0_type_name(key.get()) +
                                              "; plans are signed with ECDSA P-256 keys");
  }
  if (EVP_PKEY_get_group_name(key.get(), group, sizeof group, &length) != 1 ||
      std::strcmp(group, "prime256v1") != 0) {
    throw HostError::invalidInput(origin, std::string("is an EC key on curve ") + group +
                                              "; plans are signed with P-256 keys");
  }
  return key;
}

std::unique_ptr<BIO, FreeBio> readingBio(const std::string& pem) {
  std::unique_ptr<BIO, FreeBio> bio(BIO_new_mem_buf(pem.data(), static_cast<int>(pem.size())));
  if (!bio) throw std::bad_alloc();
  return bio;
}

}  // namespace

struct EcdsaKey::State {
  KeyPointer key;
  bool isPrivate = false;
};

EcdsaKey::EcdsaKey(std::unique_ptr<State> state) : state_(std::move(state)) {}
EcdsaKey::EcdsaKey(EcdsaKey&&) noexcept = default;
EcdsaKey& EcdsaKey::operator=(EcdsaKey&&) noexcept = default;
EcdsaKey::~EcdsaKey() = default;

EcdsaKey EcdsaKey::fromPrivatePem(const std::string& pem, const std::string& origin,
                                  const std::optional<std::string>& passphrase) {
  const std::optional<PemBlock> block = firstPemBlock(pem);
  if (!block) throw HostError::invalidInput(origin, "is no PEM text");
  const bool encrypted = block->label == "ENCRYPTED PRIVATE KEY";
  if (block->label != "PRIVATE KEY" && !encrypted) {
    throw HostError::invalidInput(
        origin, "holds a PEM \"" + block->label + "\", not a PKCS#8 private key (\"PRIVATE KEY\")");
  }
  if (encrypted && !passphrase) {
    throw HostError::invalidInput(
        origin, "is encrypted; give its passphrase in the environment as FWHOST_KEY_PASSPHRASE");
  }
  auto bio = readingBio(pem);
  std::string given = passphrase.value_or("");
  KeyPointer key(
      PEM_read_bio_PrivateKey(bio.get(), nullptr, givePassphrase, encrypted ? &given : nullptr));
  OPENSSL_cleanse(given.data(), given.size());
  ERR_clear_error();
  if (!key) {
    throw HostError::invalidInput(origin, encrypted ? "cannot be decrypted with that passphrase"
                                                    : "is no readable PKCS#8 private key");
  }
  return EcdsaKey(std::make_unique<State>(State{requireP256(std::move(key), origin), true}));
}

EcdsaKey EcdsaKey::fromPublicPem(const std::string& pem, const std::string& origin) {
  const std::optional<PemBlock> block = firstPemBlock(pem);
  if (!block) throw HostError::invalidInput(origin, "is no PEM text");
  if (block->label.find("PRIVATE KEY") != std::string::npos) {
    throw HostError::invalidInput(origin,
                                  "is a private key; give the public one (openssl pkey "
                                  "-in KEY -pubout), and keep this one secret");
  }
  if (block->label != "PUBLIC KEY") {
    throw HostError::invalidInput(
        origin, "holds a PEM \"" + block->label + "\", not a public key (\"PUBLIC KEY\")");
  }
  auto bio = readingBio(pem);
  KeyPointer key(PEM_read_bio_PUBKEY(bio.get(), nullptr, nullptr, nullptr));
  ERR_clear_error();
  if (!key) throw HostError::invalidInput(origin, "is no readable public key");
  return EcdsaKey(std::make_unique<State>(State{requireP256(std::move(key), origin), false}));
}

std::string EcdsaKey::sign(std::string_view bytes) const {
  if (!state_->isPrivate) throw HostError::internal("a public key cannot sign");
  ContextPointer context(EVP_MD_CTX_new());
  size_t size = 0;
  const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
  if (!context ||
      EVP_DigestSignInit(context.get(), nullptr, EVP_sha256(), nullptr, state_->key.get()) != 1 ||
      EVP_DigestSign(context.get(), nullptr, &size, data, bytes.size()) != 1) {
    ERR_clear_error();
    throw HostError::internal("ECDSA signing through libcrypto failed");
  }
  std::string signature(size, '\0');
  if (EVP_DigestSign(context.get(), reinterpret_cast<unsigned char*>(signature.data()), &size, data,
                     bytes.size()) != 1) {
    ERR_clear_error();
    throw HostError::internal("ECDSA signing through libcrypto failed");
  }
  signature.resize(size);
  return signature;
}

bool EcdsaKey::verifies(std::string_view bytes, std::string_view signature) const {
  ContextPointer context(EVP_MD_CTX_new());
  if (!context ||
      EVP_DigestVerifyInit(context.get(), nullptr, EVP_sha256(), nullptr, state_->key.get()) != 1)
    throw HostError::internal("ECDSA verification through libcrypto failed");
  const int verdict = EVP_DigestVerify(
      context.get(), reinterpret_cast<const unsigned char*>(signature.data()), signature.size(),
      reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
  ERR_clear_error();
  return verdict == 1;
}

}  // namespace fwhost
