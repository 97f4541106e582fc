#include <windows.h>

#include <bcrypt.h>

#include <cstdio>
#include <cstring>
#include <vector>

#include "host/error/HostError.h"
#include "host/platform/EcdsaKey.h"
#include "host/platform/Pem.h"
#include "host/platform/Sha256Engine.h"

namespace fwhost {
namespace {

// The DER of the object identifiers a key names its type and curve by.
const std::string kEcPublicKey("\x2a\x86\x48\xce\x3d\x02\x01", 7);
const std::string kP256("\x2a\x86\x48\xce\x3d\x03\x01\x07", 8);
constexpr size_t kCoordinate = 32;  // bytes of a P-256 coordinate, scalar, r and s

struct NamedOid {
  std::string oid;
  const char* name;
};
const NamedOid kKeyTypes[] = {{std::string("\x2a\x86\x48\x86\xf7\x0d\x01\x01\x01", 9), "RSA"},
                              {std::string("\x2b\x65\x70", 3), "ED25519"},
                              {std::string("\x2b\x65\x71", 3), "ED448"},
                              {std::string("\x2b\x65\x6e", 3), "X25519"}};
const NamedOid kCurves[] = {{std::string("\x2b\x81\x04\x00\x22", 5), "secp384r1"},
                            {std::string("\x2b\x81\x04\x00\x23", 5), "secp521r1"},
                            {std::string("\x2b\x81\x04\x00\x0a", 5), "secp256k1"}};

// Reads DER one element at a time; each read answers false when the next element is not of
// that tag or runs past the end.
class DerReader {
 public:
  explicit DerReader(std::string_view bytes) : rest_(bytes) {}

  bool read(unsigned char tag, std::string_view& content) {
    if (rest_.size() < 2 || static_cast<unsigned char>(rest_[0]) != tag) return false;
    size_t length = static_cast<unsigned char>(rest_[1]), header = 2;
    if (length == 0x81 || length == 0x82) {
      const size_t bytes = length & 0x7f;
      if (rest_.size() < 2 + bytes) return false;
      length = 0;
      for (size_t i = 0; i < bytes; ++i)
        length = length << 8 | static_cast<unsigned char>(rest_[2 + i]);
      header += bytes;
    } else if (length > 0x7f) {
      return false;
    }
    if (rest_.size() - header < length) return false;
    content = rest_.substr(header, length);
    rest_.remove_prefix(header + length);
    return true;
  }
  bool empty() const { return rest_.empty(); }
  bool next(unsigned char tag) const {
    return !rest_.empty() && static_cast<unsigned char>(rest_[0]) == tag;
  }

 private:
  std::string_view rest_;
};

constexpr unsigned char kSequence = 0x30, kInteger = 0x02, kBitString = 0x03, kOctetString = 0x04,
                        kOid = 0x06, kCurveTag = 0xa0, kPublicKeyTag = 0xa1;

// A BIT STRING's content (its first byte counts the unused bits) that is an uncompressed point,
// 04 X Y, as keys carry theirs.
bool isUncompressedPoint(std::string_view bits) {
  return bits.size() == 2 + 2 * kCoordinate && bits.substr(0, 2) == std::string_view("\x00\x04", 2);
}

[[noreturn]] void unreadable(const std::string& origin, const char* what) {
  throw HostError::invalidInput(origin, what);
}

// The algorithm identifier of a key: only ecPublicKey on P-256; others are named, and one of a
// type not known here is unknown, as libcrypto finds it.
void requireP256(std::string_view identifier, const std::string& origin, const char* unknown) {
  DerReader reader(identifier);
  std::string_view type, curve;
  if (!reader.read(kOid, type)) unreadable(origin, unknown);
  if (type != kEcPublicKey) {
    for (const NamedOid& known : kKeyTypes) {
      if (type == known.oid) {
        throw HostError::invalidInput(origin, std::string("is a key of type ") + known.name +
                                                  "; plans are signed with ECDSA P-256 keys");
      }
    }
    unreadable(origin, unknown);
  }
  if (!reader.read(kOid, curve)) unreadable(origin, unknown);
  if (curve != kP256) {
    const char* name = "another curve";
    for (const NamedOid& known : kCurves) {
      if (curve == known.oid) name = known.name;
    }
    throw HostError::invalidInput(origin, std::string("is an EC key on curve ") + name +
                                              "; plans are signed with P-256 keys");
  }
}

void check(NTSTATUS status, const char* call) {
  if (!BCRYPT_SUCCESS(status)) {
    char code[16];
    std::snprintf(code, sizeof code, "0x%08lx", static_cast<unsigned long>(status));
    throw HostError::internal(std::string("ECDSA through CNG failed: ") + call + " answered " +
                              code);
  }
}

// An INTEGER's DER, as the shortest positive form of its big-endian magnitude.
std::string derInteger(std::string_view magnitude) {
  while (magnitude.size() > 1 && magnitude[0] == '\0') magnitude.remove_prefix(1);
  std::string content(magnitude);
  if (static_cast<unsigned char>(content[0]) & 0x80) content.insert(content.begin(), '\0');
  return std::string{static_cast<char>(kInteger), static_cast<char>(content.size())} + content;
}

// r||s as CNG signs, in the DER form openssl dgst writes.
std::string derSignature(std::string_view raw) {
  const std::string body =
      derInteger(raw.substr(0, kCoordinate)) + derInteger(raw.substr(kCoordinate));
  return std::string{static_cast<char>(kSequence), static_cast<char>(body.size())} + body;
}

// The r||s of a DER signature; none unless it is exactly the DER that derSignature writes of it,
// as libcrypto requires too.
std::optional<std::string> rawSignature(std::string_view der) {
  DerReader outer(der);
  std::string_view body, r, s;
  if (!outer.read(kSequence, body) || !outer.empty()) return std::nullopt;
  DerReader inner(body);
  if (!inner.read(kInteger, r) || !inner.read(kInteger, s) || !inner.empty()) return std::nullopt;
  std::string raw;
  for (std::string_view part : {r, s}) {
    while (part.size() > kCoordinate && part[0] == '\0') part.remove_prefix(1);
    if (part.empty() || part.size() > kCoordinate) return std::nullopt;
    raw += std::string(kCoordinate - part.size(), '\0') + std::string(part);
  }
  if (derSignature(raw) != der) return std::nullopt;
  return raw;
}

}  // namespace

struct EcdsaKey::State {
  struct AlgorithmCloser {
    void operator()(void* algorithm) const { BCryptCloseAlgorithmProvider(algorithm, 0); }
  };
  struct KeyDestroyer {
    void operator()(void* key) const { BCryptDestroyKey(key); }
  };
  std::unique_ptr<void, AlgorithmCloser> algorithm;  // outlives the key, declared first
  std::unique_ptr<void, KeyDestroyer> key;
  bool isPrivate = false;

  // The key from its BCRYPT_ECCKEY_BLOB: the header, X, Y and, for a private key, d.
  State(const std::string& point, std::string_view scalar) : isPrivate(!scalar.empty()) {
    BCRYPT_ALG_HANDLE opened = nullptr;
    check(BCryptOpenAlgorithmProvider(&opened, BCRYPT_ECDSA_P256_ALGORITHM, nullptr, 0),
          "BCryptOpenAlgorithmProvider");
    algorithm.reset(opened);
    BCRYPT_ECCKEY_BLOB header{
        isPrivate ? ULONG{BCRYPT_ECDSA_PRIVATE_P256_MAGIC} : ULONG{BCRYPT_ECDSA_PUBLIC_P256_MAGIC},
        ULONG{kCoordinate}};
    std::string blob(reinterpret_cast<const char*>(&header), sizeof header);
    blob += point.substr(1);  // X and Y behind the uncompressed point's 0x04
    blob += std::string(scalar);
    BCRYPT_KEY_HANDLE imported = nullptr;
    const NTSTATUS status = BCryptImportKeyPair(
        opened, nullptr, isPrivate ? BCRYPT_ECCPRIVATE_BLOB : BCRYPT_ECCPUBLIC_BLOB, &imported,
        reinterpret_cast<PUCHAR>(blob.data()), static_cast<ULONG>(blob.size()), 0);
    SecureZeroMemory(blob.data(), blob.size());
    check(status, "BCryptImportKeyPair");
    key.reset(imported);
  }
};

EcdsaKey::EcdsaKey(std::unique_ptr<State> state) : state_(std::move(state)) {}
EcdsaKey::EcdsaKey(EcdsaKey&&) noexcept = default;
EcdsaKey& EcdsaKey::operator=(EcdsaKey&&) noexcept = default;
EcdsaKey::~EcdsaKey() = default;

EcdsaKey EcdsaKey::fromPrivatePem(const std::string& pem, const std::string& origin,
                                  const std::optional<std::string>& passphrase) {
  std::optional<PemBlock> block = firstPemBlock(pem);
  if (!block) unreadable(origin, "is no PEM text");
  if (block->label == "ENCRYPTED PRIVATE KEY") {
    if (!passphrase) {
      unreadable(origin,
                 "is encrypted; give its passphrase in the environment as FWHOST_KEY_PASSPHRASE");
    }
    unreadable(origin,
               "is encrypted, which fwhost.exe does not read; decrypt a copy with openssl "
               "pkcs8 where it is kept secret");
  }
  if (block->label != "PRIVATE KEY") {
    throw HostError::invalidInput(
        origin, "holds a PEM \"" + block->label + "\", not a PKCS#8 private key (\"PRIVATE KEY\")");
  }
  // PrivateKeyInfo: version, algorithm, and the ECPrivateKey in an OCTET STRING.
  DerReader outer(block->der);
  std::string_view info, version, algorithm, wrapped;
  if (!outer.read(kSequence, info)) unreadable(origin, "is no readable PKCS#8 private key");
  DerReader fields(info);
  if (!fields.read(kInteger, version) || !fields.read(kSequence, algorithm))
    unreadable(origin, "is no readable PKCS#8 private key");
  requireP256(algorithm, origin, "is no readable PKCS#8 private key");
  if (!fields.read(kOctetString, wrapped)) unreadable(origin, "is no readable PKCS#8 private key");
  // ECPrivateKey: version, d, the curve (optional), the public point (optional, [1]).
  DerReader ecOuter(wrapped);
  std::string_view ecKey, ecVersion, scalar, tagged, bits;
  if (!ecOuter.read(kSequence, ecKey)) unreadable(origin, "is no readable PKCS#8 private key");
  DerReader ec(ecKey);
  if (!ec.read(kInteger, ecVersion) || !ec.read(kOctetString, scalar) ||
      scalar.size() != kCoordinate)
    unreadable(origin, "is no readable PKCS#8 private key");
  std::string_view curve;
  if (ec.next(kCurveTag)) ec.read(kCurveTag, curve);
  DerReader publicPart(ec.read(kPublicKeyTag, tagged) ? tagged : std::string_view());
  if (!publicPart.read(kBitString, bits) || !isUncompressedPoint(bits)) {
    unreadable(origin,
               "holds no public point beside its private key; openssl pkey -in KEY -out "
               "NEW writes one with it");
  }
  auto state = std::make_unique<State>(std::string(bits.substr(1)), scalar);
  SecureZeroMemory(block->der.data(), block->der.size());
  return EcdsaKey(std::move(state));
}

EcdsaKey EcdsaKey::fromPublicPem(const std::string& pem, const std::string& origin) {
  const std::optional<PemBlock> block = firstPemBlock(pem);
  if (!block) unreadable(origin, "is no PEM text");
  if (block->label.find("PRIVATE KEY") != std::string::npos) {
    unreadable(origin,
               "is a private key; give the public one (openssl pkey -in KEY -pubout), "
               "and keep this one secret");
  }
  if (block->label != "PUBLIC KEY") {
    throw HostError::invalidInput(
        origin, "holds a PEM \"" + block->label + "\", not a public key (\"PUBLIC KEY\")");
  }
  // SubjectPublicKeyInfo: the algorithm, and the point as a BIT STRING.
  DerReader outer(block->der);
  std::string_view info, algorithm, bits;
  if (!outer.read(kSequence, info) || !outer.empty())
    unreadable(origin, "is no readable public key");
  DerReader fields(info);
  if (!fields.read(kSequence, algorithm)) unreadable(origin, "is no readable public key");
  requireP256(algorithm, origin, "is no readable public key");
  if (!fields.read(kBitString, bits) || !fields.empty() || !isUncompressedPoint(bits)) {
    unreadable(origin, "is no readable public key");
  }
  try {
    return EcdsaKey(std::make_unique<State>(std::string(bits.substr(1)), std::string_view()));
  } catch (const HostError&) {
    unreadable(origin, "is no readable public key");  // a point off the curve
  }
}

std::string EcdsaKey::sign(std::string_view bytes) const {
  if (!state_->isPrivate) throw HostError::internal("a public key cannot sign");
  Sha256Engine hash;
  hash.add(bytes);
  Sha256Engine::Digest digest = hash.finish();
  std::string raw(2 * kCoordinate, '\0');
  ULONG size = 0;
  check(BCryptSignHash(state_->key.get(), nullptr, digest.data(), static_cast<ULONG>(digest.size()),
                       reinterpret_cast<PUCHAR>(raw.data()), static_cast<ULONG>(raw.size()), &size,
                       0),
        "BCryptSignHash");
  if (size != raw.size()) throw HostError::internal("CNG signed with other than 64 bytes");
  return derSignature(raw);
}

bool EcdsaKey::verifies(std::string_view bytes, std::string_view signature) const {
  std::optional<std::string> raw = rawSignature(signature);
  if (!raw) return false;
  Sha256Engine hash;
  hash.add(bytes);
  Sha256Engine::Digest digest = hash.finish();
  return BCryptVerifySignature(
             state_->key.get(), nullptr, digest.data(), static_cast<ULONG>(digest.size()),
             reinterpret_cast<PUCHAR>(raw->data()), static_cast<ULONG>(raw->size()), 0) == 0;
}

}  // namespace fwhost
