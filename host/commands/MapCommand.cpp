// fwhost map: what the plug-in answers for one drive.
#include <iostream>
#include <memory>

#include <nlohmann/json.hpp>

#include "host/commands/CommonOptions.h"
#include "host/drive/DriveInput.h"
#include "host/output/TerminalText.h"
#include "host/plugin/Answer.h"
#include "host/plugin/DriveMapping.h"
#include "host/plugin/Plugin.h"

namespace fwhost {
namespace {

void printAnswer(const MappingAnswer& answer) {
  std::cout << verdictWords(answer.verdict) << " (status " << answer.status << ")\n";
  std::cout << "target version: "
            << (answer.destination.empty() ? "none" : terminalSafe(answer.destination)) << '\n';
  if (answer.packages.empty()) {
    std::cout << "packages: none\n";
    return;
  }
  std::cout << "packages, in flash order:\n";
  for (size_t i = 0; i < answer.packages.size(); ++i) {
    std::cout << "  " << i + 1 << "  " << terminalSafe(answer.packages[i]) << '\n';
  }
}

void map(const HostOptions& host, const DriveInput& input) {
  const DriveText drive = readDrive(input);
  const Plugin plugin = openPlugin(host.plugin);
  const MappedDrive mapped = mapDrive(plugin, drive);
  if (host.output == OutputMode::xml) {
    std::cout << mapped.document << '\n';
  } else if (host.output == OutputMode::json) {
    nlohmann::ordered_json answer = toJson(mapped.answer);
    answer["warnings"] = mapped.warnings;
    printJson(answer);
  } else {
    printAnswer(mapped.answer);
  }
}

}  // namespace

CommandAction addMapCommand(CLI::App& command, HostOptions& host) {
  auto input = std::make_shared<DriveInput>();
  addDriveOptions(command, *input);
  addJsonOption(command, host, "print the answer and the warnings as a JSON object");
  addXmlOption(command, host);
  return [&host, input] { map(host, *input); };
}

}  // namespace fwhost
