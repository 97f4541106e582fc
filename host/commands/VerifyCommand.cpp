// fwhost verify: checks that a plan folder holds exactly what its manifest lists.
#include <filesystem>
#include <memory>
#include <string>

#include "host/commands/CommonOptions.h"
#include "host/plan/PlanCheck.h"

namespace fwhost {

CommandAction addVerifyCommand(CLI::App& command, HostOptions& host) {
  auto directory = std::make_shared<std::string>();
  command.add_option("DIR", *directory, "folder that fwhost plan wrote")->required();
  addJsonOption(command, host, "print {\"directory\", \"complete\", \"packages\"}");
  return [&host, directory] {
    const size_t packages = verifyPlan(std::filesystem::u8path(*directory));
    if (host.output == OutputMode::json) {
      printJson({{"directory", *directory}, {"complete", true}, {"packages", packages}});
    } else {
      printLine(*directory + ": complete plan, " + std::to_string(packages) +
                " packages, each as the manifest lists it");
    }
  };
}

}  // namespace fwhost
