// fwhost scan: maps every drive of this machine, each with the identity it reports itself:
// discover, map, plan, print.
#include <algorithm>
#include <cctype>
#include <exception>
#include <filesystem>
#include <iostream>
#include <iterator>
#include <locale>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include <boost/algorithm/string/predicate.hpp>
#include <nlohmann/json.hpp>

#include "host/commands/CommonOptions.h"
#include "host/discovery/DriveScan.h"
#include "host/discovery/IdentifyPages.h"
#include "host/discovery/ScannedDrive.h"
#include "host/drive/AttributeRules.h"
#include "host/drive/DriveDescription.h"
#include "host/drive/DriveInput.h"
#include "host/error/HostError.h"
#include "host/output/Table.h"
#include "host/output/TerminalText.h"
#include "host/plan/Plan.h"
#include "host/plan/PlanWriter.h"
#include "host/plugin/Answer.h"
#include "host/plugin/DriveMapping.h"
#include "host/plugin/Plugin.h"

namespace fwhost {
namespace {

using Json = nlohmann::ordered_json;

struct ScanOptions {
  std::string sysfsRoot = "/sys";
  bool foreignTree = false;  // --sysfs-root given: no device node of this machine is opened
  std::vector<std::string> devices;
  std::vector<std::string> settings;
  std::string attributes;
  std::string planDirectory;
};

// Where the drives' vendor attributes come from: --set for the one drive, or a fleet's rules.
struct VendorAttributes {
  DriveDescription settings;
  std::vector<AttributeRule> rules;
  std::string rulesFile;  // empty: the settings apply
};

// What scan prints of one drive, and the plug-in's answer for it when it could be read.
struct DriveReport {
  Json entry;
  TableRow row;
  std::optional<MappedDrive> mapped;
  bool failed = false;  // the drive could not be read or its plan not written
};

// The drive knows model, serial and firmware; the vendor attributes come from the operator.
VendorAttributes vendorAttributes(const ScanOptions& options) {
  VendorAttributes vendor{describe(options.settings), {}, options.attributes};
  if (const char* key = identityKeyIn(vendor.settings))
    throw HostError::usage("--set " + std::string(key) + ": scan reads it from the drive itself");
  if (!vendor.rulesFile.empty()) vendor.rules = readAttributeRules(vendor.rulesFile);
  return vendor;
}

std::string deviceList(const std::vector<ScannedDrive>& drives) {
  std::string names;
  for (const ScannedDrive& drive : drives) names += (names.empty() ? "" : ", ") + drive.device;
  return names.empty() ? "none" : names;
}

bool named(const ScannedDrive& drive, const std::vector<std::string>& names) {
  return std::any_of(names.begin(), names.end(),
                     [&](const std::string& name) { return answersTo(drive, name); });
}

// The drives --device names, in scan order; vendor attributes from --set belong to one drive.
std::vector<ScannedDrive> selectDrives(const std::vector<ScannedDrive>& drives,
                                       const ScanOptions& options) {
  if (options.devices.empty()) {
    if (!options.settings.empty() && drives.size() > 1) {
      throw HostError::usage("--set needs --device when there is more than one drive (found: " +
                             deviceList(drives) + ")");
    }
    return drives;
  }
  for (const std::string& name : options.devices) {
    const auto answers = [&](const ScannedDrive& drive) { return answersTo(drive, name); };
    if (std::none_of(drives.begin(), drives.end(), answers)) {
      throw HostError::usage("--device " + name + ": no such drive (found: " + deviceList(drives) +
                             ")");
    }
  }
  std::vector<ScannedDrive> chosen;
  std::copy_if(drives.begin(), drives.end(), std::back_inserter(chosen),
               [&](const ScannedDrive& drive) { return named(drive, options.devices); });
  return chosen;
}

// A drive whose identity could not be read, or whose mapping failed, and why.
DriveReport unreadableDrive(const std::string& device, const std::string& error) {
  return {{{"device", device}, {"error", error}},
          {device, "", "", "", "", "error: " + error},
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
    std::cerr << "fwhost: warning: " << terminalSafe(drive.device + ": " + warning) << '\n';
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
  const Json answered = toJson(answer);
  for (const auto& [key, value] : answered.items())
    report.entry[key == "source" ? "mapping_source" : key] = value;
  warnings.insert(warnings.end(), mapped.warnings.begin(), mapped.warnings.end());
  report.entry["warnings"] = warnings;
  report.mapped = std::move(mapped);
  return report;
}

DriveReport mappedWithVendorAttributes(const ScannedDrive& drive, const VendorAttributes& vendor,
                                       const Plugin& plugin) {
  if (vendor.rulesFile.empty()) return mappedDrive(drive, vendor.settings, {}, plugin);
  const AttributeRule* rule = findRule(vendor.rules, drive.identity.model, drive.identity.serial);
  if (rule) return mappedDrive(drive, rule->attributes, {}, plugin);
  return mappedDrive(
      drive, {},
      {"no rule of " + vendor.rulesFile + " matches it: mapped without vendor attributes"}, plugin);
}

// Whatever fails for one drive becomes its row, so that the others are still mapped.
DriveReport reportOf(const ScannedDrive& drive, const VendorAttributes& vendor,
                     const Plugin& plugin) {
  if (!drive.error.empty()) return unreadableDrive(drive.device, drive.error);
  try {
    return mappedWithVendorAttributes(drive, vendor, plugin);
  } catch (const HostError& error) {
    return unreadableDrive(drive.device, error.what());
  } catch (const std::exception& error) {
    return unreadableDrive(drive.device, std::string("internal error: ") + error.what());
  }
}

// The drive's own folder: its model and serial, which stay the same from boot to boot, with
// only characters that every file system takes.
std::string planFolder(const DriveIdentity& identity) {
  std::string name = identity.model + "-" + identity.serial;
  for (char& c : name) {
    if (!std::isalnum(static_cast<unsigned char>(c)) && c != '-' && c != '_') c = '_';
  }
  return name;
}

// Why the drive gets no plan; empty when it gets one.
std::string whyNoPlan(const ScannedDrive& drive, const DriveReport& report) {
  if (!report.mapped) return "its row is an error";
  const Verdict verdict = report.mapped->answer.verdict;
  if (verdict != Verdict::updateAvailable) return verdictWords(verdict);
  if (!drive.truncation.empty()) return "identity truncated";
  return {};
}

std::string failedPlan(DriveReport& report, const std::string& error) {
  report.entry["plan"] = {{"error", error}};
  report.failed = true;
  return "no plan: " + error;
}

// Writes the drive's plan into its folder, as fwhost plan writes one; the line that says what
// was done.
std::string planDrive(const Plugin& plugin, DriveReport& report, const PlanPlace& place) {
  std::string heading;
  const auto keepHeading = [&heading](const std::string& line) {
    if (heading.empty()) heading = line;
  };
  try {
    report.entry["plan"] = writePlan(makePlan(plugin, *report.mapped, place), {}, keepHeading);
  } catch (const HostError& error) {
    return failedPlan(report, error.what());
  }
  return heading;
}

// The folder of each drive's plan; empty for a drive that gets none.
std::vector<std::string> planFolders(const std::vector<ScannedDrive>& drives,
                                     const std::vector<DriveReport>& reports) {
  std::vector<std::string> folders;
  for (size_t i = 0; i < drives.size(); ++i)
    folders.push_back(whyNoPlan(drives[i], reports[i]).empty() ? planFolder(drives[i].identity)
                                                               : "");
  return folders;
}

// The other drives whose plan would go into the same folder, its name compared as Windows
// compares names: regardless of case.
std::string sharers(const std::vector<ScannedDrive>& drives,
                    const std::vector<std::string>& folders, size_t drive) {
  std::string others;
  for (size_t i = 0; i < drives.size(); ++i) {
    if (i != drive && boost::algorithm::iequals(folders[i], folders[drive], std::locale::classic()))
      others += (others.empty() ? "" : ", ") + drives[i].device;
  }
  return others;
}

// One line per drive, "DEVICE: what was done"; none without --plan. Drives that would share a
// folder get no plan, so that none takes another's.
std::vector<std::string> planDrives(const Plugin& plugin, const std::vector<ScannedDrive>& drives,
                                    std::vector<DriveReport>& reports, const std::string& folder) {
  std::vector<std::string> lines;
  if (folder.empty()) return lines;
  const std::filesystem::path directory = std::filesystem::u8path(folder);
  const std::vector<std::string> folders = planFolders(drives, reports);
  for (size_t i = 0; i < drives.size(); ++i) {
    const std::string why = whyNoPlan(drives[i], reports[i]);
    const std::string others = folders[i].empty() ? "" : sharers(drives, folders, i);
    std::string line;
    if (!why.empty()) {
      reports[i].entry["plan"] = {{"skipped", why}};
      line = "no plan: " + why;
    } else if (!others.empty()) {
      line = failedPlan(reports[i], PlanPlace{directory, folders[i]}.path().u8string() +
                                        ": the plan folder of " + others + " too");
    } else {
      line = planDrive(plugin, reports[i], {directory, folders[i]});
    }
    lines.push_back(drives[i].device + ": " + line);
  }
  return lines;
}

void printScan(const HostOptions& host, const std::vector<DriveReport>& reports,
               const std::vector<std::string>& planLines, const std::string& searched) {
  if (host.output == OutputMode::json) {
    Json entries = Json::array();
    for (const DriveReport& report : reports) entries.push_back(report.entry);
    printJson(entries);
  } else if (reports.empty()) {
    std::cerr << "fwhost: " << terminalSafe(searched) << ": no NVMe or SATA/SCSI drives found\n";
  } else {
    std::vector<TableRow> rows;
    for (const DriveReport& report : reports) rows.push_back(report.row);
    printTable(std::cout, {"DEVICE", "MODEL", "SERIAL", "FIRMWARE", "SOURCE", "VERDICT", "TARGET"},
               rows);
    for (const std::string& line : planLines) printLine(terminalSafe(line));
  }
}

void scan(const HostOptions& host, const ScanOptions& options) {
  const VendorAttributes vendor = vendorAttributes(options);
  ScanRequest request;
  if (options.foreignTree) request.sysfsRoot = std::filesystem::u8path(options.sysfsRoot);
  const std::vector<ScannedDrive> drives = selectDrives(scanDrives(request), options);
  const Plugin plugin = openPlugin(host.plugin);
  std::vector<DriveReport> reports;
  for (const ScannedDrive& drive : drives) reports.push_back(reportOf(drive, vendor, plugin));
  const auto planLines = planDrives(plugin, drives, reports, options.planDirectory);
  printScan(host, reports, planLines, scanPlaces(request));
  const auto failed = std::count_if(reports.begin(), reports.end(),
                                    [](const DriveReport& report) { return report.failed; });
  if (failed > 0) throw HostError::drivesFailed(static_cast<size_t>(failed), drives.size());
}

void addScanOptions(CLI::App& command, ScanOptions& options) {
  if (scansSysfs()) {
    command
        .add_option("--sysfs-root", options.sysfsRoot,
                    "sysfs tree to read instead of this machine's; no device is then opened")
        ->capture_default_str()
        ->each([&options](const std::string&) { options.foreignTree = true; });
  }
  command
      .add_option("--device", options.devices,
                  "only this drive (nvme0, sda; on Windows PhysicalDrive0 or 0); repeatable")
      ->allow_extra_args(false);
  addSettingsOption(command, options.settings);
  command
      .add_option("--attributes", options.attributes,
                  "JSON rules that give each drive its vendor attributes by model and serial")
      ->excludes(command.get_option("--set"));
  command.add_option("--plan", options.planDirectory,
                     "write the plan of each drive with an update into DIR/MODEL-SERIAL");
}

}  // namespace

CommandAction addScanCommand(CLI::App& command, HostOptions& host) {
  auto options = std::make_shared<ScanOptions>();
  addScanOptions(command, *options);
  addJsonOption(command, host, "print an array with one object per drive");
  return [&command, &host, options] {
    requireNonEmpty(command, "--plan", options->planDirectory);
    scan(host, *options);
  };
}

}  // namespace fwhost
