#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cerrno>
#include <random>
#include <string>

#include "host/platform/TemporaryFile.h"

namespace fwhost {

// msvcrt's tmpfile makes its file in the root of the current drive, where only an
// administrator may; this one lives in the user's temporary folder.
std::FILE* openTemporaryFile() {
  wchar_t folder[MAX_PATH + 1];
  const DWORD length = GetTempPathW(MAX_PATH + 1, folder);
  if (length == 0 || length > MAX_PATH) {
    errno = ENOENT;
    return nullptr;
  }
  std::mt19937 generator{std::random_device{}()};
  for (int attempt = 0; attempt < 100; ++attempt) {
    const std::wstring name =
        std::wstring(folder, length) + L"fwhost-" + std::to_wstring(generator()) + L".tmp";
    const HANDLE file =
        CreateFileW(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                    FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
      if (GetLastError() == ERROR_FILE_EXISTS) continue;
      errno = EACCES;
      return nullptr;
    }
    const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(file), _O_RDWR | _O_BINARY);
    if (fd < 0) {
      CloseHandle(file);
      return nullptr;
    }
    std::FILE* stream = _fdopen(fd, "w+b");
    if (stream == nullptr) _close(fd);
    return stream;
  }
  errno = EEXIST;
  return nullptr;
}

}  // namespace fwhost
