#include "host/commands/Commands.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <iostream>

#include "host/drive/DescriptionCheck.h"
#include "host/error/HostError.h"
#include "host/plugin/PluginLocation.h"

namespace fwhost {

Plugin openPlugin(const HostOptions& host) {
  return Plugin(host.plugin.empty() ? defaultPluginPath() : std::filesystem::u8path(host.plugin),
                host.verbose);
}

std::string pluginVersion(const Plugin& plugin) {
  for (const AnswerProperty& property :
       readAnswer(plugin.configuration(), plugin.path().u8string())) {
    if (property.name == "Version") return property.value;
  }
  return {};
}

void addJsonFlag(CLI::App& command, bool& json, const std::string& what) {
  command.add_flag("--json", json, what + "; a failure prints {\"error\": {...}}");
}

void requireNonEmpty(const CLI::App& command, const std::string& option, const std::string& value) {
  if (value.empty() && command.count(option) > 0)
    throw HostError(ExitCode::usage, option + ": needs a non-empty value");
}

void printJson(const nlohmann::ordered_json& document) {
  std::cout << document.dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace)
            << '\n';
}

namespace {

HostError outputFailure(int error) {
  return HostError(ExitCode::input, std::string("standard output: cannot write: ") +
                                        (error != 0 ? std::strerror(error) : "write failed"));
}

}  // namespace

void writeOutput(std::string_view bytes) {
  std::cout.flush();
  errno = 0;
  if (std::fwrite(bytes.data(), 1, bytes.size(), stdout) != bytes.size() ||
      std::fflush(stdout) != 0) {
    throw outputFailure(errno);
  }
}

void printLine(const std::string& line) { writeOutput(line + '\n'); }

void checkOutput() {
  errno = 0;
  if (std::fflush(stdout) != 0 || std::ferror(stdout) || !std::cout) throw outputFailure(errno);
}

std::string fileLine(const std::string& path, uint64_t size, const std::string& sha256) {
  return path + "  " + std::to_string(size) + " bytes  sha256 " + sha256;
}

MappedDrive mapDrive(const Plugin& plugin, const DriveText& drive) {
  const DescriptionCheck check = checkDescription(drive.xml);
  for (const std::string& warning : check.warnings)
    std::cerr << "fwhost: warning: " << drive.origin << ": " << warning << '\n';
  // The plug-in names no reason for refusing unreadable XML, so the parser's goes with its 36.
  const std::string origin = check.unreadable.empty()
                                 ? drive.origin
                                 : drive.origin + " (not XML: " + check.unreadable + ")";
  std::string document = plugin.mapping(drive.xml, origin);
  MappingAnswer answer = readMappingAnswer(document, plugin.path().u8string());
  return {std::move(answer), std::move(document), check.warnings, check.ruleAttributes};
}

}  // namespace fwhost
