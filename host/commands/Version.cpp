// fwhost --version: which fwhost this is, and which plug-in it would load.
#include <string>

#include "host/commands/Commands.h"
#include "host/error/HostError.h"
#include "host/plan/Sha256.h"
#include "host/plugin/Plugin.h"

namespace fwhost {

Result versionResult(HostOptions& host) {
  VersionResult version{FWHOST_VERSION, std::nullopt};
  try {
    const Plugin plugin = openPlugin(host.plugin);
    version.plugin = PluginFile{plugin.path().u8string(), sha256OfFile(plugin.path()), {}};
    try {
      if (std::string text = plugin.version(); !text.empty()) version.plugin->version = text;
    } catch (const HostError& error) {
      host.warnings.push_back(
          {"plugin-version-unreadable", "",
           std::string("plug-in loaded, but its Version cannot be read: ") + error.what()});
    }
  } catch (const HostError& error) {
    host.warnings.push_back(
        {"plugin-not-loaded", "", std::string("no plug-in loaded: ") + error.what()});
  }
  return version;
}

}  // namespace fwhost
