// The one error of fwhost: a line that names what it is about, and a kind that decides the
// exit code. Every room throws it; main prints it once.
#ifndef FWHOST_ERROR_HOSTERROR_H
#define FWHOST_ERROR_HOSTERROR_H

#include <exception>
#include <string>
#include <vector>

namespace fwhost {

enum class ErrorKind {
  usage,               // the command line is wrong
  io,                  // a file, folder, device or stream cannot be read or written
  invalidInput,        // a file or name given is not what the command takes
  refusedTarget,       // a target that is not a regular file, or holds other bytes
  unusablePlugin,      // the plug-in cannot be found or loaded, or lacks an export
  pluginRefused,       // the plug-in answered 36 or refused an image
  inconsistentAnswer,  // an answer that breaks the plug-in's protocol
  pluginFailed,        // the plug-in crashed, exited, overstepped a limit or gave no answer
  mismatch,            // verify: a plan folder differs from its manifest
  internal,            // a fault of fwhost itself
};

// "usage", "io", "invalid-input", "refused-target", "unusable-plugin", "plugin-refused",
// "inconsistent-answer", "mismatch", "internal": the code a script reads beside the message.
const char* errorCode(ErrorKind kind);

// The exit code of a command that ended with an error of this kind.
int exitCodeOf(ErrorKind kind);

class HostError : public std::exception {
 public:
  // subject: the file, folder, stream, plug-in or drive the error is about, first in the line;
  // empty when there is none.
  static HostError usage(const std::string& what);
  static HostError io(const std::string& subject, const std::string& what);
  static HostError invalidInput(const std::string& subject, const std::string& what);
  static HostError refusedTarget(const std::string& path, const std::string& what);
  static HostError unusablePlugin(const std::string& path, const std::string& what);
  static HostError pluginRefused(const std::string& subject, const std::string& what);
  // "PLUGIN: answered inconsistently (DETAIL)".
  static HostError inconsistentAnswer(const std::string& plugin, const std::string& detail);
  // "PLUGIN: answered a document that is not XML (REASON)".
  static HostError unreadableAnswer(const std::string& plugin, const std::string& reason);
  // "PLUGIN: WHAT DURING": "killed by SIGSEGV in GetTargetFirmwareBinary".
  static HostError pluginFailed(const std::string& plugin, const std::string& what,
                                const std::string& during);
  static HostError mismatch(const std::string& path, const std::string& what);
  static HostError noPluginFound(const std::vector<std::string>& tried);
  static HostError internal(const std::string& what);

  // The same error about subject, for a caller that knows where the bytes came from.
  HostError about(const std::string& subject) const { return {kind_, subject, message_}; }

  ErrorKind kind() const { return kind_; }
  int exitCode() const { return exitCodeOf(kind_); }
  const char* what() const noexcept override { return message_.c_str(); }

 private:
  HostError(ErrorKind kind, const std::string& subject, const std::string& what);

  ErrorKind kind_;
  std::string message_;
};

// The exit code of a command that did its work, whatever the verdict.
constexpr int kExitDone = 0;
// scan: some drives were mapped (and planned), others failed; their rows say which and why.
constexpr int kExitPartlyDone = 5;

}  // namespace fwhost

#endif
