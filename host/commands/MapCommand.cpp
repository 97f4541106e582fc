// fwhost map: what the plug-in answers for one drive.
#include <iostream>
#include <memory>

#include "host/plugin/Answer.h"
#include "host/commands/Commands.h"
#include "host/drive/DriveInput.h"

namespace fwhost {
namespace {

struct MapOptions {
  DriveInput drive;
  bool xml = false;
};

void printAnswer(const MappingAnswer& answer) {
  std::cout << verdictWords(answer.verdict) << " (status " << answer.status << ")\n";
  std::cout << "target version: " << (answer.destination.empty() ? "none" : answer.destination)
            << '\n';
  if (answer.packages.empty()) {
    std::cout << "packages: none\n";
    return;
  }
  std::cout << "packages, in flash order:\n";
  for (size_t i = 0; i < answer.packages.size(); ++i) {
    std::cout << "  " << i + 1 << "  " << answer.packages[i] << '\n';
  }
}

}  // namespace

void addMapCommand(CLI::App& app, HostOptions& host) {
  auto options = std::make_shared<MapOptions>();
  CLI::App* command = app.add_subcommand("map", "Show the plug-in's target firmware for a drive");
  addDriveOptions(*command, options->drive);
  addJsonFlag(*command, host.json, "print the answer and the warnings as a JSON object");
  command->add_flag("--xml", options->xml, "print the plug-in's answer document unchanged")
      ->excludes("--json");
  command->callback([&host, options] {
    const DriveText drive = readDrive(options->drive);
    const Plugin plugin = openPlugin(host);
    const MappedDrive mapped = mapDrive(plugin, drive);
    if (options->xml) {
      std::cout << mapped.document << '\n';
    } else if (host.json) {
      nlohmann::ordered_json answer = toJson(mapped.answer);
      answer["warnings"] = mapped.warnings;
      printJson(answer);
    } else {
      printAnswer(mapped.answer);
    }
  });
}

}  // namespace fwhost
