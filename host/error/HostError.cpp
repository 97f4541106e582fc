#include "host/error/HostError.h"

#include <iterator>

namespace fwhost {
namespace {

struct KindRow {
  ErrorKind kind;
  int exitCode;
  const char* code;
};

// The exit codes a script can rely on: 1 for the command line, 2 for what the user handed in
// (files, targets, the plug-in chosen), 3 for what the plug-in answered or a plan that does not
// hold, 4 for fwhost's own faults.
// clang-format off
const KindRow kKinds[] = {
    {ErrorKind::usage,              1, "usage"},
    {ErrorKind::io,                 2, "io"},
    {ErrorKind::invalidInput,       2, "invalid-input"},
    {ErrorKind::refusedTarget,      2, "refused-target"},
    {ErrorKind::unusablePlugin,     2, "unusable-plugin"},
    {ErrorKind::pluginRefused,      3, "plugin-refused"},
    {ErrorKind::inconsistentAnswer, 3, "inconsistent-answer"},
    {ErrorKind::pluginFailed,       3, "plugin-failed"},
    {ErrorKind::mismatch,           3, "mismatch"},
    {ErrorKind::internal,           4, "internal"},
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

HostError HostError::internal(const std::string& what) {
  return {ErrorKind::internal, "", "internal error: " + what};
}

const char* errorCode(ErrorKind kind) { return rowOf(kind).code; }

int exitCodeOf(ErrorKind kind) { return rowOf(kind).exitCode; }

}  // namespace fwhost
