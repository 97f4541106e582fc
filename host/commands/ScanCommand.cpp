// fwhost scan: maps every drive of this machine, each with the identity it reports itself.
#include <memory>
#include <string>

#include "host/commands/CommonOptions.h"
#include "host/plan/ScanRun.h"

namespace fwhost {
namespace {

struct ScanOptions {
  std::string sysfsRoot = "/sys";
  bool foreignTree = false;  // --sysfs-root given: no device node of this machine is opened
  ScanChoice choice;
};

void addScanOptions(CLI::App& command, ScanOptions& options) {
  ScanChoice& choice = options.choice;
  if (scansSysfs()) {
    command
        .add_option("--sysfs-root", options.sysfsRoot,
                    "sysfs tree to read instead of this machine's; no device is then opened")
        ->type_name("DIR")
        ->capture_default_str()
        ->each([&options](const std::string&) { options.foreignTree = true; });
  }
  command
      .add_option("--device", choice.devices,
                  "only this drive (nvme0, nvme0n1, /dev/sda; on Windows PhysicalDrive0 or 0); "
                  "repeatable")
      ->type_name("NAME")
      ->allow_extra_args(false);
  addSettingsOption(command, choice.settings);
  command
      .add_option("--attributes", choice.attributes,
                  "JSON rules that give each drive its vendor attributes by model and serial")
      ->type_name("FILE")
      ->excludes(command.get_option("--set"));
  CLI::Option* plan =
      command
          .add_option("--plan", choice.planDirectory,
                      "write the plan of each drive with an update into DIR/MODEL-SERIAL")
          ->type_name("DIR");
  addSignOption(command, choice.signingKey)->needs(plan);
}

}  // namespace

CommandAction addScanCommand(CLI::App& command, HostOptions& host) {
  auto options = std::make_shared<ScanOptions>();
  addScanOptions(command, *options);
  addJsonOption(command, "print {\"searched\", \"planning\", \"drives\"}, one object per drive");
  return [&command, &host, options]() -> Result {
    requireNonEmpty(command, "--plan", options->choice.planDirectory);
    requireNonEmpty(command, "--sign", options->choice.signingKey);
    ScanChoice choice = options->choice;
    if (options->foreignTree)
      choice.request.sysfsRoot = std::filesystem::u8path(options->sysfsRoot);
    return runScan(choice, host.plugin, host.warnings);
  };
}

}  // namespace fwhost
