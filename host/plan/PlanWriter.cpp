#include "host/plan/PlanWriter.h"

#include <algorithm>
#include <filesystem>
#include <optional>
#include <set>
#include <utility>
#include <vector>

#include "host/error/HostError.h"
#include "host/output/Output.h"
#include "host/plan/Sha256.h"
#include "host/plan/WriteDecision.h"
#include "host/platform/Document.h"
#include "host/platform/SafeWrite.h"

namespace fwhost {
namespace {

using Json = nlohmann::ordered_json;

// What each write of the plan does, decided before the first: the packages in flash order,
// then SHA256SUMS, then the manifest (with the bytes of one that is kept).
struct Steps {
  std::vector<WriteStep> packages;
  WriteStep sums = WriteStep::write;
  WriteStep manifest = WriteStep::write;
  std::string keptManifest;

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
  for (const std::string& name : folder.names()) {
    if (isTemporaryName(name)) folder.remove(name);
  }
  return folder;
}

// Only the plan's own files may be there, so that verify can vouch for all the folder holds.
void refuseStrangers(const Folder& folder, const Plan& plan) {
  std::set<std::string> own = {kSums, kManifest};
  for (const PlanPackage& package : plan.packages) own.insert(package.file);
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
  for (PlanPackage& package : plan.packages) {
    if (package.sha256.empty()) fetchPackage(plan, package);
  }
}

// The manifest there, when it is this plan's: neither when it was made nor where fwhost and the
// plug-in were then makes it another.
std::optional<std::string> sameManifest(const Folder& folder, const std::string& planned) {
  const std::string existing = readDocument(folder, kManifest);
  const Json found = Json::parse(existing, nullptr, false);
  Json ours = Json::parse(planned);
  for (const char* field : {"/created", "/plugin/path"}) {
    const Json::json_pointer pointer(field);
    if (found.is_object() && found.contains(pointer)) ours[pointer] = found[pointer];
  }
  if (found != ours) return std::nullopt;
  return existing;
}

// The manifest of the same plan is kept unless the packages change under it; another is
// replaced only with --force.
void decideManifest(const Folder& folder, const Plan& plan, OtherBytes otherBytes, Steps& steps) {
  const std::string planned = manifestOf(plan);
  const std::optional<std::string> existing = sameManifest(folder, planned);
  if (!existing) {
    steps.manifest = decideWrite(folder, kManifest, planned, otherBytes);
  } else if (!steps.packagesChange()) {
    steps.manifest = WriteStep::keep;
    steps.keptManifest = *existing;
  }
}

// Every check of the plan, before anything is written. A package in place is fetched to be
// compared; a missing one waits to be fetched until it is written.
Steps decideSteps(Plan& plan, const std::optional<Folder>& folder, bool force) {
  const OtherBytes otherBytes = force ? OtherBytes::replace : OtherBytes::refuse;
  Steps steps;
  if (folder) refuseStrangers(*folder, plan);
  for (PlanPackage& package : plan.packages) {
    const bool inPlace = folder && present(*folder, package.file);
    steps.packages.push_back(
        inPlace ? decideWrite(*folder, package.file, fetchPackage(plan, package), otherBytes)
                : WriteStep::write);
  }
  if (folder && (present(*folder, kSums) || present(*folder, kManifest))) learnEverySha256(plan);
  if (folder && present(*folder, kSums))
    steps.sums = decideWrite(*folder, kSums, sumsOf(plan), otherBytes);
  if (folder && present(*folder, kManifest)) decideManifest(*folder, plan, otherBytes, steps);
  return steps;
}

const char* stepWords(WriteStep step, bool dryRun) {
  if (step == WriteStep::keep) return "kept";
  return dryRun ? "would write" : "wrote";
}

std::string heading(const Plan& plan) {
  return "update to " + plan.destination + ": " + std::to_string(plan.packages.size()) +
         " packages, " + std::to_string(plan.bytes) + " bytes, into " +
         plan.place.path().u8string();
}

// Says what was done with a file, as a line and as an entry of "files".
class Report {
 public:
  Report(const Plan& plan, bool dryRun, const PlanLines& line)
      : directory_(plan.place.path()), dryRun_(dryRun), line_(line) {}

  void operator()(const std::string& file, uint64_t size, const std::string& sha256,
                  WriteStep step) {
    const std::string path = joinedPath(directory_, file).u8string();
    const char* words = stepWords(step, dryRun_);
    line_(words + (" " + fileLine(path, size, sha256)));
    files.push_back({{"file", path}, {"size", size}, {"sha256", sha256}, {"action", words}});
  }

  Json files = Json::array();

 private:
  std::filesystem::path directory_;
  bool dryRun_;
  const PlanLines& line_;
};

// Each package that is written (into folder; none: a dry run) is fetched, hashed and written before
// the next is fetched.
void writePackages(Plan& plan, const Steps& steps, const Folder* folder, Report& report) {
  for (size_t i = 0; i < plan.packages.size(); ++i) {
    PlanPackage& package = plan.packages[i];
    if (steps.packages[i] == WriteStep::write) {
      const std::string bytes = fetchPackage(plan, package);
      if (folder) folder->write(package.file, bytes);
    }
    report(package.file, package.size, package.sha256, steps.packages[i]);
  }
}

// Writes SHA256SUMS, then the manifest, into folder (none: a dry run), and reports them.
void writeSumsAndManifest(const Plan& plan, const Steps& steps, const Folder* folder,
                          Report& report) {
  const std::string sums = sumsOf(plan);
  if (folder && steps.sums == WriteStep::write) folder->write(kSums, sums);
  report(kSums, sums.size(), sha256Hex(sums), steps.sums);
  const std::string manifest =
      steps.manifest == WriteStep::keep ? steps.keptManifest : manifestOf(plan);
  if (folder && steps.manifest == WriteStep::write) folder->write(kManifest, manifest);
  report(kManifest, manifest.size(), sha256Hex(manifest), steps.manifest);
}

}  // namespace

Json writePlan(Plan plan, const PlanWrite& how, const PlanLines& line) {
  checkFolder(plan.place.path());
  const std::optional<Folder> folder = openPlanFolder(plan.place, how.dryRun);
  const Steps steps = decideSteps(plan, folder, how.force);
  line(heading(plan));
  // Until the packages are all in place, no manifest may claim a complete plan.
  if (!how.dryRun && steps.packagesChange()) folder->remove(kManifest);
  const Folder* writing = how.dryRun ? nullptr : &*folder;
  Report report(plan, how.dryRun, line);
  writePackages(plan, steps, writing, report);
  writeSumsAndManifest(plan, steps, writing, report);
  return {{"packages", plan.packages.size()},
          {"bytes", plan.bytes},
          {"directory", plan.place.path().u8string()},
          {"dry_run", how.dryRun},
          {"files", report.files}};
}

}  // namespace fwhost
