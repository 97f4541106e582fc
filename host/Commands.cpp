#include "host/Commands.h"

#include <iostream>

#include "host/PluginLocation.h"

namespace fwhost {

Plugin openPlugin(const HostOptions& host) {
  return Plugin(host.plugin.empty() ? defaultPluginPath() : std::filesystem::u8path(host.plugin));
}

void printJson(const nlohmann::ordered_json& document) {
  std::cout << document.dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace)
            << '\n';
}

std::string fileLine(const std::string& path, uint64_t size, const std::string& sha256) {
  return path + "  " + std::to_string(size) + " bytes  sha256 " + sha256;
}

}  // namespace fwhost
