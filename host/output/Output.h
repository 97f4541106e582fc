// What fwhost prints on standard output: documents, lines and bytes, each flushed and checked,
// so that a failed write ends the command with an error instead of a silently short answer.
#ifndef FWHOST_OUTPUT_OUTPUT_H
#define FWHOST_OUTPUT_OUTPUT_H

#include <cstdint>
#include <string>
#include <string_view>

#include <nlohmann/json.hpp>

namespace fwhost {

// The one form a command's answer takes on stdout, decided once from the command line.
enum class OutputMode {
  text,   // lines and tables for people
  json,   // one JSON document, also on failure
  xml,    // the plug-in's answer document unchanged
  bytes,  // an image's raw bytes
};

// The document on stdout, indented, with invalid UTF-8 replaced rather than refused.
void printJson(const nlohmann::ordered_json& document);

// The bytes on stdout, flushed, so that they are out even if the process is ended next;
// HostError (io) when they cannot be written.
void writeOutput(std::string_view bytes);

// writeOutput of the line and a newline.
void printLine(const std::string& line);

// HostError (io) when anything written to stdout so far did not get out.
void checkOutput();

// "PATH  SIZE bytes  sha256 HEX", the line that reports one image file.
std::string fileLine(const std::string& path, uint64_t size, const std::string& sha256);

}  // namespace fwhost

#endif
