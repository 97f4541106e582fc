#include "host/output/Renderer.h"

#include <iostream>

#include "host/output/JsonRenderer.h"
#include "host/output/Output.h"
#include "host/output/TerminalText.h"
#include "host/output/TextRenderer.h"

namespace fwhost {
namespace {

// Each warning, "fwhost: warning: SUBJECT: MESSAGE".
void showWarnings(const Warnings& warnings) {
  for (const Warning& warning : warnings) {
    printError("warning: " + (warning.subject.empty() ? "" : warning.subject + ": ") +
               warning.message);
  }
}

// What a result tells a person on stderr, whatever the mode: stdout may be a script's.
struct NotesOf {
  void operator()(const VerifyResult& verify) const {
    if (verify.complete()) return;
    size_t differing = 0;
    for (const FileCheck& check : verify.files) {
      if (check.result == FileCheckResult::ok) continue;
      printError(check.path + ": " + check.detail);
      ++differing;
    }
    printError(verify.directory + ": " + std::to_string(differing) + " of " +
               std::to_string(verify.files.size()) + " files differ from the manifest");
  }
  void operator()(const ScanResult& scan) const {
    for (const ScanRow& row : scan.drives) showWarnings(row.warnings);
    if (scan.drives.empty()) printError(scan.searched + ": no NVMe or SATA/SCSI drives found");
    if (const size_t failed = scan.failures()) {
      printError(std::to_string(failed) + " of " + std::to_string(scan.drives.size()) +
                 " drives could not be read or planned (see their rows)");
    }
  }
  template <typename Other>
  void operator()(const Other&) const {}
};

}  // namespace

void Renderer::answer(const Result& result, const Warnings& warnings) {
  showWarnings(warnings);
  std::visit(NotesOf{}, result);
  render(result, warnings);
  checkOutput();
}

void Renderer::failure(const HostError& error, const std::string& hint, const std::string& command,
                       const Warnings& warnings) {
  showWarnings(warnings);
  const std::string message = error.what() + hint;
  printError(message);
  renderFailure(error, message, command, warnings);
  std::cout.flush();
}

void Renderer::logLine(const std::string& line) { std::cerr << terminalSafe(line) << '\n'; }

std::unique_ptr<Renderer> makeRenderer(OutputMode mode) {
  switch (mode) {
    case OutputMode::json:
      return std::make_unique<JsonRenderer>();
    case OutputMode::xml:
    case OutputMode::bytes:
      return std::make_unique<RawRenderer>();
    case OutputMode::text:
      break;
  }
  return std::make_unique<TextRenderer>();
}

}  // namespace fwhost
