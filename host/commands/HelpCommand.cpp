// fwhost help [COMMAND]: the same text as --help, for those who type it the other way round.
#include <memory>
#include <string>

#include "host/commands/Commands.h"

namespace fwhost {

CommandAction addHelpCommand(CLI::App& command, HostOptions&) {
  auto name = std::make_shared<std::string>();
  command.add_option("COMMAND", *name, "the command to explain")->type_name("");
  CLI::App& app = *command.get_parent();
  return [&app, name]() -> Result {
    if (name->empty())
      return HelpResult{app.get_formatter()->make_help(&app, "fwhost", CLI::AppFormatMode::Normal)};
    for (const CLI::App* each : app.get_subcommands([](const CLI::App*) { return true; })) {
      if (each->get_name() == *name) return HelpResult{each->help("fwhost")};
    }
    throw unknownCommand(*name);
  };
}

}  // namespace fwhost
