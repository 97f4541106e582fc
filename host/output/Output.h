// Standard output and error as the renderers write them: stdout flushed and checked, so that a
// failed write ends the command with an error instead of a silently short answer; every line
// for people made terminal-safe on its way.
#ifndef FWHOST_OUTPUT_OUTPUT_H
#define FWHOST_OUTPUT_OUTPUT_H

#include <string>
#include <string_view>

namespace fwhost {

// The bytes on stdout, flushed, so that they are out even if the process is ended next;
// HostError (io) when they cannot be written.
void writeOutput(std::string_view bytes);

// HostError (io) when anything written to stdout so far did not get out.
void checkOutput();

// Each line of text, terminal-safe, and a newline.
std::string safeLines(std::string_view text);

// "fwhost: " and the text, terminal-safe, on stderr.
void printError(const std::string& text);

}  // namespace fwhost

#endif
