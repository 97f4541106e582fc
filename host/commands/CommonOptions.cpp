#include "host/commands/CommonOptions.h"

#include "host/error/HostError.h"

namespace fwhost {

void addSettingsOption(CLI::App& command, std::vector<std::string>& settings) {
  command
      .add_option("--set", settings,
                  "drive attribute Key=Value (a string) or Key:type=Value; repeatable")
      ->type_name("KEY[:TYPE]=VALUE")
      ->allow_extra_args(false);
}

void addDriveOptions(CLI::App& command, DriveInput& input) {
  command
      .add_option("FILE", input.file, "drive description (XML), - for standard input; or use --set")
      ->type_name("");
  addSettingsOption(command, input.settings);
}

void addJsonOption(CLI::App& command, const std::string& what) {
  command.add_flag("-j,--json")->description(what + "; a failure prints {\"error\": {...}}");
}

CLI::Option* addSignOption(CLI::App& command, std::string& signingKey) {
  return command.add_option("--sign", signingKey,
                            "sign the plan with this ECDSA P-256 private key (PKCS#8 PEM, readable "
                            "by its owner only; encrypted: its passphrase in "
                            "FWHOST_KEY_PASSPHRASE)");
}

void addXmlOption(CLI::App& command, HostOptions& host) {
  command.add_flag("--xml", host.asked.xml,
                   "print the plug-in's answer document unchanged; not with --json");
}

void requireNonEmpty(const CLI::App& command, const std::string& option, const std::string& value) {
  if (value.empty() && command.count(option) > 0)
    throw HostError::usage(option + ": needs a non-empty value");
}

}  // namespace fwhost
