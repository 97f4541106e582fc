#include "host/PluginLocation.h"

#include <string>

#include "host/ExecutableDirectory.h"
#include "host/HostError.h"

namespace fwhost {

std::vector<std::filesystem::path> pluginCandidates() {
  const std::filesystem::path directory = executableDirectory();
  if (directory.empty()) return {};
  // The two folders are given by the build relative to fwhost's own folder.
  return {
      directory / FWHOST_PLUGIN_FILE,
      (directory / FWHOST_INSTALLED_PLUGIN_DIR / FWHOST_PLUGIN_FILE).lexically_normal(),
      (directory / FWHOST_BUILT_PLUGIN_DIR / FWHOST_PLUGIN_FILE).lexically_normal(),
  };
}

std::filesystem::path defaultPluginPath() {
  const auto candidates = pluginCandidates();
  std::string tried;
  for (const auto& candidate : candidates) {
    if (std::filesystem::exists(candidate)) return candidate;
    tried += (tried.empty() ? "" : ", ") + candidate.u8string();
  }
  throw HostError(ExitCode::input,
                  "no plug-in found (looked for " + tried + "); use --plugin PATH");
}

}  // namespace fwhost
