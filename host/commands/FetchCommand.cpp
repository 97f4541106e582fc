// fwhost fetch: one firmware image into a file, or onto standard output.
#include <filesystem>
#include <iostream>
#include <memory>
#include <string>
#include <utility>

#include "host/commands/CommonOptions.h"
#include "host/error/HostError.h"
#include "host/plan/Sha256.h"
#include "host/plan/WriteDecision.h"
#include "host/platform/SafeWrite.h"
#include "host/platform/StandardStreams.h"
#include "host/plugin/Answer.h"
#include "host/plugin/Plugin.h"

namespace fwhost {
namespace {

namespace fs = std::filesystem;

struct FetchOptions {
  std::string name;
  std::string file;
  bool force = false;
};

// Where the image goes: as given, inside it when it is a folder, or NAME.bin; the folder that
// holds it is opened once.
struct Target {
  fs::path shown;
  Folder folder;
  std::string name;
};

Target targetOf(const FetchOptions& options) {
  // Texts inside fwhost are UTF-8, which a narrow path on Windows is not.
  const std::string named = options.name + ".bin";
  fs::path file = fs::u8path(options.file.empty() ? named : options.file);
  const PathState state = inspectPath(file);
  if (state.kind == PathKind::directory) {
    Folder folder = Folder::open(file, false);
    return {joinedPath(file, named), std::move(folder), named};
  }
  // Refused before its folder is looked for: a device such as \\.\PhysicalDrive0 has none.
  refuseUnlessReplaceable(state, file);
  if (!file.has_filename()) throw HostError::io(file.u8string(), "is no folder");
  return {file, Folder::holding(file), file.filename().u8string()};
}

void writeImage(const HostOptions& host, const FetchOptions& options, const std::string& bytes,
                const std::string& sha256) {
  Target target = targetOf(options);
  target.folder.lock();
  const OtherBytes otherBytes = options.force ? OtherBytes::replace : OtherBytes::refuse;
  const bool written =
      decideWrite(target.folder, target.name, bytes, otherBytes) == WriteStep::write;
  if (written) target.folder.write(target.name, bytes);
  const std::string file = target.shown.u8string();
  if (host.output == OutputMode::json) {
    printJson({{"name", options.name},
               {"file", file},
               {"size", bytes.size()},
               {"sha256", sha256},
               {"written", written}});
  } else {
    printLine(fileLine(file, bytes.size(), sha256) + (written ? "" : "  (already in place)"));
  }
}

// The image, when the plug-in has one of that name; a name that cannot be a file is no image's.
std::string imageOf(const Plugin& plugin, const std::string& name) {
  if (plugin.imageSize(name) == 0)
    throw HostError::invalidInput(plugin.path().u8string(), "has no image named " + name);
  if (!isPackageName(name)) {
    throw HostError::inconsistentAnswer(plugin.path().u8string(),
                                        "an image named \"" + name + "\" cannot be a file name");
  }
  return plugin.image(name);
}

void fetch(const HostOptions& host, const FetchOptions& options) {
  const bool toStdout = host.output == OutputMode::bytes;
  if (toStdout && standardOutputIsTerminal())
    throw HostError::usage("--output -: standard output is a terminal; redirect it");
  const Plugin plugin = openPlugin(host.plugin);
  const std::string bytes = imageOf(plugin, options.name);
  const std::string sha256 = sha256Hex(bytes);
  if (toStdout) {
    writeOutput(bytes);
    std::cerr << fileLine("standard output", bytes.size(), sha256) << '\n';
    return;
  }
  writeImage(host, options, bytes, sha256);
}

}  // namespace

CommandAction addFetchCommand(CLI::App& command, HostOptions& host) {
  auto options = std::make_shared<FetchOptions>();
  command.add_option("NAME", options->name, "image name, exactly as the plug-in names it")
      ->required();
  command
      .add_option("-o,--output", options->file,
                  "file or existing folder to write into, - for standard output "
                  "(default: NAME.bin)")
      ->each([&host](const std::string& value) { host.asked.bytes = value == "-"; });
  command.add_flag("--force", options->force, "replace a file that holds other bytes");
  addJsonOption(command, host, "print {\"name\", \"file\", \"size\", \"sha256\", \"written\"}");
  return [&command, &host, options] {
    requireNonEmpty(command, "--output", options->file);
    fetch(host, *options);
  };
}

}  // namespace fwhost
