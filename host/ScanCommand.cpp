// fwhost scan: maps every drive of this machine, as the kernel describes them.
#include <iostream>
#include <memory>

#include "host/Answer.h"
#include "host/Commands.h"
#include "host/DriveInput.h"
#include "host/SysfsScan.h"
#include "host/Table.h"
#if defined(_WIN32)
#include "host/discovery/PhysicalDrives.h"
#endif

namespace fwhost {
namespace {

struct ScanOptions {
  std::string sysfsRoot = "/sys";
  std::vector<std::string> settings;
  bool json = false;
};

}  // namespace

void addScanCommand(CLI::App& app, const HostOptions& host) {
  auto options = std::make_shared<ScanOptions>();
  CLI::App* command = app.add_subcommand(
      "scan",
      "Map each NVMe and SATA/SCSI drive of this machine; --set adds Product, OEM, ConfigID");
#if !defined(_WIN32)
  command->add_option("--sysfs-root", options->sysfsRoot, "sysfs tree to read")
      ->capture_default_str();
#endif
  addSettingsOption(*command, options->settings);
  addJsonFlag(*command, options->json, "print an array with one object per drive");
  command->callback([&host, options] {
    // The kernel knows model, serial and firmware; the vendor attributes come from --set.
    const DriveDescription vendor = describe(options->settings);
#if defined(_WIN32)
    const std::string searched = "\\\\.\\PhysicalDrive*";
    const auto drives = scanPhysicalDrives();
#else
    const std::string& searched = options->sysfsRoot;
    const auto drives = scanDrives(std::filesystem::u8path(options->sysfsRoot));
#endif
    const Plugin plugin = openPlugin(host);
    nlohmann::ordered_json entries = nlohmann::ordered_json::array();
    std::vector<TableRow> rows;
    for (const ScannedDrive& drive : drives) {
      DriveDescription description = vendor;
      description.set("ModelNumber", "string", drive.model);
      description.set("SerialNumber", "string", drive.serial);
      description.set("Firmware", "string", drive.firmware);
      const MappedDrive mapped = mapDrive(plugin, {drive.device, description.xml()});
      const MappingAnswer& answer = mapped.answer;
      nlohmann::ordered_json entry = {{"device", drive.device},
                                      {"model", drive.model},
                                      {"serial", drive.serial},
                                      {"firmware", drive.firmware}};
      entry.update(toJson(answer));
      entry["warnings"] = mapped.warnings;
      entries.push_back(entry);
      rows.push_back({drive.device, drive.model, drive.serial, drive.firmware,
                      verdictWords(answer.verdict), answer.destination});
    }
    if (options->json) {
      printJson(entries);
    } else if (drives.empty()) {
      std::cerr << "fwhost: " << searched << ": no NVMe or SATA/SCSI drives found\n";
    } else {
      printTable(std::cout, {"DEVICE", "MODEL", "SERIAL", "FIRMWARE", "VERDICT", "TARGET"}, rows);
    }
  });
}

}  // namespace fwhost
