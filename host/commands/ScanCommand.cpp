// fwhost scan: maps every drive of this machine, each with the identity it reports itself.
#include <cctype>
#include <iostream>
#include <memory>
#include <optional>

#include "host/plugin/Answer.h"
#include "host/drive/AttributeRules.h"
#include "host/commands/Commands.h"
#include "host/drive/DriveInput.h"
#include "host/error/HostError.h"
#include "host/plan/PlanWriter.h"
#include "host/output/Table.h"
#if defined(_WIN32)
#include "host/discovery/PhysicalDrives.h"
#else
#include "host/discovery/DriveScan.h"
#endif

namespace fwhost {
namespace {

struct ScanOptions {
  std::string sysfsRoot = "/sys";
  bool foreignTree = false;  // --sysfs-root given: no device node of this machine is opened
  std::vector<std::string> devices;
  std::vector<std::string> settings;
  std::string attributes;
  std::string planDirectory;
};

std::string deviceList(const std::vector<ScannedDrive>& drives) {
  std::string names;
  for (const ScannedDrive& drive : drives) names += (names.empty() ? "" : ", ") + drive.device;
  return names.empty() ? "none" : names;
}

// Whether --device NAME means the drive; Windows' drives may be named by number alone.
bool names(const std::string& name, const ScannedDrive& drive) {
  return drive.device == name || drive.device == "PhysicalDrive" + name;
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
    const auto named = [&](const ScannedDrive& drive) { return names(name, drive); };
    if (std::none_of(drives.begin(), drives.end(), named)) {
      throw HostError(ExitCode::usage,
                      "--device " + name + ": no such drive (found: " + deviceList(drives) + ")");
    }
  }
  std::vector<ScannedDrive> selected;
  for (const ScannedDrive& drive : drives) {
    const auto namesIt = [&](const std::string& name) { return names(name, drive); };
    if (std::any_of(options.devices.begin(), options.devices.end(), namesIt))
      selected.push_back(drive);
  }
  return selected;
}

// What scan prints of one drive, and the plug-in's answer for it when it could be read.
struct DriveReport {
  nlohmann::ordered_json entry;
  TableRow row;
  std::optional<MappedDrive> mapped;
  bool failed = false;  // the drive could not be read or its plan not written
};

DriveReport unreadableDrive(const ScannedDrive& drive) {
  return {{{"device", drive.device}, {"error", drive.error}},
          {drive.device, "", "", "", "", "error: " + drive.error},
          std::nullopt,
          true};
}

// The drive's identity with its vendor attributes, mapped; warnings are printed and reported.
DriveReport mappedDrive(const ScannedDrive& drive, DriveDescription description,
                        std::vector<std::string> warnings, const Plugin& plugin) {
  const DriveIdentity& identity = drive.identity;
  if (!drive.truncation.empty()) {
    warnings.insert(warnings.begin(), "identity truncated: " + drive.truncation);
  }
  for (const std::string& warning : warnings)
    std::cerr << "fwhost: warning: " << drive.device << ": " << warning << '\n';
  description.set("ModelNumber", "string", identity.model);
  description.set("SerialNumber", "string", identity.serial);
  description.set("Firmware", "string", identity.firmware);
  MappedDrive mapped = mapDrive(plugin, {drive.device, description.xml()});
  const MappingAnswer& answer = mapped.answer;
  const std::string source = sourceName(drive.source);
  DriveReport report{{{"device", drive.device},
                      {"source", source},
                      {"identity", drive.truncation.empty() ? "whole" : "truncated"},
                      {"model", identity.model},
                      {"serial", identity.serial},
                      {"firmware", identity.firmware}},
                     {drive.device, identity.model, identity.serial, identity.firmware,
                      source + (drive.truncation.empty() ? "" : " (truncated)"),
                      verdictWords(answer.verdict), answer.destination},
                     std::nullopt};
  // "source" says where the identity came from; the plug-in's own Source keeps its value.
  const nlohmann::ordered_json answered = toJson(answer);
  for (const auto& [key, value] : answered.items())
    report.entry[key == "source" ? "mapping_source" : key] = value;
  warnings.insert(warnings.end(), mapped.warnings.begin(), mapped.warnings.end());
  report.entry["warnings"] = warnings;
  report.mapped = std::move(mapped);
  return report;
}

// A folder name of the drive's device and serial, with only characters safe in any file name.
std::string planFolder(const ScannedDrive& drive) {
  std::string name = drive.device + "-" + drive.identity.serial;
  for (char& c : name) {
    if (!std::isalnum(static_cast<unsigned char>(c)) && c != '-' && c != '_' && c != '.') c = '_';
  }
  return name;
}

// Writes the drive's plan into its own folder below directory, as fwhost plan writes one, when
// its verdict is update available and its identity whole; the line that says what was done.
std::string planDrive(const Plugin& plugin, const ScannedDrive& drive, DriveReport& report,
                      const std::filesystem::path& directory) {
  if (!report.mapped) return "no plan: unreadable";
  const Verdict verdict = report.mapped->answer.verdict;
  if (verdict != Verdict::updateAvailable) return std::string("no plan: ") + verdictWords(verdict);
  if (!drive.truncation.empty()) return "no plan: identity truncated";
  std::string heading;
  const auto keepHeading = [&heading](const std::string& line) {
    if (heading.empty()) heading = line;
  };
  try {
    report.entry["plan"] =
        writePlan(plugin, *report.mapped, directory / planFolder(drive), {}, keepHeading);
  } catch (const HostError& error) {
    report.entry["plan"] = {{"error", error.what()}};
    report.failed = true;
    return std::string("no plan: ") + error.what();
  }
  return heading;
}

}  // namespace

void addScanCommand(CLI::App& app, HostOptions& host) {
  auto options = std::make_shared<ScanOptions>();
  CLI::App* command = app.add_subcommand(
      "scan", "Map each NVMe and SATA/SCSI drive of this machine, as the drive identifies itself");
#if !defined(_WIN32)
  command
      ->add_option("--sysfs-root", options->sysfsRoot,
                   "sysfs tree to read instead of this machine's; no device is then opened")
      ->capture_default_str()
      ->each([options](const std::string&) { options->foreignTree = true; });
#endif
  command
      ->add_option("--device", options->devices,
                   "only this drive (nvme0, sda; on Windows PhysicalDrive0 or 0); repeatable")
      ->allow_extra_args(false);
  addSettingsOption(*command, options->settings);
  command
      ->add_option("--attributes", options->attributes,
                   "JSON rules that give each drive its vendor attributes by model and serial")
      ->excludes(command->get_option("--set"));
  command->add_option("--plan", options->planDirectory,
                      "write the plan of each drive with an update into DIR/DEVICE-SERIAL");
  addJsonFlag(*command, host.json, "print an array with one object per drive");
  command->callback([command, &host, options] {
    requireNonEmpty(*command, "--plan", options->planDirectory);
    // The drive knows model, serial and firmware; the vendor attributes come from the operator.
    const DriveDescription vendor = describe(options->settings);
    if (const char* key = identityKeyIn(vendor)) {
      throw HostError(ExitCode::usage,
                      "--set " + std::string(key) + ": scan reads it from the drive itself");
    }
    const bool byRules = !options->attributes.empty();
    const std::vector<AttributeRule> rules =
        byRules ? readAttributeRules(options->attributes) : std::vector<AttributeRule>();
#if defined(_WIN32)
    const std::string searched = "\\\\.\\PhysicalDrive*";
    const auto drives = selectDrives(scanPhysicalDrives(), *options);
#else
    const std::string& searched = options->sysfsRoot;
    const AtaIdentifier identify =
        options->foreignTree ? AtaIdentifier() : AtaIdentifier(identifyThroughPassThrough);
    const auto drives =
        selectDrives(scanDrives(std::filesystem::u8path(options->sysfsRoot), identify), *options);
#endif
    const Plugin plugin = openPlugin(host);
    std::vector<DriveReport> reports;
    for (const ScannedDrive& drive : drives) {
      std::vector<std::string> warnings;
      const AttributeRule* rule = byRules ? findRule(rules, drive.identity) : nullptr;
      if (byRules && rule == nullptr) {
        warnings.push_back("no rule of " + options->attributes +
                           " matches it: mapped without vendor attributes");
      }
      reports.push_back(drive.error.empty()
                            ? mappedDrive(drive, rule ? rule->attributes : vendor, warnings, plugin)
                            : unreadableDrive(drive));
    }
    std::vector<std::string> planLines;
    for (size_t i = 0; i < drives.size() && !options->planDirectory.empty(); ++i) {
      const std::filesystem::path directory = std::filesystem::u8path(options->planDirectory);
      planLines.push_back(drives[i].device + ": " +
                          planDrive(plugin, drives[i], reports[i], directory));
    }
    nlohmann::ordered_json entries = nlohmann::ordered_json::array();
    std::vector<TableRow> rows;
    size_t failed = 0;
    for (const DriveReport& report : reports) {
      entries.push_back(report.entry);
      rows.push_back(report.row);
      failed += report.failed ? 1 : 0;
    }
    if (host.json) {
      printJson(entries);
    } else if (drives.empty()) {
      std::cerr << "fwhost: " << searched << ": no NVMe or SATA/SCSI drives found\n";
    } else {
      printTable(std::cout,
                 {"DEVICE", "MODEL", "SERIAL", "FIRMWARE", "SOURCE", "VERDICT", "TARGET"}, rows);
      for (const std::string& line : planLines) printLine(line);
    }
    if (failed > 0) {
      throw HostError(ExitCode::input,
                      std::to_string(failed) + " of " + std::to_string(drives.size()) +
                          " drives could not be read or planned (see their rows)",
                      true);
    }
  });
}

}  // namespace fwhost
