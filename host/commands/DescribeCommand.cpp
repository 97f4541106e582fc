// fwhost describe: writes a drive description, so nobody has to learn its format by hand.
#include <memory>
#include <string>

#include "host/commands/CommonOptions.h"
#include "host/drive/DriveInput.h"
#include "host/error/HostError.h"

namespace fwhost {

CommandAction addDescribeCommand(CLI::App& command, HostOptions&) {
  auto settings = std::make_shared<std::vector<std::string>>();
  addSettingsOption(command, *settings);
  addJsonOption(command, "print {\"description\": XML}");
  return [settings]() -> Result {
    if (settings->empty()) throw HostError::usage("describe needs at least one --set Key=Value");
    return DescribeResult{describe(*settings).xml()};
  };
}

}  // namespace fwhost
