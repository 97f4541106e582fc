// fwhost verify: checks that a plan folder holds exactly what its manifest lists.
#include <algorithm>
#include <fstream>
#include <iostream>
#include <iterator>
#include <memory>
#include <set>

#include "host/commands/Commands.h"
#include "host/plan/WriteDecision.h"
#include "host/error/HostError.h"
#include "host/plan/Sha256.h"
#include "host/platform/SafeWrite.h"

namespace fwhost {
namespace {

namespace fs = std::filesystem;
using Json = nlohmann::ordered_json;

struct VerifyOptions {
  std::string directory;
};

HostError mismatch(const fs::path& path, const std::string& what) {
  return HostError(ExitCode::mismatch, path.u8string() + ": " + what);
}

// One listed package: a regular file of the size and SHA-256 listed; its sha256sum line.
std::string verifyPackage(const fs::path& directory, const Json& entry) {
  const std::string file = entry.value("file", "");
  if (!isPlainFileName(file)) throw mismatch(directory / "manifest.json", "lists \"" + file + "\"");
  const fs::path path = directory / fs::u8path(file);
  const PathState state = inspectPath(path);
  if (state.kind == PathKind::missing) throw mismatch(path, "missing");
  if (state.kind != PathKind::regularFile) throw mismatch(path, "is " + state.what);
  const uint64_t size = entry.value("size", uint64_t{0});
  if (state.size != size) {
    throw mismatch(
        path, std::to_string(state.size) + " bytes, the manifest says " + std::to_string(size));
  }
  const std::string sha256 = sha256OfFile(path), listed = entry.value("sha256", "");
  if (sha256 != listed) throw mismatch(path, "sha256 " + sha256 + ", the manifest says " + listed);
  return sha256 + "  " + file + '\n';
}

// The number of packages; HostError (mismatch) naming the first thing out of place.
size_t verifyPlan(const fs::path& directory) {
  if (inspectPath(directory).kind != PathKind::directory)
    throw HostError(ExitCode::input, directory.u8string() + ": is no folder");
  const fs::path manifestPath = directory / "manifest.json";
  if (inspectPath(manifestPath).kind != PathKind::regularFile)
    throw mismatch(manifestPath, "missing, so the plan is not complete");
  std::ifstream text(manifestPath, std::ios::binary);
  const Json manifest = Json::parse(std::istreambuf_iterator<char>(text),
                                    std::istreambuf_iterator<char>(), nullptr, false);
  if (!manifest.is_object() || !manifest.contains("packages") || !manifest["packages"].is_array())
    throw mismatch(manifestPath, "not a plan's manifest");
  std::set<std::string> listed = {"manifest.json", "SHA256SUMS"};
  std::string sums;
  for (const Json& entry : manifest["packages"]) {
    if (!entry.is_object()) throw mismatch(manifestPath, "not a plan's manifest");
    sums += verifyPackage(directory, entry);
    listed.insert(entry.value("file", ""));
  }
  if (!holdsExactly(directory / "SHA256SUMS", sums))
    throw mismatch(directory / "SHA256SUMS", "does not list what the manifest lists");
  std::vector<fs::path> present{fs::directory_iterator(directory), fs::directory_iterator()};
  std::sort(present.begin(), present.end());
  for (const fs::path& path : present) {
    if (listed.count(path.filename().u8string()) == 0) throw mismatch(path, "not in the manifest");
  }
  return manifest["packages"].size();
}

}  // namespace

void addVerifyCommand(CLI::App& app, HostOptions& host) {
  auto options = std::make_shared<VerifyOptions>();
  CLI::App* command =
      app.add_subcommand("verify",
                         "Check a plan folder: every listed file there with its size and SHA-256, "
                         "nothing else; exit 3 at the first mismatch");
  command->add_option("DIR", options->directory, "folder that fwhost plan wrote")->required();
  addJsonFlag(*command, host.json, "print {\"directory\", \"complete\", \"packages\"}");
  command->callback([&host, options] {
    const size_t packages = verifyPlan(fs::u8path(options->directory));
    if (host.json) {
      printJson({{"directory", options->directory}, {"complete", true}, {"packages", packages}});
    } else {
      printLine(options->directory + ": complete plan, " + std::to_string(packages) +
                " packages, each as the manifest lists it");
    }
  });
}

}  // namespace fwhost
