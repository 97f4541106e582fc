// fwhost --version: which fwhost this is, and which plug-in it would load.
#include <iostream>
#include <string>

#include <nlohmann/json.hpp>

#include "host/commands/Commands.h"
#include "host/error/HostError.h"
#include "host/plan/Sha256.h"
#include "host/plugin/Plugin.h"
#include "host/plugin/PluginLocation.h"

namespace fwhost {

namespace {

using Json = nlohmann::ordered_json;

// The loaded plug-in's path, SHA-256 and Version; null when none loads. What fails is said on
// stderr: that no plug-in loaded, or that the one loaded cannot say its Version.
Json loadedPlugin(const HostOptions& host) {
  try {
    const Plugin plugin = openPlugin(host.plugin);
    Json loaded = {{"path", plugin.path().u8string()},
                   {"sha256", sha256OfFile(plugin.path())},
                   {"version", nullptr}};
    try {
      loaded["version"] = plugin.version();
    } catch (const HostError& error) {
      std::cerr << "fwhost: plug-in loaded, but its Version cannot be read: " << error.what()
                << '\n';
    }
    return loaded;
  } catch (const HostError& error) {
    std::cerr << "fwhost: no plug-in loaded: " << error.what() << '\n';
    return nullptr;
  }
}

}  // namespace

void printVersion(const HostOptions& host) {
  const Json version = {{"fwhost", FWHOST_VERSION}, {"plugin", loadedPlugin(host)}};
  if (host.output == OutputMode::json) {
    printJson(version);
    return;
  }
  std::cout << "fwhost " << FWHOST_VERSION << '\n';
  const Json& plugin = version["plugin"];
  if (plugin.is_null()) return;
  std::cout << "plug-in " << plugin["path"].get<std::string>() << " Version "
            << (plugin["version"].is_null() ? "unknown" : plugin["version"].get<std::string>())
            << '\n';
}

}  // namespace fwhost
