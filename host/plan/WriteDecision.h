// Reading the drive description, and deciding each write before anything is written.
#ifndef FWHOST_FILES_H
#define FWHOST_FILES_H

#include <filesystem>
#include <string>
#include <string_view>

namespace fwhost {

// The whole file, or all of standard input for "-"; HostError (input) naming the file.
std::string readInput(const std::string& path);

// False for a name that would leave the folder it is put in (a package name becomes a file).
bool isPlainFileName(const std::string& name);

enum class WriteStep { write, keep };

// keep when path already holds exactly bytes, write when it is missing or force allows
// replacing it; HostError (input) naming path when it is not a regular file, or holds other
// bytes and force is off.
WriteStep decideWrite(const std::filesystem::path& path, std::string_view bytes, bool force);

// Makes sure folder is a folder this process can write in, making it (and its parents) when
// missing and make is set; HostError (input) naming folder when it is not or cannot be.
void prepareFolder(const std::filesystem::path& folder, bool make);

}  // namespace fwhost

#endif
