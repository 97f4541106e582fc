// Which plug-in fwhost loads: the one the user names, else the first at the default places.
#ifndef FWHOST_PLUGIN_PLUGINLOCATION_H
#define FWHOST_PLUGIN_PLUGINLOCATION_H

#include <filesystem>
#include <string>
#include <vector>

#include "host/plugin/Plugin.h"

namespace fwhost {

// What the command line says about the plug-in.
struct PluginChoice {
  std::string path;  // --plugin; empty: the default location
  LogView log;
  WorkerLimits limits;  // --plugin-timeout
};

// In order: beside fwhost, the installed plug-in folder, the build tree's plug-in folder.
std::vector<std::filesystem::path> pluginCandidates();

// The first candidate that exists; HostError (unusablePlugin) listing them all when none does.
std::filesystem::path defaultPluginPath();

// The chosen plug-in, loaded; HostError as Plugin's constructor and defaultPluginPath say.
Plugin openPlugin(const PluginChoice& choice);

}  // namespace fwhost

#endif
