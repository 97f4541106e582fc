// fwhost fetch: one firmware image into a file, or onto standard output.
#include <memory>
#include <string>

#include "host/commands/CommonOptions.h"
#include "host/plan/ImageFetch.h"

namespace fwhost {

CommandAction addFetchCommand(CLI::App& command, HostOptions& host) {
  auto choice = std::make_shared<FetchChoice>();
  command.add_option("NAME", choice->name, "image name, exactly as the plug-in names it")
      ->type_name("")
      ->required();
  command
      .add_option("-o,--output", choice->file,
                  "file or existing folder to write into, - for standard output "
                  "(default: NAME.bin)")
      ->type_name("FILE|DIR|-")
      ->each([&host](const std::string& value) { host.asked.bytes = value == "-"; });
  command.add_flag("--force", choice->force, "replace a file that holds other bytes");
  addJsonOption(command, "print {\"image\", \"output\"}");
  return [&command, &host, choice]() -> Result {
    requireNonEmpty(command, "--output", choice->file);
    return fetchImage(host.plugin, *choice);
  };
}

}  // namespace fwhost
