// Where fwhost looks for the plug-in when no --plugin is given.
#ifndef FWHOST_PLUGINLOCATION_H
#define FWHOST_PLUGINLOCATION_H

#include <filesystem>
#include <vector>

namespace fwhost {

// In order: beside fwhost, the installed plug-in folder, the build tree's plug-in folder.
std::vector<std::filesystem::path> pluginCandidates();

// The first candidate that exists; HostError (input) listing them all when none does.
std::filesystem::path defaultPluginPath();

}  // namespace fwhost

#endif
