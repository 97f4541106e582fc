#include <windows.h>

#include "host/platform/WideText.h"

namespace fwhost {

std::string utf8(std::wstring_view wide) {
  if (wide.empty()) return {};
  const auto length = static_cast<int>(wide.size());
  const int size =
      WideCharToMultiByte(CP_UTF8, 0, wide.data(), length, nullptr, 0, nullptr, nullptr);
  std::string text(static_cast<size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide.data(), length, text.data(), size, nullptr, nullptr);
  return text;
}

}  // namespace fwhost
