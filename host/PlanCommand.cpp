// fwhost plan: every package of a drive's update, in flash order, with a manifest beside them.
#include <iostream>
#include <memory>

#include "host/Answer.h"
#include "host/Commands.h"
#include "host/DriveInput.h"
#include "host/Files.h"
#include "host/HostError.h"
#include "host/Sha256.h"

namespace fwhost {
namespace {

namespace fs = std::filesystem;

struct PlanOptions {
  DriveInput drive;
  std::string directory;
  bool dryRun = false;
  bool force = false;
};

struct PlannedFile {
  fs::path path;
  std::string bytes;
  std::string sha256;
};

PlannedFile plannedFile(fs::path path, std::string bytes) {
  std::string sha256 = sha256Hex(bytes);
  return {std::move(path), std::move(bytes), std::move(sha256)};
}

// Package names become file names, so a name that would leave the folder is refused.
bool isPlainFileName(const std::string& name) {
  return !name.empty() && name != "." && name != ".." &&
         name.find_first_of("/\\") == std::string::npos;
}

std::vector<PlannedFile> planFiles(const Plugin& plugin, const MappingAnswer& answer,
                                   const fs::path& directory) {
  if (answer.packages.empty()) {
    throw HostError(ExitCode::plugin, plugin.path().u8string() +
                                          ": answered inconsistently (an update without packages)");
  }
  std::vector<PlannedFile> files;
  nlohmann::ordered_json packages = nlohmann::ordered_json::array();
  for (const std::string& name : answer.packages) {
    std::string bytes = isPlainFileName(name) ? plugin.image(name) : std::string();
    if (bytes.empty()) {
      throw HostError(ExitCode::plugin, plugin.path().u8string() +
                                            ": answered inconsistently (package " + name +
                                            " cannot be fetched)");
    }
    const std::string file = name + ".bin";
    files.push_back(plannedFile(directory / fs::u8path(file), std::move(bytes)));
    packages.push_back({{"order", packages.size() + 1},
                        {"name", name},
                        {"file", file},
                        {"size", files.back().bytes.size()},
                        {"sha256", files.back().sha256}});
  }
  const nlohmann::ordered_json manifest = {
      {"destination", answer.destination}, {"status", answer.status}, {"packages", packages}};
  files.push_back(plannedFile(directory / "manifest.json", manifest.dump(2) + '\n'));
  return files;
}

}  // namespace

void addPlanCommand(CLI::App& app, const HostOptions& host) {
  auto options = std::make_shared<PlanOptions>();
  CLI::App* command = app.add_subcommand(
      "plan", "Fetch every package of a drive's update into a folder, with manifest.json");
  addDriveOptions(*command, options->drive);
  command->add_option("-o,--output", options->directory, "folder to write into, made when missing")
      ->required();
  command->add_flag("--dry-run", options->dryRun, "print what would be written and write nothing");
  command->add_flag("--force", options->force, "overwrite files that already exist");
  command->callback([&host, options] {
    const DriveText drive = readDrive(options->drive);
    const Plugin plugin = openPlugin(host);
    const MappingAnswer answer =
        readMappingAnswer(plugin.mapping(drive.xml, drive.origin), plugin.path().u8string());
    if (answer.verdict != Verdict::updateAvailable) {
      std::cout << "nothing written: " << verdictWords(answer.verdict) << " (status "
                << answer.status << "), no update to fetch\n";
      return;
    }
    const fs::path directory = fs::u8path(options->directory);
    const std::vector<PlannedFile> files = planFiles(plugin, answer, directory);
    for (const PlannedFile& file : files) {
      if (!options->force && fs::exists(file.path)) {
        throw HostError(ExitCode::input, file.path.u8string() + ": exists; use --force to overwrite");
      }
    }
    if (!options->dryRun) fs::create_directories(directory);
    for (const PlannedFile& file : files) {
      if (!options->dryRun) writeFileAtomically(file.path, file.bytes);
      std::cout << (options->dryRun ? "would write " : "wrote ")
                << fileLine(file.path.u8string(), file.bytes.size(), file.sha256) << '\n';
    }
  });
}

}  // namespace fwhost
