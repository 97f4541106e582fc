// fwhost verify: checks that a plan folder holds exactly what its manifest lists, signed by a
// trusted key and made of the plug-in's own packages when asked.
#include <memory>

#include "host/commands/CommonOptions.h"
#include "host/plan/PlanCheck.h"

namespace fwhost {

CommandAction addVerifyCommand(CLI::App& command, HostOptions& host) {
  auto choice = std::make_shared<VerifyChoice>();
  command.add_option("DIR", choice->directory, "folder that fwhost plan wrote")
      ->type_name("")
      ->required();
  command
      .add_option("--key", choice->keys,
                  "public key (PEM) the plan must be signed by; repeatable: any of them will do")
      ->type_name("FILE")
      ->allow_extra_args(false);
  command.add_flag("--match-plugin", choice->matchPlugin,
                   "also require each package to be the loaded plug-in's own bytes");
  addJsonOption(command,
                "print {\"directory\", \"complete\", \"files\", \"signed\", \"signed_by\", "
                "\"matched_plugin\"}, a result per file");
  return [&host, choice]() -> Result { return verifyPlan(*choice, host.plugin); };
}

}  // namespace fwhost
