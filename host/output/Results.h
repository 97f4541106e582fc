// What each command answers, as values: made by the rooms below the commands and rendered by
// one renderer. Texts are kept as they were read from a drive, a file or the plug-in; only a
// renderer escapes them, each by the rules of its form.
#ifndef FWHOST_OUTPUT_RESULTS_H
#define FWHOST_OUTPUT_RESULTS_H

#include <cstdint>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "host/error/Warning.h"
#include "host/output/Verdict.h"

namespace fwhost {

// The plug-in's answer for one drive.
struct MappingAnswer {
  uint32_t status = 0;
  Verdict verdict = Verdict::noUpdateOffered;
  std::string source;
  std::string destination;
  std::vector<std::string> packages;  // names, in flash order
};

// The plug-in file that answered.
struct PluginFile {
  std::string path;  // absolute
  std::string sha256;
  std::optional<std::string> version;  // none when its configuration cannot say it
};

// One Property of an answer document.
struct AnswerProperty {
  std::string name;
  std::string displayName;
  std::string type;
  std::string value;
};

// What was done with one file that fwhost writes.
enum class FileAction { written, kept, wouldWrite };

struct FileResult {
  std::string file;  // its name in its folder
  std::string path;  // as the user named the folder, joined with the name
  uint64_t size = 0;
  std::string sha256;
  FileAction action = FileAction::written;
};

// Why something could not be done: the code a script reads and the sentence.
struct Failure {
  std::string code;
  std::string message;
};

// The model, serial and firmware a drive has, as it reports them or as described.
struct DriveNames {
  std::string model;
  std::string serial;
  std::string firmware;
};

// What became of one drive's plan.
enum class PlanOutcome { planned, skipped, failed };

struct PlanResult {
  PlanOutcome outcome = PlanOutcome::planned;
  std::string reason;     // why it was skipped or failed
  std::string directory;  // where it went; empty when it was skipped before one was chosen
  std::string destination;
  bool dryRun = false;
  uint64_t packages = 0;
  uint64_t bytes = 0;             // of the packages together
  std::vector<FileResult> files;  // the packages in flash order, SHA256SUMS, the manifest
};

// How one file of a plan folder compares with the manifest.
enum class FileCheckResult { ok, missing, notRegular, sizeDiffers, sha256Differs, unlisted };

struct FileCheck {
  std::string file;
  std::string path;
  FileCheckResult result = FileCheckResult::ok;
  std::string detail;  // what differs, for people; empty when ok
};

// An image name fwhost knows, and the size the plug-in serves under it; 0: none.
struct ImageEntry {
  std::string name;
  uint32_t size = 0;
};

struct InfoResult {
  PluginFile plugin;
  std::vector<AnswerProperty> attributes;  // in document order
  std::vector<ImageEntry> images;
};

struct MapResult {
  MappingAnswer mapping;
  std::string document;  // the plug-in's answer, unchanged
};

struct DescribeResult {
  std::string description;  // the XML document
};

struct FetchResult {
  std::string image;
  FileResult output;  // path "standard output" when written there
  std::string bytes;  // only when written to standard output
};

struct PlanCommandResult {
  MappingAnswer mapping;
  PlanResult plan;  // skipped, with the verdict as reason, unless an update is available
};

struct VerifyResult {
  std::string directory;
  uint64_t packages = 0;
  std::vector<FileCheck> files;         // each listed file, SHA256SUMS, then each file not listed
  bool isSigned = false;                // a signature file is there, checked or not
  std::optional<std::string> signedBy;  // the key file that verified it, when keys were given
  std::optional<std::string> matchedPlugin;  // the plug-in the packages were compared with
  bool complete() const;
};

// One drive of a scan.
struct ScanRow {
  std::string device;
  std::string readFrom;  // where its identity was read ("nvme-sysfs"); empty when it was not
  std::optional<DriveNames> drive;
  std::string truncation;  // why its identity is not whole; empty when it is
  std::optional<MappingAnswer> mapping;
  std::optional<PlanResult> plan;  // only with --plan
  std::optional<Failure> error;    // why it could not be read or mapped
  Warnings warnings;
  // Where its vendor attributes came from: "--set", "FILE rule N" (from 1), "none".
  std::string attributesFrom;
  // False when its verdict rests on a truncated identity or lacks vendor attributes the rules
  // read: the plug-in answered for a drive described in part.
  bool completeDescription = true;
  bool failed() const;
};

// A block device scan passed over, and why.
struct ScanSkip {
  std::string device;
  std::string reason;
};

struct ScanResult {
  std::string searched;  // where drives were looked for
  std::vector<ScanRow> drives;
  bool planning = false;  // --plan given
  std::vector<ScanSkip> skipped;
  size_t failures() const;
};

struct HelpResult {
  std::string text;  // left as text whatever the output mode
};

struct VersionResult {
  std::string fwhost;
  std::optional<PluginFile> plugin;  // none when no plug-in loads
};

using Result = std::variant<InfoResult, MapResult, DescribeResult, FetchResult, PlanCommandResult,
                            VerifyResult, ScanResult, VersionResult, HelpResult>;

// "info", "map", "describe", "fetch", "plan", "verify", "scan", "version", "help".
const char* commandOf(const Result& result);

// 0 when the command did all its work; verify: 3 when a file differs; scan: 5 when some drives
// failed and others did not, 2 when all failed.
int exitCodeOf(const Result& result);

// "written", "kept", "would-write"; the text renderer's words are "wrote", "kept", "would
// write".
const char* fileActionToken(FileAction action);

// "ok", "missing", "not-regular", "size-differs", "sha256-differs", "unlisted".
const char* fileCheckToken(FileCheckResult result);

// "planned", "skipped", "failed".
const char* planOutcomeToken(PlanOutcome outcome);

}  // namespace fwhost

#endif
