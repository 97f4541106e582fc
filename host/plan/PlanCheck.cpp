#include "host/plan/PlanCheck.h"

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <system_error>
#include <vector>

#include <nlohmann/json.hpp>

#include "host/error/HostError.h"
#include "host/plan/Sha256.h"
#include "host/plan/WriteDecision.h"
#include "host/platform/SafeWrite.h"

namespace fwhost {
namespace {

namespace fs = std::filesystem;
using Json = nlohmann::ordered_json;

HostError mismatch(const fs::path& path, const std::string& what) {
  return HostError::mismatch(path.u8string(), what);
}

// The manifest's document, when it is a plan's.
Json readManifest(const fs::path& directory) {
  const fs::path path = directory / "manifest.json";
  if (inspectPath(path).kind != PathKind::regularFile)
    throw mismatch(path, "missing, so the plan is not complete");
  std::ifstream text(path, std::ios::binary);
  Json manifest = Json::parse(std::istreambuf_iterator<char>(text),
                              std::istreambuf_iterator<char>(), nullptr, false);
  if (!manifest.is_object() || !manifest.contains("packages") || !manifest["packages"].is_array())
    throw mismatch(path, "not a plan's manifest");
  return manifest;
}

// One listed package: a regular file of the size and SHA-256 listed; its sha256sum line.
std::string verifyPackage(const fs::path& directory, const Json& entry) {
  if (!entry.is_object()) throw mismatch(directory / "manifest.json", "not a plan's manifest");
  const std::string file = entry.value("file", "");
  if (!isPlainFileName(file)) throw mismatch(directory / "manifest.json", "lists \"" + file + "\"");
  const fs::path path = directory / fs::u8path(file);
  const PathState state = inspectPath(path);
  if (state.kind == PathKind::missing) throw mismatch(path, "missing");
  if (state.kind != PathKind::regularFile) throw mismatch(path, "is " + state.what);
  const uint64_t size = entry.value("size", uint64_t{0});
  if (state.size != size) {
    throw mismatch(
        path, std::to_string(state.size) + " bytes, the manifest says " + std::to_string(size));
  }
  const std::string sha256 = sha256OfFile(path), listed = entry.value("sha256", "");
  if (sha256 != listed) throw mismatch(path, "sha256 " + sha256 + ", the manifest says " + listed);
  return sha256 + "  " + file + '\n';
}

// Nothing in the folder but what the manifest lists, the manifest and SHA256SUMS.
void verifyNothingElse(const fs::path& directory, const std::set<std::string>& listed) {
  std::vector<fs::path> present;
  std::error_code error;
  for (fs::directory_iterator it(directory, error), end; !error && it != end; it.increment(error))
    present.push_back(it->path());
  if (error) throw HostError::io(directory.u8string(), "cannot list it: " + error.message());
  std::sort(present.begin(), present.end());
  for (const fs::path& path : present) {
    if (listed.count(path.filename().u8string()) == 0) throw mismatch(path, "not in the manifest");
  }
}

}  // namespace

size_t verifyPlan(const fs::path& directory) {
  if (inspectPath(directory).kind != PathKind::directory)
    throw HostError::io(directory.u8string(), "is no folder");
  const Json manifest = readManifest(directory);
  std::set<std::string> listed = {"manifest.json", "SHA256SUMS"};
  std::string sums;
  for (const Json& entry : manifest["packages"]) {
    sums += verifyPackage(directory, entry);
    listed.insert(entry.value("file", ""));
  }
  if (!holdsExactly(directory / "SHA256SUMS", sums))
    throw mismatch(directory / "SHA256SUMS", "does not list what the manifest lists");
  verifyNothingElse(directory, listed);
  return manifest["packages"].size();
}

}  // namespace fwhost
