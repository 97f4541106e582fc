#include "host/plan/PlanSignature.h"

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <optional>

#include "host/error/HostError.h"
#include "host/plan/Manifest.h"
#include "host/platform/Document.h"
#include "host/platform/InputFile.h"

namespace fwhost {
namespace {

// The DER of two INTEGERs of at most 33 bytes each in a SEQUENCE: 8 to 72 bytes.
constexpr uint64_t kShortestSignature = 8;
constexpr uint64_t kLongestSignature = 72;

std::string readKeyText(const std::string& path, bool secret) {
  InputFile in(std::filesystem::u8path(path));
  if (secret && in.openToOthers()) {
    throw HostError::invalidInput(path,
                                  "may be read or changed by others than its owner; a "
                                  "private key must not be (chmod 600)");
  }
  return readDocument(in, path);
}

}  // namespace

EcdsaKey readSigningKey(const std::string& path) {
  const char* passphrase = std::getenv("FWHOST_KEY_PASSPHRASE");
  return EcdsaKey::fromPrivatePem(
      readKeyText(path, true), path,
      passphrase ? std::optional<std::string>(passphrase) : std::nullopt);
}

std::vector<TrustedKey> readTrustedKeys(const std::vector<std::string>& paths) {
  std::vector<TrustedKey> keys;
  for (const std::string& path : paths)
    keys.push_back({path, EcdsaKey::fromPublicPem(readKeyText(path, false), path)});
  return keys;
}

std::string signerOf(const Folder& folder, const std::string& manifest,
                     const std::vector<TrustedKey>& keys) {
  const std::string path = folder.pathOf(kSignature).u8string();
  const PathState state = folder.inspect(kSignature);
  if (state.kind == PathKind::missing)
    throw HostError::mismatch(path, "missing, so the plan is not signed");
  if (state.kind == PathKind::regularFile &&
      (state.size < kShortestSignature || state.size > kLongestSignature)) {
    throw HostError::mismatch(path, std::to_string(state.size) +
                                        " bytes, no ECDSA P-256 signature (8 to 72 bytes of DER)");
  }
  const std::string signature = readDocument(folder, kSignature);
  std::string tried;
  for (const TrustedKey& trusted : keys) {
    if (trusted.key.verifies(manifest, signature)) return trusted.path;
    tried += (tried.empty() ? "" : ", ") + trusted.path;
  }
  throw HostError::mismatch(path, std::string("is no signature of ") + kManifest + " by " +
                                      (keys.size() > 1 ? "any of " : "") + tried);
}

}  // namespace fwhost
