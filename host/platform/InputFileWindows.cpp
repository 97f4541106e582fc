#include <io.h>
#include <windows.h>

#include <algorithm>

#include "host/error/HostError.h"
#include "host/platform/InputFile.h"
#include "host/platform/LongPath.h"
#include "host/platform/SystemError.h"

namespace fwhost {

InputFile::InputFile(const std::filesystem::path& path)
    : name_(path.u8string()),
      owned_(CreateFileW(longPath(path).c_str(), GENERIC_READ,
                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                         OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr)),
      handle_(owned_.get()) {
  if (!owned_.valid()) throw HostError::io(name_, "cannot read: " + lastSystemError());
}

InputFile::InputFile()
    : name_("standard input"), handle_(reinterpret_cast<HANDLE>(_get_osfhandle(0))) {}

size_t InputFile::read(char* buffer, size_t size) {
  DWORD got = 0;
  const auto most = static_cast<DWORD>(std::min<size_t>(size, 1u << 30));
  if (!ReadFile(handle_, buffer, most, &got, nullptr)) {
    // The writer of a pipe closing its end is the pipe's end, not a failure.
    if (GetLastError() == ERROR_BROKEN_PIPE) return 0;
    throw HostError::io(name_, "cannot read: " + lastSystemError());
  }
  return got;
}

bool InputFile::openToOthers() const { return false; }

}  // namespace fwhost
