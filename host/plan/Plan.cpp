#include "host/plan/Plan.h"

#include <ctime>
#include <utility>

#include <nlohmann/json.hpp>

#include "host/error/HostError.h"
#include "host/plan/Sha256.h"
#include "host/plan/WriteDecision.h"
#include "host/plugin/Answer.h"

namespace fwhost {
namespace {

namespace fs = std::filesystem;
using Json = nlohmann::ordered_json;

PlanFile planFile(fs::path path, std::string bytes) {
  std::string sha256 = sha256Hex(bytes);
  return {std::move(path), std::move(bytes), std::move(sha256)};
}

std::string utcNow() {
  const std::time_t now = std::time(nullptr);
  char text[32];
  std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", std::gmtime(&now));
  return text;
}

Json manifestOf(const Plugin& plugin, const MappedDrive& mapped, const Json& packages) {
  Json drive = Json::object();
  for (const char* key : {"ModelNumber", "SerialNumber", "Firmware"}) {
    const auto found = mapped.ruleAttributes.find(key);
    drive[key] = found == mapped.ruleAttributes.end() ? Json(nullptr) : Json(found->second);
  }
  return {{"fwhost", FWHOST_VERSION},
          {"created", utcNow()},
          {"plugin", {{"path", plugin.path().u8string()}, {"version", plugin.version()}}},
          {"drive", drive},
          {"verdict", verdictName(mapped.answer.verdict)},
          {"status", mapped.answer.status},
          {"destination", mapped.answer.destination},
          {"packages", packages}};
}

// The package's bytes; the plug-in named it, so it must hand it out.
std::string packageBytes(const Plugin& plugin, const std::string& name) {
  std::string bytes = isPlainFileName(name) ? plugin.image(name) : std::string();
  if (bytes.empty()) {
    throw HostError::inconsistentAnswer(plugin.path().u8string(),
                                        "package " + name + " cannot be fetched");
  }
  return bytes;
}

}  // namespace

PlanFile withBytes(const PlanFile& file, std::string bytes) {
  return planFile(file.path, std::move(bytes));
}

Plan makePlan(const Plugin& plugin, const MappedDrive& mapped, const fs::path& directory) {
  if (mapped.answer.packages.empty()) {
    throw HostError::inconsistentAnswer(plugin.path().u8string(), "an update without packages");
  }
  Plan plan;
  plan.directory = directory;
  plan.destination = mapped.answer.destination;
  Json entries = Json::array();
  std::string sums;
  for (const std::string& name : mapped.answer.packages) {
    const std::string file = name + ".bin";
    const PlanFile& package = plan.packages.emplace_back(
        planFile(directory / fs::u8path(file), packageBytes(plugin, name)));
    plan.bytes += package.bytes.size();
    entries.push_back({{"order", entries.size() + 1},
                       {"name", name},
                       {"file", file},
                       {"size", package.bytes.size()},
                       {"sha256", package.sha256}});
    sums += package.sha256 + "  " + file + '\n';
  }
  plan.sums = planFile(directory / "SHA256SUMS", sums);
  plan.manifest =
      planFile(directory / "manifest.json", manifestOf(plugin, mapped, entries).dump(2) + '\n');
  return plan;
}

}  // namespace fwhost
