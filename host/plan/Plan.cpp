#include "host/plan/Plan.h"

#include <ctime>
#include <utility>

#include "host/error/HostError.h"
#include "host/plan/Sha256.h"
#include "host/platform/SafeWrite.h"
#include "host/plugin/Answer.h"

namespace fwhost {
namespace {

namespace fs = std::filesystem;
using Json = nlohmann::ordered_json;

std::string utcNow() {
  const std::time_t now = std::time(nullptr);
  char text[32];
  std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", std::gmtime(&now));
  return text;
}

// The manifest's fields, in the order it lists them; created and the packages come when written.
Json manifestHead(const Plugin& plugin, const MappedDrive& mapped) {
  Json drive = Json::object();
  for (const char* key : {"ModelNumber", "SerialNumber", "Firmware"}) {
    const auto found = mapped.ruleAttributes.find(key);
    drive[key] = found == mapped.ruleAttributes.end() ? Json(nullptr) : Json(found->second);
  }
  return {{"fwhost", FWHOST_VERSION},
          {"created", ""},
          {"plugin", {{"path", plugin.path().u8string()}, {"version", plugin.version()}}},
          {"drive", drive},
          {"verdict", verdictName(mapped.answer.verdict)},
          {"status", mapped.answer.status},
          {"destination", mapped.answer.destination},
          {"packages", Json::array()}};
}

}  // namespace

fs::path PlanPlace::path() const { return inside.empty() ? named : joinedPath(named, inside); }

Plan makePlan(const Plugin& plugin, const MappedDrive& mapped, PlanPlace place) {
  if (!mapped.repeatedRuleKeys.empty()) {
    throw HostError::invalidInput(mapped.origin, mapped.repeatedRuleKeys.front() +
                                                     " is given more than once; a plan records "
                                                     "one value, so give it once");
  }
  Plan plan{
      &plugin, std::move(place), mapped.answer.destination, {}, 0, manifestHead(plugin, mapped)};
  for (const std::string& name : mapped.answer.packages) {
    const uint32_t size = plugin.imageSize(name);
    if (size == 0) {
      throw HostError::inconsistentAnswer(plugin.path().u8string(),
                                          "package " + name + " cannot be fetched");
    }
    plan.packages.push_back({name, name + ".bin", size, ""});
    plan.bytes += size;
  }
  return plan;
}

std::string fetchPackage(const Plan& plan, PlanPackage& package) {
  std::string bytes = plan.plugin->image(package.name);
  const std::string sha256 = sha256Hex(bytes);
  if (bytes.size() != package.size || (!package.sha256.empty() && sha256 != package.sha256)) {
    throw HostError::inconsistentAnswer(
        plan.plugin->path().u8string(),
        "package " + package.name + " handed out with other bytes than before");
  }
  package.sha256 = sha256;
  return bytes;
}

std::string sumsOf(const Plan& plan) {
  std::string sums;
  for (const PlanPackage& package : plan.packages)
    sums += package.sha256 + "  " + package.file + '\n';
  return sums;
}

std::string manifestOf(const Plan& plan) {
  Json manifest = plan.manifest;
  manifest["created"] = utcNow();
  for (const PlanPackage& package : plan.packages) {
    manifest["packages"].push_back({{"order", manifest["packages"].size() + 1},
                                    {"name", package.name},
                                    {"file", package.file},
                                    {"size", package.size},
                                    {"sha256", package.sha256}});
  }
  return manifest.dump(2) + '\n';
}

}  // namespace fwhost
