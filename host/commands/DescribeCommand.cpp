// fwhost describe: writes a drive description, so nobody has to learn its format by hand.
#include <iostream>
#include <memory>
#include <string>

#include "host/commands/CommonOptions.h"
#include "host/drive/DriveInput.h"

namespace fwhost {

CommandAction addDescribeCommand(CLI::App& command, HostOptions& host) {
  auto settings = std::make_shared<std::vector<std::string>>();
  addSettingsOption(command, *settings);
  addJsonOption(command, host, "print {\"description\": XML}");
  return [&host, settings] {
    const std::string xml = describe(*settings).xml();
    if (host.output == OutputMode::json) {
      printJson({{"description", xml}});
    } else {
      std::cout << xml;
    }
  };
}

}  // namespace fwhost
