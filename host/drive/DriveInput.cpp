#include "host/drive/DriveInput.h"

#include "host/plan/WriteDecision.h"
#include "host/error/HostError.h"

namespace fwhost {

void addSettingsOption(CLI::App& command, std::vector<std::string>& settings) {
  command
      .add_option("--set", settings,
                  "drive attribute Key=Value (a string) or Key:type=Value; repeatable")
      ->allow_extra_args(false);
}

void addDriveOptions(CLI::App& command, DriveInput& input) {
  command.add_option("FILE", input.file,
                     "drive description (XML), - for standard input; or use --set");
  addSettingsOption(command, input.settings);
}

DriveDescription describe(const std::vector<std::string>& settings) {
  DriveDescription description;
  for (const std::string& setting : settings) description.set(setting);
  return description;
}

DriveText readDrive(const DriveInput& input) {
  if (input.file.empty() == input.settings.empty()) {
    throw HostError(ExitCode::usage, "give either a drive description FILE or --set settings");
  }
  if (input.settings.empty()) {
    return {input.file == "-" ? "standard input" : input.file, readInput(input.file)};
  }
  return {"--set drive", describe(input.settings).xml()};
}

}  // namespace fwhost
