// fwhost info: the plug-in's configuration document, and which file answered it.
#include <iostream>
#include <memory>

#include "host/plugin/Answer.h"
#include "host/commands/Commands.h"
#include "host/plan/Sha256.h"
#include "host/output/Table.h"

namespace fwhost {
namespace {

// Numbers as numbers and booleans as booleans; a value its type cannot read stays text.
nlohmann::ordered_json typedValue(const AnswerProperty& property) {
  const std::string& type = property.type;
  const std::string& value = property.value;
  if (type == "boolean") return value == "true";
  const bool isSigned = type.rfind("sint", 0) == 0, isUnsigned = type.rfind("uint", 0) == 0;
  if (!isSigned && !isUnsigned) return value;
  try {
    size_t used = 0;
    nlohmann::ordered_json number = isSigned ? nlohmann::ordered_json(std::stoll(value, &used))
                                             : nlohmann::ordered_json(std::stoull(value, &used));
    if (used == value.size() && (isSigned || value.find('-') == std::string::npos)) return number;
  } catch (const std::logic_error&) {
  }
  return value;
}

}  // namespace

void addInfoCommand(CLI::App& app, HostOptions& host) {
  CLI::App* command = app.add_subcommand(
      "info", "Show the plug-in's configuration attributes and which file was loaded");
  addJsonFlag(*command, host.json,
              "print {\"plugin\", \"sha256\", \"attributes\"}, each attribute as a typed value");
  command->callback([&host] {
    const Plugin plugin = openPlugin(host);
    const std::string sha256 = sha256OfFile(plugin.path());
    const auto properties = readAnswer(plugin.configuration(), plugin.path().u8string());
    if (host.json) {
      nlohmann::ordered_json values = nlohmann::ordered_json::object();
      for (const AnswerProperty& property : properties)
        values[property.name] = typedValue(property);
      printJson({{"plugin", plugin.path().u8string()}, {"sha256", sha256}, {"attributes", values}});
      return;
    }
    std::cout << "plug-in " << plugin.path().u8string() << "\nsha256 " << sha256 << "\n\n";
    std::vector<TableRow> rows;
    for (const AnswerProperty& property : properties) {
      rows.push_back({property.name, property.displayName, property.type, property.value});
    }
    printTable(std::cout, {"NAME", "DISPLAY NAME", "TYPE", "VALUE"}, rows);
  });
}

}  // namespace fwhost
