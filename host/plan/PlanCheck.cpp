#include "host/plan/PlanCheck.h"

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "host/error/HostError.h"
#include "host/plan/Manifest.h"
#include "host/plan/Plan.h"
#include "host/plan/PlanSignature.h"
#include "host/plan/Sha256.h"
#include "host/platform/Document.h"
#include "host/platform/SafeWrite.h"

namespace fwhost {
namespace {

// How the listed package file compares with what is there.
FileCheck checkPackage(const Folder& folder, const ListedFile& listed) {
  FileCheck check{listed.file, folder.pathOf(listed.file).u8string(), FileCheckResult::ok, ""};
  const PathState state = folder.inspect(listed.file);
  if (state.kind == PathKind::missing) {
    check.result = FileCheckResult::missing;
    check.detail = "missing";
  } else if (state.kind != PathKind::regularFile) {
    check.result = FileCheckResult::notRegular;
    check.detail = "is " + state.what;
  } else if (state.size != listed.size) {
    check.result = FileCheckResult::sizeDiffers;
    check.detail =
        std::to_string(state.size) + " bytes, the manifest says " + std::to_string(listed.size);
  } else if (const std::string sha256 = sha256OfFile(folder, listed.file);
             sha256 != listed.sha256) {
    check.result = FileCheckResult::sha256Differs;
    check.detail = "sha256 " + sha256 + ", the manifest says " + listed.sha256;
  }
  return check;
}

FileCheck checkSums(const Folder& folder, const std::string& sums) {
  FileCheck check{kSums, folder.pathOf(kSums).u8string(), FileCheckResult::ok, ""};
  const PathState state = folder.inspect(kSums);
  if (state.kind == PathKind::missing) {
    check.result = FileCheckResult::missing;
    check.detail = "missing";
  } else if (!folder.holdsExactly(kSums, sums)) {
    check.result = FileCheckResult::sha256Differs;
    check.detail = "does not list what the manifest lists";
  }
  return check;
}

// A package that agrees with the manifest must also be the plug-in's own, fetched one at a
// time, so that a plan is held to the plug-in of the machine that flashes it.
void matchPlugin(const Plugin& plugin, const ListedFile& listed, FileCheck& check) {
  if (check.result != FileCheckResult::ok) return;
  const std::string bytes = plugin.image(listed.name);
  const std::string pluginPath = plugin.path().u8string();
  if (bytes.empty()) {
    check.result = FileCheckResult::missing;
    check.detail = "the plug-in " + pluginPath + " has no package " + listed.name;
  } else if (const std::string sha256 = sha256Hex(bytes); sha256 != listed.sha256) {
    check.result = FileCheckResult::sha256Differs;
    check.detail = "the plug-in " + pluginPath + " hands out " + listed.name + " as " +
                   std::to_string(bytes.size()) + " bytes of sha256 " + sha256;
  }
}

}  // namespace

VerifyResult verifyPlan(const VerifyChoice& choice, const PluginChoice& pluginChoice) {
  const std::vector<TrustedKey> keys = readTrustedKeys(choice.keys);
  const std::filesystem::path directory = std::filesystem::u8path(choice.directory);
  const Folder folder = Folder::open(directory, false);
  const std::string manifestPath = folder.pathOf(kManifest).u8string();
  if (folder.inspect(kManifest).kind != PathKind::regularFile)
    throw HostError::mismatch(manifestPath, "missing, so the plan is not complete");
  const std::string manifest = readDocument(folder, kManifest);
  const std::vector<ListedFile> listed = readManifest(manifest, manifestPath);
  VerifyResult result;
  result.directory = directory.u8string();
  result.packages = listed.size();
  result.isSigned = folder.inspect(kSignature).kind != PathKind::missing;
  if (!keys.empty()) result.signedBy = signerOf(folder, manifest, keys);
  std::set<std::string> own = {kManifest, kSums, kSignature};
  std::string sums;
  for (const ListedFile& file : listed) {
    result.files.push_back(checkPackage(folder, file));
    sums += sumsLine(file.sha256, file.file);
    own.insert(file.file);
  }
  result.files.push_back(checkSums(folder, sums));
  std::vector<std::string> present = folder.names();
  std::sort(present.begin(), present.end());
  for (const std::string& name : present) {
    if (own.count(name) == 0) {
      result.files.push_back(
          {name, folder.pathOf(name).u8string(), FileCheckResult::unlisted, "not in the manifest"});
    }
  }
  if (choice.matchPlugin) {
    const Plugin plugin = openPlugin(pluginChoice);
    for (size_t i = 0; i < listed.size(); ++i) matchPlugin(plugin, listed[i], result.files[i]);
    result.matchedPlugin = plugin.path().u8string();
  }
  return result;
}

}  // namespace fwhost
