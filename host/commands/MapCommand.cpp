// fwhost map: what the plug-in answers for one drive.
#include <memory>

#include "host/commands/CommonOptions.h"
#include "host/drive/DriveInput.h"
#include "host/plugin/DriveMapping.h"
#include "host/plugin/Plugin.h"

namespace fwhost {

CommandAction addMapCommand(CLI::App& command, HostOptions& host) {
  auto input = std::make_shared<DriveInput>();
  addDriveOptions(command, *input);
  addJsonOption(command, "print {\"mapping\"}");
  addXmlOption(command, host);
  return [&host, input]() -> Result {
    const DriveText drive = readDrive(*input);
    const MappedDrive mapped = mapDrive(openPlugin(host.plugin), drive, host.warnings);
    return MapResult{mapped.answer, mapped.document};
  };
}

}  // namespace fwhost
