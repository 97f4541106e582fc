#include "host/plugin/PluginLocation.h"

#include <algorithm>
#include <system_error>

#include "host/error/HostError.h"
#include "host/platform/ExecutableDirectory.h"

namespace fwhost {

std::vector<std::filesystem::path> pluginCandidates() {
  const std::filesystem::path directory = executableDirectory();
  if (directory.empty()) return {};
  // The last two folders are given by the build relative to fwhost's own folder; on Windows
  // the installed one is fwhost's own, and is looked in once.
  std::vector<std::filesystem::path> candidates;
  for (const char* folder : {".", FWHOST_INSTALLED_PLUGIN_DIR, FWHOST_BUILT_PLUGIN_DIR}) {
    const auto candidate = (directory / folder / FWHOST_PLUGIN_FILE).lexically_normal();
    if (std::find(candidates.begin(), candidates.end(), candidate) == candidates.end())
      candidates.push_back(candidate);
  }
  return candidates;
}

std::filesystem::path defaultPluginPath() {
  std::vector<std::string> tried;
  for (const auto& candidate : pluginCandidates()) {
    std::error_code error;
    if (std::filesystem::exists(candidate, error)) return candidate;
    tried.push_back(candidate.u8string());
  }
  throw HostError::noPluginFound(tried);
}

Plugin openPlugin(const PluginChoice& choice) {
  return Plugin(choice.path.empty() ? defaultPluginPath() : std::filesystem::u8path(choice.path),
                choice.log, choice.limits);
}

}  // namespace fwhost
