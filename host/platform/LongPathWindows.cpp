#include <windows.h>

#include "host/platform/LongPath.h"

namespace fwhost {
namespace {

bool startsWith(const std::wstring& text, const wchar_t* prefix) {
  return text.rfind(prefix, 0) == 0;
}

}  // namespace

std::wstring longPath(const std::filesystem::path& path) {
  const std::wstring& given = path.native();
  if (startsWith(given, L"\\\\?\\") || startsWith(given, L"\\\\.\\")) return given;
  std::wstring full(GetFullPathNameW(given.c_str(), 0, nullptr, nullptr), L'\0');
  const DWORD length = GetFullPathNameW(given.c_str(), full.size(), full.data(), nullptr);
  if (length == 0 || length >= full.size()) return given;
  full.resize(length);
  // "//./X" comes back as a device's "\\.\X".
  if (startsWith(full, L"\\\\.\\") || startsWith(full, L"\\\\?\\")) return full;
  if (startsWith(full, L"\\\\")) return L"\\\\?\\UNC\\" + full.substr(2);
  return L"\\\\?\\" + full;
}

}  // namespace fwhost
