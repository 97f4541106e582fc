#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <random>
#include <string>

#include "host/platform/SystemHandle.h"
#include "host/platform/TemporaryFile.h"

namespace fwhost {

// msvcrt's tmpfile makes its file in the root of the current drive, where only an
// administrator may; this one lives in the user's temporary folder.
std::FILE* openTemporaryFile() {
  wchar_t folder[MAX_PATH + 1];
  const DWORD length = GetTempPathW(MAX_PATH + 1, folder);
  if (length == 0 || length > MAX_PATH) {
    if (length > MAX_PATH) SetLastError(ERROR_BUFFER_OVERFLOW);
    return nullptr;
  }
  std::mt19937 generator{std::random_device{}()};
  for (int attempt = 0; attempt < 100; ++attempt) {
    const std::wstring name =
        std::wstring(folder, length) + L"fwhost-" + std::to_wstring(generator()) + L".tmp";
    SystemHandle file(CreateFileW(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                  CREATE_NEW, FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE,
                                  nullptr));
    if (!file.valid()) {
      if (GetLastError() == ERROR_FILE_EXISTS) continue;
      return nullptr;
    }
    // The C runtime fails here only for want of memory; once it succeeds, it closes the file.
    const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(file.get()), _O_RDWR | _O_BINARY);
    if (fd >= 0) file.release();
    file.close();
    std::FILE* stream = fd < 0 ? nullptr : _fdopen(fd, "w+b");
    if (fd >= 0 && stream == nullptr) _close(fd);
    if (stream == nullptr) SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return stream;
  }
  return nullptr;
}

}  // namespace fwhost
