#include "host/commands/CommonOptions.h"

#include "host/error/HostError.h"
#include "host/output/Output.h"

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

void addJsonOption(CLI::App& command, HostOptions& host, const std::string& what) {
  command.add_flag("--json", host.asked.json, what + "; a failure prints {\"error\": {...}}");
}

void addXmlOption(CLI::App& command, HostOptions& host) {
  command.add_flag("--xml", host.asked.xml,
                   "print the plug-in's answer document unchanged; not with --json");
}

OutputMode decideOutputMode(const OutputRequest& asked) {
  if (asked.json && asked.xml) throw HostError::usage("--json excludes --xml");
  if (asked.json && asked.bytes)
    throw HostError::usage("--output - and --json would both use standard output");
  if (asked.json) return OutputMode::json;
  if (asked.xml) return OutputMode::xml;
  return asked.bytes ? OutputMode::bytes : OutputMode::text;
}

void requireNonEmpty(const CLI::App& command, const std::string& option, const std::string& value) {
  if (value.empty() && command.count(option) > 0)
    throw HostError::usage(option + ": needs a non-empty value");
}

}  // namespace fwhost
