// fwhost fetch: one firmware image into a file.
#include <iostream>
#include <memory>

#include "host/Commands.h"
#include "host/Files.h"
#include "host/HostError.h"
#include "host/Sha256.h"

namespace fwhost {
namespace {

struct FetchOptions {
  std::string name;
  std::string file;
};

}  // namespace

void addFetchCommand(CLI::App& app, const HostOptions& host) {
  auto options = std::make_shared<FetchOptions>();
  CLI::App* command = app.add_subcommand("fetch", "Write one firmware image to a file");
  command->add_option("NAME", options->name, "image name, exactly as the plug-in names it")
      ->required();
  command->add_option("-o,--output", options->file, "file to write (default: NAME.bin)");
  command->callback([&host, options] {
    const Plugin plugin = openPlugin(host);
    const std::string bytes = plugin.image(options->name);
    if (bytes.empty()) {
      throw HostError(ExitCode::input,
                      plugin.path().u8string() + ": has no image named " + options->name);
    }
    const std::string file = options->file.empty() ? options->name + ".bin" : options->file;
    writeFileAtomically(std::filesystem::u8path(file), bytes);
    std::cout << fileLine(file, bytes.size(), sha256Hex(bytes)) << '\n';
  });
}

}  // namespace fwhost
