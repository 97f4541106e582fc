#include "host/plan/PlanWriter.h"

#include <algorithm>
#include <filesystem>
#include <optional>
#include <set>
#include <utility>
#include <vector>

#include "host/error/HostError.h"
#include "host/plan/PlanSignature.h"
#include "host/plan/Sha256.h"
#include "host/plan/WriteDecision.h"
#include "host/platform/Document.h"
#include "host/platform/SafeWrite.h"

namespace fwhost {
namespace {

// What each write of the plan does, decided before the first: the packages in flash order,
// then SHA256SUMS, then the manifest (with the bytes of one that is kept), then the signature
// (none: the plan is not signed).
struct Steps {
  std::vector<WriteStep> packages;
  WriteStep sums = WriteStep::write;
  WriteStep manifest = WriteStep::write;
  std::string keptManifest;
  std::optional<WriteStep> signature;
  std::string keptSignature;

  bool packagesChange() const {
    return sums == WriteStep::write ||
           std::count(packages.begin(), packages.end(), WriteStep::write) > 0;
  }
};

// The plan's folder, opened once. A real run makes it, locks it and removes what a killed run
// left of fwhost's own temporary files; a dry run has none when it is still to be made.
std::optional<Folder> openPlanFolder(const PlanPlace& place, bool dryRun) {
  if (dryRun && inspectPath(place.path()).kind == PathKind::missing) return std::nullopt;
  Folder named = Folder::open(place.named, !dryRun);
  Folder folder = place.inside.empty() ? std::move(named) : named.inside(place.inside, !dryRun);
  if (dryRun) return folder;
  folder.lock();
  folder.removeStaleTemporaries();
  return folder;
}

// Only the plan's own files may be there, so that verify can vouch for all the folder holds.
void refuseStrangers(const Folder& folder, const Plan& plan) {
  std::set<std::string> own = {kSums, kManifest, kSignature};
  for (const ListedFile& package : plan.packages) own.insert(package.file);
  std::vector<std::string> names = folder.names();
  std::sort(names.begin(), names.end());
  for (const std::string& name : names) {
    if (own.count(name) == 0 && !isTemporaryName(name)) {
      throw HostError::refusedTarget(folder.pathOf(name).u8string(),
                                     "is no part of this plan; a plan folder holds only its own");
    }
  }
}

bool present(const Folder& folder, const std::string& name) {
  return folder.inspect(name).kind != PathKind::missing;
}

// Fetched one at a time, for a file that needs them: SHA256SUMS and the manifest list them all.
void learnEverySha256(Plan& plan) {
  for (ListedFile& package : plan.packages) {
    if (package.sha256.empty()) fetchPackage(plan, package);
  }
}

// The manifest of the same plan is kept unless the packages change under it; another is
// replaced only with --force.
void decideManifest(const Folder& folder, const Plan& plan, OtherBytes otherBytes, Steps& steps) {
  const std::string planned = manifestOf(plan);
  const std::string existing = readDocument(folder, kManifest);
  if (!sameManifest(existing, planned)) {
    steps.manifest = decideWrite(folder, kManifest, planned, otherBytes);
  } else if (!steps.packagesChange()) {
    steps.manifest = WriteStep::keep;
    steps.keptManifest = existing;
  }
}

// A signature of the manifest kept is kept unless it is not the signing key's, which it is
// replaced by only with --force; a new manifest is signed anew, or left unsigned without a key.
void decideSignature(const Folder& folder, const std::optional<EcdsaKey>& key,
                     OtherBytes otherBytes, Steps& steps) {
  if (steps.manifest == WriteStep::keep && present(folder, kSignature)) {
    const std::string existing = readDocument(folder, kSignature);
    if (!key || key->verifies(steps.keptManifest, existing)) {
      steps.signature = WriteStep::keep;
      steps.keptSignature = existing;
      return;
    }
    steps.signature = decideWrite(folder, kSignature, key->sign(steps.keptManifest), otherBytes);
  }
}

// Every check of the plan, before anything is written. A package in place is fetched to be
// compared; a missing one waits to be fetched until it is written.
Steps decideSteps(Plan& plan, const std::optional<Folder>& folder,
                  const std::optional<EcdsaKey>& key, bool force) {
  const OtherBytes otherBytes = force ? OtherBytes::replace : OtherBytes::refuse;
  Steps steps;
  if (folder) refuseStrangers(*folder, plan);
  for (ListedFile& package : plan.packages) {
    const bool inPlace = folder && present(*folder, package.file);
    steps.packages.push_back(
        inPlace ? decideWrite(*folder, package.file, fetchPackage(plan, package), otherBytes)
                : WriteStep::write);
  }
  if (folder && (present(*folder, kSums) || present(*folder, kManifest))) learnEverySha256(plan);
  if (folder && present(*folder, kSums))
    steps.sums = decideWrite(*folder, kSums, sumsOf(plan), otherBytes);
  if (folder && present(*folder, kManifest)) decideManifest(*folder, plan, otherBytes, steps);
  if (folder) decideSignature(*folder, key, otherBytes, steps);
  if (key && !steps.signature) steps.signature = WriteStep::write;
  return steps;
}

// Says what was done with each file.
class Report {
 public:
  Report(const Plan& plan, bool dryRun) : directory_(plan.place.path()), dryRun_(dryRun) {}

  void operator()(const std::string& file, uint64_t size, const std::string& sha256,
                  WriteStep step) {
    const FileAction action = step == WriteStep::keep ? FileAction::kept
                              : dryRun_               ? FileAction::wouldWrite
                                                      : FileAction::written;
    files.push_back({file, joinedPath(directory_, file).u8string(), size, sha256, action});
  }

  std::vector<FileResult> files;

 private:
  std::filesystem::path directory_;
  bool dryRun_;
};

// Each package that is written (into folder; none: a dry run) is fetched, hashed and written before
// the next is fetched.
void writePackages(Plan& plan, const Steps& steps, const Folder* folder, Report& report) {
  for (size_t i = 0; i < plan.packages.size(); ++i) {
    ListedFile& package = plan.packages[i];
    if (steps.packages[i] == WriteStep::write) {
      const std::string bytes = fetchPackage(plan, package);
      if (folder) folder->write(package.file, bytes);
    }
    report(package.file, package.size, package.sha256, steps.packages[i]);
  }
}

// Writes SHA256SUMS, then the manifest, then its signature into folder (none: a dry run), and
// reports them. A new manifest's old signature goes first, so that no signature ever stands
// beside a manifest it does not sign.
void writeSumsAndManifest(const Plan& plan, const Steps& steps, const std::optional<EcdsaKey>& key,
                          const Folder* folder, Report& report) {
  const std::string sums = sumsOf(plan);
  if (folder && steps.sums == WriteStep::write) folder->write(kSums, sums);
  report(kSums, sums.size(), sha256Hex(sums), steps.sums);
  const std::string manifest =
      steps.manifest == WriteStep::keep ? steps.keptManifest : manifestOf(plan);
  if (folder && steps.manifest == WriteStep::write) {
    folder->remove(kSignature);
    folder->write(kManifest, manifest);
  }
  report(kManifest, manifest.size(), sha256Hex(manifest), steps.manifest);
  if (!steps.signature) return;
  const std::string signature =
      *steps.signature == WriteStep::keep ? steps.keptSignature : key->sign(manifest);
  if (folder && *steps.signature == WriteStep::write) folder->write(kSignature, signature);
  report(kSignature, signature.size(), sha256Hex(signature), *steps.signature);
}

}  // namespace

PlanResult writePlan(Plan plan, const PlanWrite& how) {
  const std::optional<EcdsaKey> key =
      how.signingKey.empty() ? std::nullopt : std::optional(readSigningKey(how.signingKey));
  checkFolder(plan.place.path());
  const std::optional<Folder> folder = openPlanFolder(plan.place, how.dryRun);
  const Steps steps = decideSteps(plan, folder, key, how.force);
  // Until the packages are all in place, no manifest may claim a complete plan.
  if (!how.dryRun && steps.packagesChange()) {
    folder->remove(kSignature);
    folder->remove(kManifest);
  }
  const Folder* writing = how.dryRun ? nullptr : &*folder;
  Report report(plan, how.dryRun);
  writePackages(plan, steps, writing, report);
  writeSumsAndManifest(plan, steps, key, writing, report);
  return {
      PlanOutcome::planned, "",         plan.place.path().u8string(), plan.destination, how.dryRun,
      plan.packages.size(), plan.bytes, std::move(report.files)};
}

}  // namespace fwhost
