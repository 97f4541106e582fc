// fwhost info: the plug-in's configuration document.
#include <iostream>
#include <memory>

#include "host/Answer.h"
#include "host/Commands.h"
#include "host/Table.h"

namespace fwhost {

void addInfoCommand(CLI::App& app, const HostOptions& host) {
  auto json = std::make_shared<bool>(false);
  CLI::App* command = app.add_subcommand("info", "Show the plug-in's configuration attributes");
  command->add_flag("--json", *json, "print one object mapping each attribute name to its value");
  command->callback([&host, json] {
    const Plugin plugin = openPlugin(host);
    const auto properties = readAnswer(plugin.configuration(), plugin.path().u8string());
    if (*json) {
      nlohmann::ordered_json values = nlohmann::ordered_json::object();
      for (const AnswerProperty& property : properties) values[property.name] = property.value;
      printJson(values);
      return;
    }
    std::vector<TableRow> rows;
    for (const AnswerProperty& property : properties) {
      rows.push_back({property.name, property.displayName, property.type, property.value});
    }
    printTable(std::cout, {"NAME", "DISPLAY NAME", "TYPE", "VALUE"}, rows);
  });
}

}  // namespace fwhost
