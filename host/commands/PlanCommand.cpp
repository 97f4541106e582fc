// fwhost plan: every package of a drive's update, in flash order, with SHA256SUMS and a
// manifest beside them. The manifest is written last, so a folder that has one is complete.
#include <memory>

#include "host/plugin/Answer.h"
#include "host/commands/Commands.h"
#include "host/drive/DriveInput.h"
#include "host/plan/PlanWriter.h"

namespace fwhost {
namespace {

using Json = nlohmann::ordered_json;

struct PlanOptions {
  DriveInput drive;
  std::string directory;
  bool dryRun = false;
  bool force = false;
};

}  // namespace

void addPlanCommand(CLI::App& app, HostOptions& host) {
  auto options = std::make_shared<PlanOptions>();
  CLI::App* command = app.add_subcommand(
      "plan",
      "Fetch every package of a drive's update into a folder, with SHA256SUMS and "
      "manifest.json; a rerun completes an interrupted plan");
  addDriveOptions(*command, options->drive);
  command->add_option("-o,--output", options->directory, "folder to write into, made when missing")
      ->required();
  command->add_flag("--dry-run", options->dryRun,
                    "make every check and print what would be written, writing nothing");
  command->add_flag("--force", options->force, "replace files that hold other bytes");
  addJsonFlag(*command, host.json, "print one object with the heading and each file");
  command->callback([command, &host, options] {
    requireNonEmpty(*command, "--output", options->directory);
    const DriveText drive = readDrive(options->drive);
    const Plugin plugin = openPlugin(host);
    const MappedDrive mapped = mapDrive(plugin, drive);
    const MappingAnswer& answer = mapped.answer;
    Json result = {{"verdict", verdictName(answer.verdict)},
                   {"status", answer.status},
                   {"destination", answer.destination},
                   {"warnings", mapped.warnings}};
    if (answer.verdict != Verdict::updateAvailable) {
      if (host.json) {
        result["files"] = Json::array();
        printJson(result);
      } else {
        printLine("nothing written: " + std::string(verdictWords(answer.verdict)) + " (status " +
                  std::to_string(answer.status) + "), no update to fetch");
      }
      return;
    }
    const auto line = [&host](const std::string& text) {
      if (!host.json) printLine(text);
    };
    result.update(
        writePlan(plugin, mapped, std::filesystem::u8path(options->directory),
                  {options->dryRun, options->force}, line));
    if (host.json) printJson(result);
  });
}

}  // namespace fwhost
