// fwhost fetch: one firmware image into a file, or onto standard output.
#include <filesystem>
#include <iostream>
#include <memory>
#include <string>

#include "host/commands/CommonOptions.h"
#include "host/error/HostError.h"
#include "host/plan/Sha256.h"
#include "host/plan/WriteDecision.h"
#include "host/platform/SafeWrite.h"
#include "host/platform/StandardStreams.h"
#include "host/plugin/Plugin.h"

namespace fwhost {
namespace {

namespace fs = std::filesystem;

struct FetchOptions {
  std::string name;
  std::string file;
  bool force = false;
};

// The file the image goes to: as given, inside it when it is a folder, or NAME.bin.
fs::path targetOf(const FetchOptions& options) {
  // Texts inside fwhost are UTF-8, which a narrow path on Windows is not.
  const std::string named = options.name + ".bin";
  fs::path file = fs::u8path(options.file.empty() ? named : options.file);
  if (inspectPath(file).kind == PathKind::directory) file /= fs::u8path(named);
  return file;
}

void writeImage(const HostOptions& host, const FetchOptions& options, const std::string& bytes,
                const std::string& sha256) {
  const fs::path file = targetOf(options);
  const OtherBytes otherBytes = options.force ? OtherBytes::replace : OtherBytes::refuse;
  const bool written = decideWrite(file, bytes, otherBytes) == WriteStep::write;
  if (written) writeFileSafely(file, bytes);
  if (host.output == OutputMode::json) {
    printJson({{"name", options.name},
               {"file", file.u8string()},
               {"size", bytes.size()},
               {"sha256", sha256},
               {"written", written}});
  } else {
    printLine(fileLine(file.u8string(), bytes.size(), sha256) +
              (written ? "" : "  (already in place)"));
  }
}

void fetch(const HostOptions& host, const FetchOptions& options) {
  const bool toStdout = host.output == OutputMode::bytes;
  if (toStdout && standardOutputIsTerminal())
    throw HostError::usage("--output -: standard output is a terminal; redirect it");
  const Plugin plugin = openPlugin(host.plugin);
  const std::string bytes = plugin.image(options.name);
  if (bytes.empty())
    throw HostError::invalidInput(plugin.path().u8string(), "has no image named " + options.name);
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
