// fwhost describe: writes a drive description, so nobody has to learn its format by hand.
#include <memory>
#include <string>

#include "host/commands/CommonOptions.h"
#include "host/drive/DriveInput.h"

namespace fwhost {

CommandAction addDescribeCommand(CLI::App& command, HostOptions&) {
  auto settings = std::make_shared<std::vector<std::string>>();
  addSettingsOption(command, *settings);
  addJsonOption(command, "print {\"description\": XML}");
  return [settings]() -> Result { return DescribeResult{describe(*settings).xml()}; };
}

}  // namespace fwhost
