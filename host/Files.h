// Reading the drive description and writing output files so that no reader sees half of one.
#ifndef FWHOST_FILES_H
#define FWHOST_FILES_H

#include <filesystem>
#include <string>
#include <string_view>

namespace fwhost {

// The whole file, or all of standard input for "-"; HostError (input) naming the file.
std::string readInput(const std::string& path);

// Writes bytes to a temporary file beside path and renames it over path; HostError (input)
// naming the file when that fails.
void writeFileAtomically(const std::filesystem::path& path, std::string_view bytes);

}  // namespace fwhost

#endif
