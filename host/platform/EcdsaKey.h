// An ECDSA P-256 key with SHA-256, read from PEM, from the system's own cryptography: libcrypto,
// or CNG on Windows. Owns the library's key; signatures are DER, as openssl dgst writes them.
// One twin per platform.
#ifndef FWHOST_PLATFORM_ECDSAKEY_H
#define FWHOST_PLATFORM_ECDSAKEY_H

#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace fwhost {

class EcdsaKey {
 public:
  // A PKCS#8 private key, decrypted with passphrase when it is encrypted. HostError
  // (invalidInput) naming origin when the text is no such key, of another type or curve, or
  // encrypted without its passphrase; the key's bytes never appear in a message.
  static EcdsaKey fromPrivatePem(const std::string& pem, const std::string& origin,
                                 const std::optional<std::string>& passphrase);
  // A SubjectPublicKeyInfo public key; HostError (invalidInput) naming origin as above.
  static EcdsaKey fromPublicPem(const std::string& pem, const std::string& origin);

  EcdsaKey(EcdsaKey&&) noexcept;
  EcdsaKey& operator=(EcdsaKey&&) noexcept;
  ~EcdsaKey();

  // The DER signature of bytes' SHA-256; only a private key signs (HostError (internal)).
  std::string sign(std::string_view bytes) const;
  // Whether signature is this key's DER signature of bytes' SHA-256.
  bool verifies(std::string_view bytes, std::string_view signature) const;

 private:
  struct State;
  explicit EcdsaKey(std::unique_ptr<State> state);
  std::unique_ptr<State> state_;
};

}  // namespace fwhost

#endif
