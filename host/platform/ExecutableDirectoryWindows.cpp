#include <windows.h>

#include <string>

#include "host/platform/ExecutableDirectory.h"

namespace fwhost {

std::filesystem::path executableDirectory() {
  // The name is cut to the buffer's size without a word, so the buffer grows until it fits.
  for (DWORD capacity = MAX_PATH; capacity <= 32768; capacity *= 2) {
    std::wstring name(capacity, L'\0');
    const DWORD length = GetModuleFileNameW(nullptr, name.data(), capacity);
    if (length == 0) return {};
    if (length < capacity) {
      name.resize(length);
      return std::filesystem::path(name).parent_path();
    }
  }
  return {};
}

}  // namespace fwhost
