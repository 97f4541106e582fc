// fwhost plan: every package of a drive's update, in flash order, with SHA256SUMS and a
// manifest beside them. The manifest is written last, so a folder that has one is complete.
#include <filesystem>
#include <memory>
#include <string>

#include <nlohmann/json.hpp>

#include "host/commands/CommonOptions.h"
#include "host/drive/DriveInput.h"
#include "host/plan/Plan.h"
#include "host/plan/PlanWriter.h"
#include "host/plugin/Answer.h"
#include "host/plugin/DriveMapping.h"
#include "host/plugin/Plugin.h"

namespace fwhost {
namespace {

using Json = nlohmann::ordered_json;

struct PlanOptions {
  DriveInput drive;
  std::string directory;
  PlanWrite how;
};

// What is said when the verdict offers nothing to fetch.
void sayNothingToWrite(const HostOptions& host, const MappingAnswer& answer, Json result) {
  if (host.output == OutputMode::json) {
    result["files"] = Json::array();
    printJson(result);
    return;
  }
  printLine("nothing written: " + std::string(verdictWords(answer.verdict)) + " (status " +
            std::to_string(answer.status) + "), no update to fetch");
}

void plan(const HostOptions& host, const PlanOptions& options) {
  const DriveText drive = readDrive(options.drive);
  const Plugin plugin = openPlugin(host.plugin);
  const MappedDrive mapped = mapDrive(plugin, drive);
  const MappingAnswer& answer = mapped.answer;
  Json result = {{"verdict", verdictName(answer.verdict)},
                 {"status", answer.status},
                 {"destination", answer.destination},
                 {"warnings", mapped.warnings}};
  if (answer.verdict != Verdict::updateAvailable) {
    sayNothingToWrite(host, answer, result);
    return;
  }
  const bool json = host.output == OutputMode::json;
  const auto line = [json](const std::string& text) {
    if (!json) printLine(text);
  };
  const PlanPlace place{std::filesystem::u8path(options.directory), ""};
  result.update(writePlan(makePlan(plugin, mapped, place), options.how, line));
  if (json) printJson(result);
}

}  // namespace

CommandAction addPlanCommand(CLI::App& command, HostOptions& host) {
  auto options = std::make_shared<PlanOptions>();
  addDriveOptions(command, options->drive);
  command.add_option("-o,--output", options->directory, "folder to write into, made when missing")
      ->required();
  command.add_flag("--dry-run", options->how.dryRun,
                   "make every check and print what would be written, writing nothing");
  command.add_flag("--force", options->how.force, "replace files that hold other bytes");
  addJsonOption(command, host, "print one object with the heading and each file");
  return [&command, &host, options] {
    requireNonEmpty(command, "--output", options->directory);
    plan(host, *options);
  };
}

}  // namespace fwhost
