// fwhost fetch: one firmware image into a file, or onto standard output.
#include <iostream>
#include <memory>

#include "host/commands/Commands.h"
#include "host/plan/WriteDecision.h"
#include "host/error/HostError.h"
#include "host/plan/Sha256.h"
#include "host/platform/SafeWrite.h"
#include "host/platform/StandardStreams.h"

namespace fwhost {
namespace {

struct FetchOptions {
  std::string name;
  std::string file;
  bool force = false;
};

}  // namespace

void addFetchCommand(CLI::App& app, HostOptions& host) {
  auto options = std::make_shared<FetchOptions>();
  CLI::App* command = app.add_subcommand("fetch", "Write one firmware image to a file");
  command->add_option("NAME", options->name, "image name, exactly as the plug-in names it")
      ->required();
  command->add_option("-o,--output", options->file,
                      "file or existing folder to write into, - for standard output "
                      "(default: NAME.bin)");
  command->add_flag("--force", options->force, "replace a file that holds other bytes");
  addJsonFlag(*command, host.json, "print {\"name\", \"file\", \"size\", \"sha256\", \"written\"}");
  command->callback([command, &host, options] {
    requireNonEmpty(*command, "--output", options->file);
    const bool toStdout = options->file == "-";
    if (toStdout && host.json)
      throw HostError(ExitCode::usage, "--output - and --json would both use standard output");
    if (toStdout && standardOutputIsTerminal())
      throw HostError(ExitCode::usage, "--output -: standard output is a terminal; redirect it");
    const Plugin plugin = openPlugin(host);
    const std::string bytes = plugin.image(options->name);
    if (bytes.empty()) {
      throw HostError(ExitCode::input,
                      plugin.path().u8string() + ": has no image named " + options->name);
    }
    const std::string sha256 = sha256Hex(bytes);
    if (toStdout) {
      writeOutput(bytes);
      std::cerr << fileLine("standard output", bytes.size(), sha256) << '\n';
      return;
    }
    // Texts inside fwhost are UTF-8, which a narrow path on Windows is not.
    const std::string named = options->name + ".bin";
    std::filesystem::path file = std::filesystem::u8path(options->file.empty() ? named : options->file);
    if (inspectPath(file).kind == PathKind::directory) file /= std::filesystem::u8path(named);
    const bool written = decideWrite(file, bytes, options->force) == WriteStep::write;
    if (written) writeFileSafely(file, bytes);
    if (host.json) {
      printJson({{"name", options->name},
                 {"file", file.u8string()},
                 {"size", bytes.size()},
                 {"sha256", sha256},
                 {"written", written}});
    } else {
      printLine(fileLine(file.u8string(), bytes.size(), sha256) +
                (written ? "" : "  (already in place)"));
    }
  });
}

}  // namespace fwhost
