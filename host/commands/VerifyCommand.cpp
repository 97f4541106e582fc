// fwhost verify: checks that a plan folder holds exactly what its manifest lists.
#include <filesystem>
#include <memory>
#include <string>

#include "host/commands/CommonOptions.h"
#include "host/plan/PlanCheck.h"

namespace fwhost {

CommandAction addVerifyCommand(CLI::App& command, HostOptions&) {
  auto directory = std::make_shared<std::string>();
  command.add_option("DIR", *directory, "folder that fwhost plan wrote")->type_name("")->required();
  addJsonOption(command, "print {\"directory\", \"complete\", \"files\"}, a result per file");
  return [directory]() -> Result { return verifyPlan(std::filesystem::u8path(*directory)); };
}

}  // namespace fwhost
