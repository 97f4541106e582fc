#include "host/plan/PlanWriter.h"

#include <algorithm>
#include <ctime>
#include <fstream>
#include <iterator>
#include <optional>

#include "host/plugin/Answer.h"
#include "host/plan/WriteDecision.h"
#include "host/error/HostError.h"
#include "host/plan/Sha256.h"
#include "host/platform/SafeWrite.h"

namespace fwhost {
namespace {

namespace fs = std::filesystem;
using Json = nlohmann::ordered_json;

struct PlannedFile {
  fs::path path;
  std::string bytes;
  std::string sha256;
  WriteStep step = WriteStep::write;
};

PlannedFile plannedFile(fs::path path, std::string bytes) {
  std::string sha256 = sha256Hex(bytes);
  return {std::move(path), std::move(bytes), std::move(sha256)};
}

std::string utcNow() {
  const std::time_t now = std::time(nullptr);
  char text[32];
  std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", std::gmtime(&now));
  return text;
}

Json manifestOf(const Plugin& plugin, const MappedDrive& mapped, const Json& packages) {
  Json drive = Json::object();
  for (const char* key : {"ModelNumber", "SerialNumber", "Firmware"}) {
    const auto found = mapped.ruleAttributes.find(key);
    drive[key] = found == mapped.ruleAttributes.end() ? Json(nullptr) : Json(found->second);
  }
  return {{"fwhost", FWHOST_VERSION},
          {"created", utcNow()},
          {"plugin", {{"path", plugin.path().u8string()}, {"version", pluginVersion(plugin)}}},
          {"drive", drive},
          {"verdict", verdictName(mapped.answer.verdict)},
          {"status", mapped.answer.status},
          {"destination", mapped.answer.destination},
          {"packages", packages}};
}

// The packages in flash order, then SHA256SUMS, then manifest.json.
std::vector<PlannedFile> planFiles(const Plugin& plugin, const MappedDrive& mapped,
                                   const fs::path& directory) {
  if (mapped.answer.packages.empty()) {
    throw HostError(ExitCode::plugin, plugin.path().u8string() +
                                          ": answered inconsistently (an update without packages)");
  }
  std::vector<PlannedFile> files;
  Json packages = Json::array();
  std::string sums;
  for (const std::string& name : mapped.answer.packages) {
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
    sums += files.back().sha256 + "  " + file + '\n';
  }
  files.push_back(plannedFile(directory / "SHA256SUMS", sums));
  files.push_back(plannedFile(directory / "manifest.json",
                              manifestOf(plugin, mapped, packages).dump(2) + '\n'));
  return files;
}

// The manifest already there, when it differs from the planned one only in when it was made.
std::optional<std::string> sameManifest(const PlannedFile& manifest) {
  if (inspectPath(manifest.path).kind != PathKind::regularFile) return std::nullopt;
  std::ifstream file(manifest.path, std::ios::binary);
  std::string existing{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
  const Json found = Json::parse(existing, nullptr, false);
  Json planned = Json::parse(manifest.bytes);
  if (found.is_object() && found.contains("created")) planned["created"] = found["created"];
  if (found != planned) return std::nullopt;
  return existing;
}

const char* stepWords(const PlannedFile& file, bool dryRun) {
  if (file.step == WriteStep::keep) return "kept";
  return dryRun ? "would write" : "wrote";
}

}  // namespace

Json writePlan(const Plugin& plugin, const MappedDrive& mapped, const fs::path& directory,
               const PlanWrite& how, const std::function<void(const std::string&)>& line) {
  const MappingAnswer& answer = mapped.answer;
  std::vector<PlannedFile> files = planFiles(plugin, mapped, directory);
  prepareFolder(directory, false);
  PlannedFile& manifest = files.back();
  for (PlannedFile& file : files) {
    if (&file != &manifest) file.step = decideWrite(file.path, file.bytes, how.force);
  }
  const bool packagesChange =
      std::any_of(files.begin(), files.end() - 1,
                  [](const PlannedFile& file) { return file.step == WriteStep::write; });
  // The same plan made earlier: its manifest stays, or is made anew after the packages.
  if (auto existing = sameManifest(manifest); existing && !packagesChange) {
    manifest = plannedFile(manifest.path, std::move(*existing));
    manifest.step = WriteStep::keep;
  } else if (!existing) {
    manifest.step = decideWrite(manifest.path, manifest.bytes, how.force);
  }
  uint64_t total = 0;
  for (size_t i = 0; i < answer.packages.size(); ++i) total += files[i].bytes.size();
  const std::string heading = "update to " + answer.destination + ": " +
                              std::to_string(answer.packages.size()) + " packages, " +
                              std::to_string(total) + " bytes, into " + directory.u8string();
  line(heading);
  if (!how.dryRun) {
    prepareFolder(directory, true);
    // Until the packages are all in place, no manifest may claim a complete plan.
    std::error_code error;
    if (packagesChange && !fs::remove(manifest.path, error) && error)
      throw HostError(ExitCode::input,
                      manifest.path.u8string() + ": cannot remove: " + error.message());
  }
  Json written = Json::array();
  for (const PlannedFile& file : files) {
    if (file.step == WriteStep::write && !how.dryRun) writeFileSafely(file.path, file.bytes);
    const char* words = stepWords(file, how.dryRun);
    line(words + (" " + fileLine(file.path.u8string(), file.bytes.size(), file.sha256)));
    written.push_back({{"file", file.path.u8string()},
                       {"size", file.bytes.size()},
                       {"sha256", file.sha256},
                       {"action", words}});
  }
  return {{"packages", answer.packages.size()},
          {"bytes", total},
          {"directory", directory.u8string()},
          {"dry_run", how.dryRun},
          {"files", written}};
}

}  // namespace fwhost
