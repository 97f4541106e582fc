#include "host/plan/ScanRun.h"

#include <algorithm>
#include <cctype>
#include <exception>
#include <iterator>
#include <locale>
#include <optional>
#include <utility>

#include <boost/algorithm/string/predicate.hpp>

#include "host/drive/AttributeRules.h"
#include "host/drive/DescriptionCheck.h"
#include "host/drive/DriveDescription.h"
#include "host/drive/DriveInput.h"
#include "host/error/HostError.h"
#include "host/plan/PlanSignature.h"
#include "host/plan/PlanWriter.h"
#include "host/plugin/DriveMapping.h"

namespace fwhost {
namespace {

// Where the drives' vendor attributes come from: --set for the one drive, or a fleet's rules.
struct VendorAttributes {
  DriveDescription settings;
  std::vector<AttributeRule> rules;
  std::string rulesFile;  // empty: the settings apply
};

// One drive's row, and the plug-in's answer for it when it could be read.
struct DriveReport {
  ScanRow row;
  std::optional<MappedDrive> mapped;
};

// The drive knows model, serial and firmware; the vendor attributes come from the operator.
VendorAttributes vendorAttributes(const ScanChoice& choice) {
  VendorAttributes vendor{describe(choice.settings), {}, choice.attributes};
  if (const char* key = identityKeyIn(vendor.settings))
    throw HostError::usage("--set " + std::string(key) + ": scan reads it from the drive itself");
  if (!vendor.rulesFile.empty()) vendor.rules = readAttributeRules(vendor.rulesFile);
  return vendor;
}

// What was passed over, for a --device that names it.
const SkippedDevice* skippedAs(const DriveScan& scan, const std::string& name) {
  for (const SkippedDevice& skipped : scan.skipped) {
    if (answersTo(skipped.device, name)) return &skipped;
  }
  return nullptr;
}

std::string deviceList(const std::vector<ScannedDrive>& drives) {
  std::string names;
  for (const ScannedDrive& drive : drives) names += (names.empty() ? "" : ", ") + drive.device;
  return names.empty() ? "none" : names;
}

bool named(const ScannedDrive& drive, const std::vector<std::string>& names) {
  return std::any_of(names.begin(), names.end(),
                     [&](const std::string& name) { return answersTo(drive.device, name); });
}

// The drives --device names, in scan order; vendor attributes from --set belong to one drive.
std::vector<ScannedDrive> selectDrives(const DriveScan& scan, const ScanChoice& choice) {
  const std::vector<ScannedDrive>& drives = scan.drives;
  if (choice.devices.empty()) {
    if (!choice.settings.empty() && drives.size() > 1) {
      throw HostError::usage("--set needs --device when there is more than one drive (found: " +
                             deviceList(drives) + ")");
    }
    return drives;
  }
  for (const std::string& name : choice.devices) {
    const auto answers = [&](const ScannedDrive& drive) { return answersTo(drive.device, name); };
    if (std::any_of(drives.begin(), drives.end(), answers)) continue;
    if (const SkippedDevice* skipped = skippedAs(scan, name)) {
      throw HostError::usage("--device " + name + ": skipped: " + skipped->reason +
                             " (drives: " + deviceList(drives) + ")");
    }
    throw HostError::usage("--device " + name + ": no such drive (found: " + deviceList(drives) +
                           ")");
  }
  std::vector<ScannedDrive> chosen;
  std::copy_if(drives.begin(), drives.end(), std::back_inserter(chosen),
               [&](const ScannedDrive& drive) { return named(drive, choice.devices); });
  return chosen;
}

// A drive whose identity could not be read, or whose mapping failed, and why.
DriveReport unreadableDrive(ScanRow row, Failure failure) {
  row.error = std::move(failure);
  return {std::move(row), std::nullopt};
}

// The drive's identity with its vendor attributes, mapped.
DriveReport mappedDrive(const ScannedDrive& drive, DriveDescription description, ScanRow row,
                        const Plugin& plugin) {
  const DriveIdentity& identity = drive.identity;
  if (!drive.truncation.empty()) {
    row.warnings.insert(row.warnings.begin(), Warning{"identity-truncated", drive.device,
                                                      "identity truncated: " + drive.truncation});
  }
  description.set("ModelNumber", "string", identity.model);
  description.set("SerialNumber", "string", identity.serial);
  description.set("Firmware", "string", identity.firmware);
  Warnings warnings;
  MappedDrive mapped = mapDrive(plugin, {drive.device, description.xml()}, warnings);
  // The drive gives the identity keys, so what is missing are vendor attributes: one summary
  // line for every drive says so, instead of three warnings each.
  row.completeDescription = drive.truncation.empty();
  for (Warning& warning : warnings) {
    if (warning.code == kMissingAttribute) {
      row.completeDescription = false;
    } else {
      row.warnings.push_back(std::move(warning));
    }
  }
  row.mapping = mapped.answer;
  return {std::move(row), std::move(mapped)};
}

// Whatever fails for one drive becomes its row, so that the others are still mapped.
DriveReport reportOf(const ScannedDrive& drive, const VendorAttributes& vendor,
                     const Plugin& plugin) {
  ScanRow row;
  row.device = drive.device;
  if (!drive.error.empty())
    return unreadableDrive(std::move(row), {errorCode(ErrorKind::io), drive.error});
  row.readFrom = sourceName(drive.source);
  row.drive = DriveNames{drive.identity.model, drive.identity.serial, drive.identity.firmware};
  row.truncation = drive.truncation;
  // The row is copied into each try, so that a failure still has the drive's identity.
  try {
    if (vendor.rulesFile.empty()) {
      row.attributesFrom = vendor.settings.empty() ? "none" : "--set";
      return mappedDrive(drive, vendor.settings, row, plugin);
    }
    const AttributeRule* rule = findRule(vendor.rules, drive.identity.model, drive.identity.serial);
    row.attributesFrom = rule == nullptr ? "none"
                                         : vendor.rulesFile + " rule " +
                                               std::to_string(rule - vendor.rules.data() + 1);
    if (rule) return mappedDrive(drive, rule->attributes, row, plugin);
    row.warnings.push_back(
        {"no-matching-rule", drive.device,
         "no rule of " + vendor.rulesFile + " matches it: mapped without vendor attributes"});
    return mappedDrive(drive, {}, row, plugin);
  } catch (const HostError& error) {
    return unreadableDrive(std::move(row), {errorCode(error.kind()), error.what()});
  } catch (const std::exception& error) {
    return unreadableDrive(std::move(row), {errorCode(ErrorKind::internal),
                                            std::string("internal error: ") + error.what()});
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

PlanResult notPlanned(PlanOutcome outcome, const std::string& why) {
  PlanResult plan;
  plan.outcome = outcome;
  plan.reason = why;
  return plan;
}

// Writes the drive's plan into its folder, as fwhost plan writes one.
PlanResult planDrive(const Plugin& plugin, const DriveReport& report, const PlanPlace& place,
                     const std::string& signingKey) {
  try {
    return writePlan(makePlan(plugin, *report.mapped, place), {false, false, signingKey});
  } catch (const HostError& error) {
    return notPlanned(PlanOutcome::failed, error.what());
  }
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

// Each drive's plan, written unless it gets none. Drives that would share a folder get no
// plan, so that none takes another's.
void planDrives(const Plugin& plugin, const std::vector<ScannedDrive>& drives,
                std::vector<DriveReport>& reports, const ScanChoice& choice) {
  const std::filesystem::path directory = std::filesystem::u8path(choice.planDirectory);
  const std::vector<std::string> folders = planFolders(drives, reports);
  for (size_t i = 0; i < drives.size(); ++i) {
    const std::string why = whyNoPlan(drives[i], reports[i]);
    const std::string others = folders[i].empty() ? "" : sharers(drives, folders, i);
    ScanRow& row = reports[i].row;
    if (!why.empty()) {
      row.plan = notPlanned(PlanOutcome::skipped, why);
    } else if (!others.empty()) {
      row.plan =
          notPlanned(PlanOutcome::failed, PlanPlace{directory, folders[i]}.path().u8string() +
                                              ": the plan folder of " + others + " too");
    } else {
      row.plan = planDrive(plugin, reports[i], {directory, folders[i]}, choice.signingKey);
    }
  }
}

// One line for all drives whose verdict rests on a description without vendor attributes.
void warnOfIncompleteDescriptions(const std::vector<DriveReport>& reports, Warnings& warnings) {
  std::string devices;
  for (const DriveReport& report : reports) {
    if (!report.row.completeDescription && report.row.truncation.empty())
      devices += (devices.empty() ? "" : ", ") + report.row.device;
  }
  if (devices.empty()) return;
  warnings.push_back({"incomplete-description", devices,
                      "mapped without some of the vendor attributes the rules read (Product, "
                      "OEM, ConfigID): the verdict rests on an incomplete description; give "
                      "them with --set or --attributes"});
}

}  // namespace

ScanResult runScan(const ScanChoice& choice, const PluginChoice& pluginChoice, Warnings& warnings) {
  const VendorAttributes vendor = vendorAttributes(choice);
  // A key that cannot sign ends the scan before any drive is read: every plan would fail alike.
  if (!choice.signingKey.empty()) readSigningKey(choice.signingKey);
  const DriveScan scan = scanDrives(choice.request);
  const std::vector<ScannedDrive> drives = selectDrives(scan, choice);
  const Plugin plugin = openPlugin(pluginChoice);
  std::vector<DriveReport> reports;
  for (const ScannedDrive& drive : drives) reports.push_back(reportOf(drive, vendor, plugin));
  if (!choice.planDirectory.empty()) planDrives(plugin, drives, reports, choice);
  warnOfIncompleteDescriptions(reports, warnings);
  ScanResult result{scanPlaces(choice.request), {}, !choice.planDirectory.empty(), {}};
  for (const SkippedDevice& skipped : scan.skipped)
    result.skipped.push_back({skipped.device, skipped.reason});
  for (DriveReport& report : reports) result.drives.push_back(std::move(report.row));
  return result;
}

}  // namespace fwhost
