#include "host/output/TextRenderer.h"

#include <iostream>
#include <string>
#include <vector>

#include "host/output/Output.h"
#include "host/output/Table.h"
#include "host/platform/StandardStreams.h"

namespace fwhost {
namespace {

// "PATH  SIZE bytes  sha256 HEX", the line that reports one file.
std::string fileLine(const FileResult& file) {
  return file.path + "  " + std::to_string(file.size) + " bytes  sha256 " + file.sha256;
}

const char* actionWords(FileAction action) {
  const char* const words[] = {"wrote", "kept", "would write"};
  return words[static_cast<int>(action)];
}

std::string verdictLine(const MappingAnswer& mapping) {
  return std::string(verdictWords(mapping.verdict)) + " (status " + std::to_string(mapping.status) +
         ")";
}

std::string mapText(const MappingAnswer& mapping) {
  std::string text = verdictLine(mapping) + "\ntarget version: " +
                     (mapping.destination.empty() ? "none" : mapping.destination) + '\n';
  if (mapping.packages.empty()) return text + "packages: none\n";
  text += "packages, in flash order:\n";
  for (size_t i = 0; i < mapping.packages.size(); ++i)
    text += "  " + std::to_string(i + 1) + "  " + mapping.packages[i] + '\n';
  return text;
}

// The heading of a written plan, or why there is none.
std::string planHeading(const PlanResult& plan) {
  if (plan.outcome != PlanOutcome::planned) return "no plan: " + plan.reason;
  return "update to " + plan.destination + ": " + std::to_string(plan.packages) + " packages, " +
         std::to_string(plan.bytes) + " bytes, into " + plan.directory;
}

std::string planText(const PlanResult& plan) {
  std::string text = planHeading(plan) + '\n';
  for (const FileResult& file : plan.files)
    text += std::string(actionWords(file.action)) + " " + fileLine(file) + '\n';
  return text;
}

// A size of 0 is a name the plug-in serves nothing under.
std::vector<TableRow> imageRows(const std::vector<ImageEntry>& images) {
  std::vector<TableRow> rows;
  for (const ImageEntry& image : images)
    rows.push_back({image.name, image.size == 0 ? "not served" : std::to_string(image.size)});
  return rows;
}

std::string infoText(const InfoResult& info) {
  std::vector<TableRow> rows;
  for (const AnswerProperty& property : info.attributes)
    rows.push_back({property.name, property.displayName, property.type, property.value});
  return safeLines("plug-in " + info.plugin.path + "\nsha256 " + info.plugin.sha256 + "\n") + "\n" +
         tableText({"NAME", "DISPLAY NAME", "TYPE", "VALUE"}, rows) + "\n" +
         tableText({"IMAGE", "BYTES"}, imageRows(info.images));
}

std::string verifyText(const VerifyResult& verify) {
  if (!verify.complete()) return {};
  const std::string signature = verify.signedBy   ? "signed by " + *verify.signedBy
                                : verify.isSigned ? "signed (give --key to check by whom)"
                                                  : "not signed";
  const std::string plugin =
      verify.matchedPlugin ? ", each the bytes the plug-in " + *verify.matchedPlugin + " hands out"
                           : "";
  return safeLines(verify.directory + ": complete plan, " + std::to_string(verify.packages) +
                   " packages, each as the manifest lists it" + plugin + "; " + signature);
}

// An error's text goes below the table, where its length moves no column.
TableRow scanCells(const ScanRow& row) {
  if (row.error) return {row.device, "", "", "", row.readFrom, "", "error (below)", ""};
  const DriveNames& drive = *row.drive;
  return {row.device,
          drive.model,
          drive.serial,
          drive.firmware,
          row.readFrom + (row.truncation.empty() ? "" : " (truncated)"),
          row.attributesFrom,
          std::string(verdictWords(row.mapping->verdict)) +
              (row.completeDescription ? "" : " (incomplete description)"),
          row.mapping->destination};
}

std::string scanText(const ScanResult& scan) {
  std::string skipped;
  for (const ScanSkip& skip : scan.skipped)
    skipped += "skipped " + skip.device + ": " + skip.reason + '\n';
  if (scan.drives.empty()) return safeLines(skipped);
  std::vector<TableRow> rows;
  std::string errors;
  for (const ScanRow& row : scan.drives) {
    rows.push_back(scanCells(row));
    if (row.error) errors += row.device + ": error: " + row.error->message + '\n';
  }
  std::string text = tableText({"DEVICE", "MODEL", "SERIAL", "FIRMWARE", "SOURCE", "ATTRIBUTES",
                                "VERDICT", "TARGET"},
                               rows) +
                     safeLines(errors + skipped);
  if (scan.planning) {
    std::string lines;
    for (const ScanRow& row : scan.drives) {
      const std::string line = row.plan ? planHeading(*row.plan) : "no plan: its row is an error";
      lines += row.device + ": " + line + '\n';
    }
    text += safeLines(lines);
  }
  return text;
}

std::string versionText(const VersionResult& version) {
  std::string text = "fwhost " + version.fwhost + '\n';
  if (version.plugin) {
    text += "plug-in " + version.plugin->path + " Version " +
            version.plugin->version.value_or("unknown") + '\n';
  }
  return safeLines(text);
}

// What the text renderer writes on stdout for each result.
struct TextOf {
  std::string operator()(const InfoResult& info) const { return infoText(info); }
  std::string operator()(const MapResult& map) const { return safeLines(mapText(map.mapping)); }
  std::string operator()(const DescribeResult& describe) const {
    return documentText(describe.description);
  }
  std::string operator()(const FetchResult& fetch) const {
    return safeLines(fileLine(fetch.output) +
                     (fetch.output.action == FileAction::kept ? "  (already in place)" : ""));
  }
  std::string operator()(const PlanCommandResult& plan) const {
    if (plan.plan.outcome == PlanOutcome::skipped) {
      return safeLines("nothing written: " + verdictLine(plan.mapping) + ", no update to fetch");
    }
    return safeLines(planText(plan.plan));
  }
  std::string operator()(const VerifyResult& verify) const { return verifyText(verify); }
  std::string operator()(const ScanResult& scan) const { return scanText(scan); }
  std::string operator()(const VersionResult& version) const { return versionText(version); }
  std::string operator()(const HelpResult& help) const { return help.text; }
};

}  // namespace

std::string documentText(const std::string& document) {
  return standardOutputIsTerminal() ? safeLines(document) : document;
}

void TextRenderer::render(const Result& result, const Warnings&) {
  writeOutput(std::visit(TextOf{}, result));
}

void TextRenderer::renderFailure(const HostError&, const std::string&, const std::string&,
                                 const Warnings&) {}

void RawRenderer::render(const Result& result, const Warnings& warnings) {
  if (const auto* map = std::get_if<MapResult>(&result)) {
    writeOutput(documentText(map->document + '\n'));
  } else if (const auto* fetch = std::get_if<FetchResult>(&result)) {
    writeOutput(fetch->bytes);
    std::cerr << safeLines(fileLine(fetch->output));
  } else {
    TextRenderer::render(result, warnings);
  }
}

}  // namespace fwhost
