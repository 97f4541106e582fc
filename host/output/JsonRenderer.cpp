#include "host/output/JsonRenderer.h"

#include <stdexcept>
#include <string>

#include "host/output/JsonValues.h"
#include "host/output/Output.h"

namespace fwhost {
namespace {

Json toJson(const PlanResult& plan) {
  Json files = Json::array();
  for (const FileResult& file : plan.files) files.push_back(toJson(file));
  return {{"outcome", planOutcomeToken(plan.outcome)},
          {"reason", plan.reason},
          {"directory", plan.directory},
          {"destination", plan.destination},
          {"dry_run", plan.dryRun},
          {"bytes", plan.bytes},
          {"files", files}};
}

template <typename T>
Json orNull(const std::optional<T>& value) {
  return value ? toJson(*value) : Json(nullptr);
}

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

Json scanRow(const ScanRow& row) {
  Json drive = nullptr;
  if (row.drive) {
    drive = {{"model", row.drive->model},
             {"serial", row.drive->serial},
             {"firmware", row.drive->firmware}};
  }
  return {{"device", row.device},
          {"read_from", row.readFrom},
          {"drive", drive},
          {"truncation", row.truncation},
          {"mapping", orNull(row.mapping)},
          {"plan", orNull(row.plan)},
          {"error", orNull(row.error)},
          {"attributes_from", row.attributesFrom},
          {"complete_description", row.completeDescription},
          {"warnings", toJson(row.warnings)}};
}

// The fields of each document between "command" and "warnings".
struct BodyOf {
  Json operator()(const InfoResult& info) const {
    Json attributes = Json::object();
    for (const AnswerProperty& property : info.attributes)
      attributes[property.name] = typedValue(property);
    Json images = Json::array();
    for (const ImageEntry& image : info.images)
      images.push_back({{"name", image.name}, {"size", image.size}});
    return {{"plugin", toJson(info.plugin)}, {"attributes", attributes}, {"images", images}};
  }
  Json operator()(const MapResult& map) const { return {{"mapping", toJson(map.mapping)}}; }
  Json operator()(const DescribeResult& describe) const {
    return {{"description", describe.description}};
  }
  Json operator()(const FetchResult& fetch) const {
    return {{"image", fetch.image}, {"output", toJson(fetch.output)}};
  }
  Json operator()(const PlanCommandResult& plan) const {
    return {{"mapping", toJson(plan.mapping)}, {"plan", toJson(plan.plan)}};
  }
  Json operator()(const VerifyResult& verify) const {
    Json files = Json::array();
    for (const FileCheck& check : verify.files) {
      files.push_back({{"file", check.file},
                       {"path", check.path},
                       {"result", fileCheckToken(check.result)},
                       {"detail", check.detail}});
    }
    return {{"directory", verify.directory},
            {"complete", verify.complete()},
            {"files", files},
            {"signed", verify.isSigned},
            {"signed_by", verify.signedBy ? Json(*verify.signedBy) : Json(nullptr)},
            {"matched_plugin", verify.matchedPlugin ? Json(*verify.matchedPlugin) : Json(nullptr)}};
  }
  Json operator()(const ScanResult& scan) const {
    Json drives = Json::array();
    for (const ScanRow& row : scan.drives) drives.push_back(scanRow(row));
    Json skipped = Json::array();
    for (const ScanSkip& skip : scan.skipped)
      skipped.push_back({{"device", skip.device}, {"reason", skip.reason}});
    return {{"searched", scan.searched},
            {"planning", scan.planning},
            {"drives", drives},
            {"skipped", skipped}};
  }
  Json operator()(const VersionResult& version) const {
    return {{"fwhost", version.fwhost}, {"plugin", orNull(version.plugin)}};
  }
  Json operator()(const HelpResult&) const { return nullptr; }
};

void printDocument(const std::string& command, const Json& body, const Warnings& warnings) {
  Json document = {{"schema_version", kSchemaVersion},
                   {"command", command.empty() ? Json(nullptr) : Json(command)}};
  document.update(body);
  document["warnings"] = toJson(warnings);
  // Texts that are not UTF-8 (from a drive, a file or the plug-in) have U+FFFD in JSON.
  writeOutput(document.dump(2, ' ', false, Json::error_handler_t::replace) + '\n');
}

}  // namespace

void JsonRenderer::render(const Result& result, const Warnings& warnings) {
  if (const auto* help = std::get_if<HelpResult>(&result)) {
    writeOutput(help->text);
    return;
  }
  printDocument(commandOf(result), std::visit(BodyOf{}, result), warnings);
}

void JsonRenderer::renderFailure(const HostError& error, const std::string& message,
                                 const std::string& command, const Warnings& warnings) {
  const Json failure = {
      {"code", errorCode(error.kind())}, {"exit_code", error.exitCode()}, {"message", message}};
  printDocument(command, {{"error", failure}}, warnings);
}

}  // namespace fwhost
