#include <windows.h>

#include <cstdint>
#include <string>

#include "host/platform/PipeIo.h"

namespace fwhost {

bool readFully(SystemHandle::Native pipe, char* bytes, size_t size) {
  while (size > 0) {
    DWORD got = 0;
    const auto asked = static_cast<DWORD>(size < 0x10000000 ? size : 0x10000000);
    if (!ReadFile(pipe, bytes, asked, &got, nullptr) || got == 0) return false;
    bytes += got;
    size -= got;
  }
  return true;
}

bool writeFully(SystemHandle::Native pipe, const char* bytes, size_t size) {
  while (size > 0) {
    DWORD put = 0;
    const auto given = static_cast<DWORD>(size < 0x10000000 ? size : 0x10000000);
    if (!WriteFile(pipe, bytes, given, &put, nullptr) || put == 0) return false;
    bytes += put;
    size -= put;
  }
  return true;
}

SystemHandle::Native handleFromText(const std::string& text) {
  try {
    return reinterpret_cast<HANDLE>(static_cast<uintptr_t>(std::stoull(text)));
  } catch (const std::exception&) {
    return INVALID_HANDLE_VALUE;
  }
}

std::string handleText(SystemHandle::Native handle) {
  return std::to_string(reinterpret_cast<uintptr_t>(handle));
}

}  // namespace fwhost
