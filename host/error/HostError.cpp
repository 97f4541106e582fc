#include "host/error/HostError.h"

#include <iterator>

namespace fwhost {
namespace {

struct KindRow {
  ErrorKind kind;
  int exitCode;
  bool answered;
};

// The exit codes a script can rely on: 1 for the command line, 2 for what the user handed in
// (files, targets, the plug-in chosen), 3 for what the plug-in answered or a plan that does not
// hold, 4 for fwhost's own faults.
// clang-format off
const KindRow kKinds[] = {
    {ErrorKind::usage,              1, false},
    {ErrorKind::io,                 2, false},
    {ErrorKind::invalidInput,       2, false},
    {ErrorKind::refusedTarget,      2, false},
    {ErrorKind::unusablePlugin,     2, false},
    {ErrorKind::drivesFailed,       2, true},
    {ErrorKind::pluginRefused,      3, false},
    {ErrorKind::inconsistentAnswer, 3, false},
    {ErrorKind::pluginFailed,       3, false},
    {ErrorKind::mismatch,           3, false},
    {ErrorKind::internal,           4, false},
};
// clang-format on

const KindRow& rowOf(ErrorKind kind) {
  for (const KindRow& row : kKinds) {
    if (row.kind == kind) return row;
  }
  return kKinds[std::size(kKinds) - 1];
}

}  // namespace

HostError::HostError(ErrorKind kind, const std::string& subject, const std::string& what)
    : kind_(kind), message_(subject.empty() ? what : subject + ": " + what) {}

HostError HostError::usage(const std::string& what) { return {ErrorKind::usage, "", what}; }

HostError HostError::io(const std::string& subject, const std::string& what) {
  return {ErrorKind::io, subject, what};
}

HostError HostError::invalidInput(const std::string& subject, const std::string& what) {
  return {ErrorKind::invalidInput, subject, what};
}

HostError HostError::refusedTarget(const std::string& path, const std::string& what) {
  return {ErrorKind::refusedTarget, path, what};
}

HostError HostError::unusablePlugin(const std::string& path, const std::string& what) {
  return {ErrorKind::unusablePlugin, path, what};
}

HostError HostError::pluginRefused(const std::string& subject, const std::string& what) {
  return {ErrorKind::pluginRefused, subject, what};
}

HostError HostError::inconsistentAnswer(const std::string& plugin, const std::string& detail) {
  return {ErrorKind::inconsistentAnswer, plugin, "answered inconsistently (" + detail + ")"};
}

HostError HostError::unreadableAnswer(const std::string& plugin, const std::string& reason) {
  return {ErrorKind::inconsistentAnswer, plugin,
          "answered a document that is not XML (" + reason + ")"};
}

HostError HostError::pluginFailed(const std::string& plugin, const std::string& what,
                                  const std::string& during) {
  return {ErrorKind::pluginFailed, plugin, what + " " + during};
}

HostError HostError::mismatch(const std::string& path, const std::string& what) {
  return {ErrorKind::mismatch, path, what};
}

HostError HostError::noPluginFound(const std::vector<std::string>& tried) {
  std::string list;
  for (const std::string& path : tried) list += (list.empty() ? "" : ", ") + path;
  return {ErrorKind::unusablePlugin, "",
          "no plug-in found (looked for " + list + "); use --plugin PATH"};
}

HostError HostError::drivesFailed(size_t failed, size_t total) {
  return {ErrorKind::drivesFailed, "",
          std::to_string(failed) + " of " + std::to_string(total) +
              " drives could not be read or planned (see their rows)"};
}

HostError HostError::internal(const std::string& what) {
  return {ErrorKind::internal, "", "internal error: " + what};
}

int HostError::exitCode() const { return rowOf(kind_).exitCode; }

bool HostError::answered() const { return rowOf(kind_).answered; }

}  // namespace fwhost
