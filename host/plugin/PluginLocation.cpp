#include "host/plugin/PluginLocation.h"

#include <algorithm>
#include <string>

#include "host/platform/ExecutableDirectory.h"
#include "host/error/HostError.h"

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
