// fwhost info: the plug-in's configuration document, and which file answered it.
#include <iostream>
#include <stdexcept>
#include <string>

#include <nlohmann/json.hpp>

#include "host/commands/CommonOptions.h"
#include "host/output/Table.h"
#include "host/plan/Sha256.h"
#include "host/plugin/Answer.h"
#include "host/plugin/Plugin.h"

namespace fwhost {
namespace {

using Json = nlohmann::ordered_json;

// Numbers as numbers and booleans as booleans; a value its type cannot read stays text.
Json typedValue(const AnswerProperty& property) {
  const std::string& type = property.type;
  const std::string& value = property.value;
  if (type == "boolean") return value == "true";
  const bool isSigned = type.rfind("sint", 0) == 0, isUnsigned = type.rfind("uint", 0) == 0;
  if (!isSigned && !isUnsigned) return value;
  try {
    size_t used = 0;
    Json number = isSigned ? Json(std::stoll(value, &used)) : Json(std::stoull(value, &used));
    if (used == value.size() && (isSigned || value.find('-') == std::string::npos)) return number;
  } catch (const std::logic_error&) {
  }
  return value;
}

void showInfo(const HostOptions& host) {
  const Plugin plugin = openPlugin(host.plugin);
  const std::string sha256 = sha256OfFile(plugin.path());
  const auto properties = readAnswer(plugin.configuration(), plugin.path().u8string());
  if (host.output == OutputMode::json) {
    Json values = Json::object();
    for (const AnswerProperty& property : properties) values[property.name] = typedValue(property);
    printJson({{"plugin", plugin.path().u8string()}, {"sha256", sha256}, {"attributes", values}});
    return;
  }
  std::cout << "plug-in " << plugin.path().u8string() << "\nsha256 " << sha256 << "\n\n";
  std::vector<TableRow> rows;
  for (const AnswerProperty& property : properties) {
    rows.push_back({property.name, property.displayName, property.type, property.value});
  }
  printTable(std::cout, {"NAME", "DISPLAY NAME", "TYPE", "VALUE"}, rows);
}

}  // namespace

CommandAction addInfoCommand(CLI::App& command, HostOptions& host) {
  addJsonOption(command, host,
                "print {\"plugin\", \"sha256\", \"attributes\"}, each attribute as a typed value");
  return [&host] { showInfo(host); };
}

}  // namespace fwhost
