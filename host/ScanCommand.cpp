// fwhost scan: maps every drive of this machine, each with the identity it reports itself.
#include <iostream>
#include <memory>

#include "host/Answer.h"
#include "host/AttributeRules.h"
#include "host/Commands.h"
#include "host/DriveInput.h"
#include "host/HostError.h"
#include "host/Table.h"
#include "host/discovery/SysfsScan.h"

namespace fwhost {
namespace {

struct ScanOptions {
  std::string sysfsRoot = "/sys";
  bool foreignTree = false;  // --sysfs-root given: no device node of this machine is opened
  std::vector<std::string> devices;
  std::vector<std::string> settings;
  std::string attributes;
  bool json = false;
};

std::string deviceList(const std::vector<ScannedDrive>& drives) {
  std::string names;
  for (const ScannedDrive& drive : drives) names += (names.empty() ? "" : ", ") + drive.device;
  return names.empty() ? "none" : names;
}

// The drives --device names, in scan order; vendor attributes from --set belong to one drive.
std::vector<ScannedDrive> selectDrives(const std::vector<ScannedDrive>& drives,
                                       const ScanOptions& options) {
  if (options.devices.empty()) {
    if (!options.settings.empty() && drives.size() > 1) {
      throw HostError(ExitCode::usage,
                      "--set needs --device when there is more than one drive (found: " +
                          deviceList(drives) + ")");
    }
    return drives;
  }
  for (const std::string& name : options.devices) {
    const auto named = [&](const ScannedDrive& drive) { return drive.device == name; };
    if (std::none_of(drives.begin(), drives.end(), named)) {
      throw HostError(ExitCode::usage,
                      "--device " + name + ": no such drive (found: " + deviceList(drives) + ")");
    }
  }
  std::vector<ScannedDrive> selected;
  for (const ScannedDrive& drive : drives) {
    if (std::count(options.devices.begin(), options.devices.end(), drive.device) > 0)
      selected.push_back(drive);
  }
  return selected;
}

// What scan prints of one drive.
struct DriveReport {
  nlohmann::ordered_json entry;
  TableRow row;
};

DriveReport unreadableDrive(const ScannedDrive& drive) {
  return {{{"device", drive.device}, {"error", drive.error}},
          {drive.device, "", "", "", "", "error: " + drive.error}};
}

// The drive's identity with its vendor attributes, mapped; warnings are printed and reported.
DriveReport mappedDrive(const ScannedDrive& drive, DriveDescription description,
                        std::vector<std::string> warnings, const Plugin& plugin) {
  const DriveIdentity& identity = drive.identity;
  if (!drive.truncation.empty())
    warnings.insert(warnings.begin(), "identity truncated: " + drive.truncation);
  description.set("ModelNumber", "string", identity.model);
  description.set("SerialNumber", "string", identity.serial);
  description.set("Firmware", "string", identity.firmware);
  const MappingAnswer answer =
      readMappingAnswer(plugin.mapping(description.xml(), drive.device), plugin.path().string());
  for (const std::string& warning : warnings)
    std::cerr << "fwhost: warning: " << drive.device << ": " << warning << '\n';
  const std::string source = sourceName(drive.source);
  DriveReport report{{{"device", drive.device},
                      {"source", source},
                      {"identity", drive.truncation.empty() ? "whole" : "truncated"},
                      {"model", identity.model},
                      {"serial", identity.serial},
                      {"firmware", identity.firmware}},
                     {drive.device, identity.model, identity.serial, identity.firmware,
                      source + (drive.truncation.empty() ? "" : " (truncated)"),
                      verdictWords(answer.verdict), answer.destination}};
  // "source" says where the identity came from; the plug-in's own Source keeps its value.
  const nlohmann::ordered_json answered = toJson(answer);
  for (const auto& [key, value] : answered.items())
    report.entry[key == "source" ? "mapping_source" : key] = value;
  report.entry["warnings"] = warnings;
  return report;
}

}  // namespace

void addScanCommand(CLI::App& app, const HostOptions& host) {
  auto options = std::make_shared<ScanOptions>();
  CLI::App* command = app.add_subcommand(
      "scan", "Map each NVMe and SATA/SCSI drive of this machine, as the drive identifies itself");
  command
      ->add_option("--sysfs-root", options->sysfsRoot,
                   "sysfs tree to read instead of this machine's; no device is then opened")
      ->capture_default_str()
      ->each([options](const std::string&) { options->foreignTree = true; });
  command->add_option("--device", options->devices, "only this drive (nvme0, sda); repeatable")
      ->allow_extra_args(false);
  addSettingsOption(*command, options->settings);
  command
      ->add_option("--attributes", options->attributes,
                   "JSON rules that give each drive its vendor attributes by model and serial")
      ->excludes(command->get_option("--set"));
  command->add_flag("--json", options->json, "print an array with one object per drive");
  command->callback([&host, options] {
    // The drive knows model, serial and firmware; the vendor attributes come from the operator.
    const DriveDescription vendor = describe(options->settings);
    if (const char* key = identityKeyIn(vendor)) {
      throw HostError(ExitCode::usage,
                      "--set " + std::string(key) + ": scan reads it from the drive itself");
    }
    const bool byRules = !options->attributes.empty();
    const std::vector<AttributeRule> rules =
        byRules ? readAttributeRules(options->attributes) : std::vector<AttributeRule>();
    const AtaIdentifier identify =
        options->foreignTree ? AtaIdentifier() : AtaIdentifier(identifyThroughPassThrough);
    const auto drives = selectDrives(scanDrives(options->sysfsRoot, identify), *options);
    const Plugin plugin = openPlugin(host);
    nlohmann::ordered_json entries = nlohmann::ordered_json::array();
    std::vector<TableRow> rows;
    size_t unreadable = 0;
    for (const ScannedDrive& drive : drives) {
      std::vector<std::string> warnings;
      const AttributeRule* rule = byRules ? findRule(rules, drive.identity) : nullptr;
      if (byRules && rule == nullptr) {
        warnings.push_back("no rule of " + options->attributes +
                           " matches it: mapped without vendor attributes");
      }
      unreadable += drive.error.empty() ? 0 : 1;
      const DriveReport report =
          drive.error.empty()
              ? mappedDrive(drive, rule ? rule->attributes : vendor, warnings, plugin)
              : unreadableDrive(drive);
      entries.push_back(report.entry);
      rows.push_back(report.row);
    }
    if (options->json) {
      printJson(entries);
    } else if (drives.empty()) {
      std::cerr << "fwhost: " << options->sysfsRoot << ": no NVMe or SATA/SCSI drives found\n";
    } else {
      printTable(std::cout,
                 {"DEVICE", "MODEL", "SERIAL", "FIRMWARE", "SOURCE", "VERDICT", "TARGET"}, rows);
    }
    if (unreadable > 0) {
      throw HostError(ExitCode::input, std::to_string(unreadable) + " of " +
                                           std::to_string(drives.size()) +
                                           " drives could not be read (see their rows)");
    }
  });
}

}  // namespace fwhost
