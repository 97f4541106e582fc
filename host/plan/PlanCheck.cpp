#include "host/plan/PlanCheck.h"

#include <algorithm>
#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "host/error/HostError.h"
#include "host/plan/Plan.h"
#include "host/plan/Sha256.h"
#include "host/platform/Document.h"
#include "host/platform/SafeWrite.h"
#include "host/plugin/Answer.h"

namespace fwhost {
namespace {

using Json = nlohmann::ordered_json;

enum class Type { text, wholeNumber, object, list };

struct Field {
  const char* pointer;
  Type type;
};

// Every field plan writes, with the one type it writes it with.
const Field kManifestFields[] = {
    {"/fwhost", Type::text},      {"/created", Type::text},        {"/plugin", Type::object},
    {"/plugin/path", Type::text}, {"/plugin/version", Type::text}, {"/drive", Type::object},
    {"/verdict", Type::text},     {"/status", Type::wholeNumber},  {"/destination", Type::text},
    {"/packages", Type::list},
};
const Field kPackageFields[] = {
    {"/order", Type::wholeNumber}, {"/name", Type::text},   {"/file", Type::text},
    {"/size", Type::wholeNumber},  {"/sha256", Type::text},
};

bool hasType(const Json& value, Type type) {
  switch (type) {
    case Type::text:
      return value.is_string();
    case Type::wholeNumber:
      return value.is_number_unsigned();
    case Type::object:
      return value.is_object();
    case Type::list:
      return value.is_array();
  }
  return false;
}

const char* typeWords(Type type) {
  const char* const words[] = {"text", "a whole number", "an object", "a list"};
  return words[static_cast<int>(type)];
}

// Each field there with its type; a mismatch names the field as a path below the manifest.
template <size_t N>
void checkFields(const Json& document, const Field (&fields)[N], const std::string& manifest,
                 const std::string& prefix) {
  for (const Field& field : fields) {
    const Json::json_pointer pointer(field.pointer);
    if (!document.contains(pointer) || !hasType(document[pointer], field.type)) {
      throw HostError::mismatch(manifest,
                                prefix + (field.pointer + 1) + " is not " + typeWords(field.type));
    }
  }
}

// The manifest's document, when it is one that plan writes.
Json readManifest(const Folder& folder) {
  if (folder.inspect(kManifest).kind != PathKind::regularFile)
    throw HostError::mismatch(folder.pathOf(kManifest).u8string(),
                              "missing, so the plan is not complete");
  const std::string path = folder.pathOf(kManifest).u8string();
  const Json manifest = Json::parse(readDocument(folder, kManifest), nullptr, false);
  if (!manifest.is_object()) throw HostError::mismatch(path, "not a plan's manifest");
  checkFields(manifest, kManifestFields, path, "");
  if (manifest["verdict"] != "update-available" || manifest["status"] != 65)
    throw HostError::mismatch(path, "its verdict is no update, for which no plan is made");
  if (manifest["packages"].empty()) throw HostError::mismatch(path, "lists no package");
  return manifest;
}

// The i-th listed package: a regular file of the size and SHA-256 listed; its sha256sum line.
std::string verifyPackage(const Folder& folder, const Json& entry, size_t i) {
  const std::string manifest = folder.pathOf(kManifest).u8string();
  const std::string at = "packages/" + std::to_string(i);
  if (!entry.is_object()) throw HostError::mismatch(manifest, at + " is not an object");
  checkFields(entry, kPackageFields, manifest, at + "/");
  const std::string name = entry["name"], file = entry["file"];
  if (entry["order"] != i + 1 || !isPackageName(name) || file != name + ".bin") {
    throw HostError::mismatch(manifest, at + " is not listed as plan lists a package (order " +
                                            std::to_string(i + 1) + ", file NAME.bin)");
  }
  const std::string path = folder.pathOf(file).u8string();
  const PathState state = folder.inspect(file);
  if (state.kind == PathKind::missing) throw HostError::mismatch(path, "missing");
  if (state.kind != PathKind::regularFile) throw HostError::mismatch(path, "is " + state.what);
  const uint64_t size = entry["size"];
  if (state.size != size) {
    throw HostError::mismatch(
        path, std::to_string(state.size) + " bytes, the manifest says " + std::to_string(size));
  }
  const std::string sha256 = sha256OfFile(folder, file), listed = entry["sha256"];
  if (sha256 != listed)
    throw HostError::mismatch(path, "sha256 " + sha256 + ", the manifest says " + listed);
  return sha256 + "  " + file + '\n';
}

// Nothing in the folder but what the manifest lists, the manifest and SHA256SUMS.
void verifyNothingElse(const Folder& folder, const std::set<std::string>& listed) {
  std::vector<std::string> present = folder.names();
  std::sort(present.begin(), present.end());
  for (const std::string& name : present) {
    if (listed.count(name) == 0)
      throw HostError::mismatch(folder.pathOf(name).u8string(), "not in the manifest");
  }
}

}  // namespace

size_t verifyPlan(const std::filesystem::path& directory) {
  const Folder folder = Folder::open(directory, false);
  const Json manifest = readManifest(folder);
  std::set<std::string> listed = {kManifest, kSums};
  std::string sums;
  const Json& packages = manifest["packages"];
  for (size_t i = 0; i < packages.size(); ++i) {
    sums += verifyPackage(folder, packages[i], i);
    const std::string file = packages[i]["file"];
    if (!listed.insert(file).second)
      throw HostError::mismatch(folder.pathOf(kManifest).u8string(), "lists " + file + " twice");
  }
  if (!folder.holdsExactly(kSums, sums)) {
    throw HostError::mismatch(folder.pathOf(kSums).u8string(),
                              "does not list what the manifest lists");
  }
  verifyNothingElse(folder, listed);
  return packages.size();
}

}  // namespace fwhost
