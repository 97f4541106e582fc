// fwhost describe: writes a drive description, so nobody has to learn its format by hand.
#include <iostream>
#include <memory>

#include "host/commands/Commands.h"
#include "host/drive/DriveInput.h"

namespace fwhost {
namespace {

struct DescribeOptions {
  std::vector<std::string> settings;
};

}  // namespace

void addDescribeCommand(CLI::App& app, HostOptions& host) {
  auto options = std::make_shared<DescribeOptions>();
  CLI::App* command =
      app.add_subcommand("describe", "Print the drive description that --set settings make");
  addSettingsOption(*command, options->settings);
  addJsonFlag(*command, host.json, "print {\"description\": XML}");
  command->callback([&host, options] {
    const std::string xml = describe(options->settings).xml();
    if (host.json) {
      printJson({{"description", xml}});
    } else {
      std::cout << xml;
    }
  });
}

}  // namespace fwhost
