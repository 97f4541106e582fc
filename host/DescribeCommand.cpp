// fwhost describe: writes a drive description, so nobody has to learn its format by hand.
#include <iostream>
#include <memory>

#include "host/Commands.h"
#include "host/DriveInput.h"

namespace fwhost {

void addDescribeCommand(CLI::App& app) {
  auto settings = std::make_shared<std::vector<std::string>>();
  CLI::App* command =
      app.add_subcommand("describe", "Print the drive description that --set settings make");
  addSettingsOption(*command, *settings);
  command->callback([settings] { std::cout << describe(*settings).xml(); });
}

}  // namespace fwhost
