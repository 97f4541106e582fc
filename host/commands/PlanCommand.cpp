// fwhost plan: every package of a drive's update, in flash order, with SHA256SUMS and a
// manifest beside them, and its signature when asked. The manifest is written after the packages,
// so a folder that has one is complete; the signature after the manifest.
#include <memory>

#include "host/commands/CommonOptions.h"
#include "host/plan/DrivePlan.h"

namespace fwhost {

CommandAction addPlanCommand(CLI::App& command, HostOptions& host) {
  auto choice = std::make_shared<DrivePlanChoice>();
  addDriveOptions(command, choice->drive);
  command.add_option("-o,--output", choice->directory, "folder to write into, made when missing")
      ->type_name("DIR")
      ->required();
  command.add_flag("--dry-run", choice->how.dryRun,
                   "make every check and print what would be written, writing nothing");
  command.add_flag("--force", choice->how.force, "replace files that hold other bytes");
  addSignOption(command, choice->how.signingKey);
  addJsonOption(command, "print {\"mapping\", \"plan\"}, the plan with each file");
  return [&command, &host, choice]() -> Result {
    requireNonEmpty(command, "--output", choice->directory);
    requireNonEmpty(command, "--sign", choice->how.signingKey);
    return planDrive(host.plugin, *choice, host.warnings);
  };
}

}  // namespace fwhost
