#include "host/output/Results.h"

#include <algorithm>
#include <iterator>

#include "host/error/HostError.h"

namespace fwhost {

bool VerifyResult::complete() const {
  return std::all_of(files.begin(), files.end(),
                     [](const FileCheck& check) { return check.result == FileCheckResult::ok; });
}

bool ScanRow::failed() const { return error || (plan && plan->outcome == PlanOutcome::failed); }

size_t ScanResult::failures() const {
  return static_cast<size_t>(
      std::count_if(drives.begin(), drives.end(), [](const ScanRow& row) { return row.failed(); }));
}

const char* commandOf(const Result& result) {
  // In the order of Result's alternatives.
  const char* const names[] = {"info",   "map",  "describe", "fetch", "plan",
                               "verify", "scan", "version",  "help"};
  static_assert(std::size(names) == std::variant_size_v<Result>);
  return names[result.index()];
}

int exitCodeOf(const Result& result) {
  if (const auto* verify = std::get_if<VerifyResult>(&result))
    return verify->complete() ? kExitDone : exitCodeOf(ErrorKind::mismatch);
  if (const auto* scan = std::get_if<ScanResult>(&result)) {
    const size_t failed = scan->failures();
    if (failed == 0) return kExitDone;
    return failed < scan->drives.size() ? kExitPartlyDone : exitCodeOf(ErrorKind::io);
  }
  return kExitDone;
}

const char* fileActionToken(FileAction action) {
  const char* const tokens[] = {"written", "kept", "would-write"};
  return tokens[static_cast<int>(action)];
}

const char* fileCheckToken(FileCheckResult result) {
  const char* const tokens[] = {"ok",           "missing",        "not-regular",
                                "size-differs", "sha256-differs", "unlisted"};
  return tokens[static_cast<int>(result)];
}

const char* planOutcomeToken(PlanOutcome outcome) {
  const char* const tokens[] = {"planned", "skipped", "failed"};
  return tokens[static_cast<int>(outcome)];
}

}  // namespace fwhost
