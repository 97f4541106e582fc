// fwhost info: the plug-in's configuration document, and which file answered it.
#include "host/commands/CommonOptions.h"
#include "host/plan/ImageNames.h"
#include "host/plan/Plan.h"
#include "host/plugin/Answer.h"
#include "host/plugin/Plugin.h"

namespace fwhost {

CommandAction addInfoCommand(CLI::App& command, HostOptions& host) {
  addJsonOption(command,
                "print {\"plugin\", \"attributes\", \"images\"}, each attribute as a typed value");
  return [&host]() -> Result {
    const Plugin plugin = openPlugin(host.plugin);
    return InfoResult{pluginFile(plugin),
                      readAnswer(plugin.configuration(), plugin.path().u8string()),
                      knownImages(plugin)};
  };
}

}  // namespace fwhost
