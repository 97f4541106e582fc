#include "host/plan/PlanCheck.h"

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "host/error/HostError.h"
#include "host/plan/Manifest.h"
#include "host/plan/Plan.h"
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

}  // namespace

VerifyResult verifyPlan(const std::filesystem::path& directory) {
  const Folder folder = Folder::open(directory, false);
  const std::string manifestPath = folder.pathOf(kManifest).u8string();
  if (folder.inspect(kManifest).kind != PathKind::regularFile)
    throw HostError::mismatch(manifestPath, "missing, so the plan is not complete");
  const std::vector<ListedFile> listed =
      readManifest(readDocument(folder, kManifest), manifestPath);
  VerifyResult result{directory.u8string(), listed.size(), {}};
  std::set<std::string> own = {kManifest, kSums};
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
  return result;
}

}  // namespace fwhost
