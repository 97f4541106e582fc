// A file read in pieces with the system's own calls, so that a failure comes with the system's
// words; the handle is owned and closed when this goes. One twin per platform.
#ifndef FWHOST_PLATFORM_INPUTFILE_H
#define FWHOST_PLATFORM_INPUTFILE_H

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>

namespace fwhost {

class InputFile {
 public:
  // HostError (io) naming path when it cannot be opened for reading.
  explicit InputFile(const std::filesystem::path& path);
  ~InputFile();
  InputFile(const InputFile&) = delete;
  InputFile& operator=(const InputFile&) = delete;

  // Up to size bytes into buffer; 0 at the end. HostError (io) naming the path when it fails.
  size_t read(char* buffer, size_t size);

 private:
  std::filesystem::path path_;
  intptr_t handle_;  // a descriptor, or a HANDLE
};

// The whole file; HostError (io) naming path when it cannot be read.
std::string readWholeFile(const std::filesystem::path& path);

}  // namespace fwhost

#endif
