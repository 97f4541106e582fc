// fwhost --version: which fwhost this is, and which plug-in it would load.
#include <iostream>
#include <string>

#include <nlohmann/json.hpp>

#include "host/commands/Commands.h"
#include "host/error/HostError.h"
#include "host/plan/Sha256.h"
#include "host/plugin/Plugin.h"

namespace fwhost {

void printVersion(const HostOptions& host) {
  nlohmann::ordered_json version = {{"fwhost", FWHOST_VERSION}, {"plugin", nullptr}};
  try {
    const Plugin plugin = openPlugin(host.plugin);
    version["plugin"] = {{"path", plugin.path().u8string()},
                         {"sha256", sha256OfFile(plugin.path())},
                         {"version", plugin.version()}};
  } catch (const HostError& error) {
    std::cerr << "fwhost: no plug-in loaded: " << error.what() << '\n';
  }
  if (host.output == OutputMode::json) {
    printJson(version);
    return;
  }
  std::cout << "fwhost " << FWHOST_VERSION << '\n';
  if (!version["plugin"].is_null()) {
    std::cout << "plug-in " << version["plugin"]["path"].get<std::string>() << " Version "
              << version["plugin"]["version"].get<std::string>() << '\n';
  }
}

}  // namespace fwhost
