#include "host/plan/PlanWriter.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <system_error>
#include <utility>
#include <vector>

#include "host/error/HostError.h"
#include "host/output/Output.h"
#include "host/plan/WriteDecision.h"
#include "host/platform/SafeWrite.h"

namespace fwhost {
namespace {

namespace fs = std::filesystem;
using Json = nlohmann::ordered_json;

// One file of the plan with what its write does.
struct Step {
  PlanFile file;
  WriteStep step = WriteStep::write;
};

using Steps = std::vector<Step>;

// Whether any of the steps writes: the packages and their sums change when one does.
bool anyWrites(Steps::const_iterator first, Steps::const_iterator last) {
  return std::any_of(first, last, [](const Step& step) { return step.step == WriteStep::write; });
}

// The manifest already there, when it differs from the planned one only in when it was made.
std::optional<std::string> sameManifest(const PlanFile& manifest) {
  if (inspectPath(manifest.path).kind != PathKind::regularFile) return std::nullopt;
  std::ifstream file(manifest.path, std::ios::binary);
  std::string existing{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
  const Json found = Json::parse(existing, nullptr, false);
  Json planned = Json::parse(manifest.bytes);
  if (found.is_object() && found.contains("created")) planned["created"] = found["created"];
  if (found != planned) return std::nullopt;
  return existing;
}

// The same plan made earlier keeps its manifest, unless the packages change under it; another
// manifest is replaced only with --force.
Step manifestStep(PlanFile manifest, bool packagesChange, OtherBytes otherBytes) {
  const std::optional<std::string> existing = sameManifest(manifest);
  if (existing && !packagesChange) return {withBytes(manifest, *existing), WriteStep::keep};
  if (existing) return {std::move(manifest), WriteStep::write};
  const WriteStep step = decideWrite(manifest.path, manifest.bytes, otherBytes);
  return {std::move(manifest), step};
}

Step decidedStep(PlanFile file, OtherBytes otherBytes) {
  const WriteStep step = decideWrite(file.path, file.bytes, otherBytes);
  return {std::move(file), step};
}

// Every file in the order it is written, taken out of plan, with what its write does; decided
// before any write.
Steps decideSteps(Plan& plan, bool force) {
  const OtherBytes otherBytes = force ? OtherBytes::replace : OtherBytes::refuse;
  Steps steps;
  for (PlanFile& file : plan.packages) steps.push_back(decidedStep(std::move(file), otherBytes));
  steps.push_back(decidedStep(std::move(plan.sums), otherBytes));
  const bool packagesChange = anyWrites(steps.begin(), steps.end());
  steps.push_back(manifestStep(std::move(plan.manifest), packagesChange, otherBytes));
  return steps;
}

// Until the packages are all in place, no manifest may claim a complete plan.
void removeStaleManifest(const Steps& steps) {
  const fs::path& manifest = steps.back().file.path;
  std::error_code error;
  if (anyWrites(steps.begin(), steps.end() - 1) && !fs::remove(manifest, error) && error)
    throw HostError::io(manifest.u8string(), "cannot remove: " + error.message());
}

const char* stepWords(WriteStep step, bool dryRun) {
  if (step == WriteStep::keep) return "kept";
  return dryRun ? "would write" : "wrote";
}

std::string heading(const Plan& plan) {
  return "update to " + plan.destination + ": " + std::to_string(plan.packages.size()) +
         " packages, " + std::to_string(plan.bytes) + " bytes, into " + plan.directory.u8string();
}

}  // namespace

Json writePlan(Plan plan, const PlanWrite& how, const PlanLines& line) {
  checkFolder(plan.directory);
  const Json summary = {{"packages", plan.packages.size()},
                        {"bytes", plan.bytes},
                        {"directory", plan.directory.u8string()},
                        {"dry_run", how.dryRun}};
  const std::string head = heading(plan);
  const Steps steps = decideSteps(plan, how.force);
  line(head);
  if (!how.dryRun) {
    makeFolder(plan.directory);
    removeStaleManifest(steps);
  }
  Json written = Json::array();
  for (const auto& [file, step] : steps) {
    if (step == WriteStep::write && !how.dryRun) writeFileSafely(file.path, file.bytes);
    const char* words = stepWords(step, how.dryRun);
    line(words + (" " + fileLine(file.path.u8string(), file.bytes.size(), file.sha256)));
    written.push_back({{"file", file.path.u8string()},
                       {"size", file.bytes.size()},
                       {"sha256", file.sha256},
                       {"action", words}});
  }
  Json result = summary;
  result["files"] = written;
  return result;
}

}  // namespace fwhost
