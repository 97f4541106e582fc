// Renders what a command answered, or how it failed, in the one form the command line asked
// for, chosen once. Every text for people passes terminalSafe here and nowhere else.
#ifndef FWHOST_OUTPUT_RENDERER_H
#define FWHOST_OUTPUT_RENDERER_H

#include <memory>
#include <string>

#include "host/error/HostError.h"
#include "host/error/Warning.h"
#include "host/output/Results.h"

namespace fwhost {

// The one form a command's answer takes on stdout.
enum class OutputMode {
  text,   // lines and tables for people
  json,   // one JSON document, also on failure
  xml,    // the plug-in's answer document unchanged
  bytes,  // an image's raw bytes
};

class Renderer {
 public:
  virtual ~Renderer() = default;

  // The run's warnings on stderr, then the command's answer; HostError (io) when stdout fails.
  void answer(const Result& result, const Warnings& warnings);

  // The run's warnings and one line on stderr, hint appended (where to find the usage), and in
  // JSON a document on stdout too; command is empty when none was named.
  void failure(const HostError& error, const std::string& hint, const std::string& command,
               const Warnings& warnings);

  // One line of the plug-in's log, as it comes, on stderr.
  void logLine(const std::string& line);

 private:
  virtual void render(const Result& result, const Warnings& warnings) = 0;
  // What the mode adds to the line on stderr that says how the command failed.
  virtual void renderFailure(const HostError& error, const std::string& message,
                             const std::string& command, const Warnings& warnings) = 0;
};

std::unique_ptr<Renderer> makeRenderer(OutputMode mode);

}  // namespace fwhost

#endif
