#include "host/plan/Plan.h"

#include <utility>

#include "host/error/HostError.h"
#include "host/plan/Sha256.h"
#include "host/platform/SafeWrite.h"

namespace fwhost {

std::filesystem::path PlanPlace::path() const {
  return inside.empty() ? named : joinedPath(named, inside);
}

PluginFile pluginFile(const Plugin& plugin) {
  const std::string version = plugin.version();
  return {plugin.path().u8string(), sha256OfFile(plugin.path()),
          version.empty() ? std::nullopt : std::optional<std::string>(version)};
}

Plan makePlan(const Plugin& plugin, const MappedDrive& mapped, PlanPlace place) {
  if (!mapped.repeatedRuleKeys.empty()) {
    throw HostError::invalidInput(mapped.origin, mapped.repeatedRuleKeys.front() +
                                                     " is given more than once; a plan records "
                                                     "one value, so give it once");
  }
  Plan plan{&plugin,
            std::move(place),
            mapped.answer.destination,
            {},
            0,
            manifestHead(pluginFile(plugin), mapped)};
  // A manifest is UTF-8: a text that is not could be recorded only as other text than the
  // plug-in read.
  try {
    static_cast<void>(plan.manifest.dump());
  } catch (const nlohmann::ordered_json::type_error&) {
    throw HostError::invalidInput(mapped.origin,
                                  "gives text that is not UTF-8, which a plan's manifest cannot "
                                  "record as the plug-in read it");
  }
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

std::string fetchPackage(const Plan& plan, ListedFile& package) {
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

std::string sumsLine(const std::string& sha256, const std::string& file) {
  return sha256 + "  " + file + '\n';
}

std::string sumsOf(const Plan& plan) {
  std::string sums;
  for (const ListedFile& package : plan.packages) sums += sumsLine(package.sha256, package.file);
  return sums;
}

std::string manifestOf(const Plan& plan) { return manifestText(plan.manifest, plan.packages); }

}  // namespace fwhost
