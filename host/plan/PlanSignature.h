// A plan's signature: ECDSA P-256 over its manifest, which binds every package's name, size and
// SHA-256, the drive and the verdict, in a file beside it that openssl dgst -verify reads.
#ifndef FWHOST_PLAN_PLANSIGNATURE_H
#define FWHOST_PLAN_PLANSIGNATURE_H

#include <string>
#include <vector>

#include "host/platform/EcdsaKey.h"
#include "host/platform/SafeWrite.h"

namespace fwhost {

// The manifest's DER signature, written after it: a folder is a signed plan once it is there.
inline constexpr const char* kSignature = "manifest.json.sig";

// The private key in the file path, decrypted with FWHOST_KEY_PASSPHRASE when encrypted.
// HostError naming path: invalidInput when others than its owner may read or change the file
// (as ssh refuses such a key) or it is no P-256 key (EcdsaKey), io when it cannot be read.
EcdsaKey readSigningKey(const std::string& path);

// A public key a plan may be signed by, and the file it came from.
struct TrustedKey {
  std::string path;
  EcdsaKey key;
};

// The public key in each file, every one read before any is used (several: a key and the one
// that replaces it); HostError naming the file as readSigningKey says, secrecy aside.
std::vector<TrustedKey> readTrustedKeys(const std::vector<std::string>& paths);

// The path of the first key that signed the manifest (its text) by the signature file in folder.
// HostError naming the signature file: mismatch when it is missing, is of no length a P-256
// signature has, or is no key's signature over that manifest.
std::string signerOf(const Folder& folder, const std::string& manifest,
                     const std::vector<TrustedKey>& keys);

}  // namespace fwhost

#endif
