// A file, or standard input, read in pieces with the system's own calls, so that a failure
// comes with the system's words; a file's handle is owned and closed when this goes. One twin
// per platform.
#ifndef FWHOST_PLATFORM_INPUTFILE_H
#define FWHOST_PLATFORM_INPUTFILE_H

#include <cstddef>
#include <filesystem>
#include <string>

#include "host/platform/SystemHandle.h"

namespace fwhost {

class InputFile {
 public:
  // HostError (io) naming path when it cannot be opened for reading.
  explicit InputFile(const std::filesystem::path& path);
  // Standard input, named so in messages and left open.
  InputFile();
  InputFile(const InputFile&) = delete;
  InputFile& operator=(const InputFile&) = delete;

  // Up to size bytes into buffer; 0 at the end. HostError (io) naming the file when it fails.
  size_t read(char* buffer, size_t size);
  // Whether users other than the file's owner may read or change it, as a secret's file must
  // not allow; false for standard input, and on Windows, whose access lists fwhost leaves to
  // the system.
  bool openToOthers() const;

 private:
  std::string name_;    // for messages
  SystemHandle owned_;  // none for standard input
  SystemHandle::Native handle_;
};

}  // namespace fwhost

#endif
