// The exit codes of fwhost, and the error that ends a command with one of them.
#ifndef FWHOST_HOSTERROR_H
#define FWHOST_HOSTERROR_H

#include <stdexcept>
#include <string>

namespace fwhost {

enum class ExitCode : int {
  done = 0,      // the command did its work, whatever the verdict
  usage = 1,     // the command line is wrong
  input = 2,     // a file or the plug-in cannot be read, loaded or written
  plugin = 3,    // the plug-in refused the request or answered inconsistently
  mismatch = 3,  // verify: a plan folder does not hold what its manifest says
};

// Thrown to end a command; main prints what() as one line on stderr and exits with code().
// answered: stdout already holds the command's JSON answer, which tells what failed, so main
// adds no error object after it.
class HostError : public std::runtime_error {
 public:
  HostError(ExitCode code, const std::string& message, bool answered = false)
      : std::runtime_error(message), code_(code), answered_(answered) {}
  ExitCode code() const { return code_; }
  bool answered() const { return answered_; }

 private:
  ExitCode code_;
  bool answered_;
};

}  // namespace fwhost

#endif
