#include <windows.h>

#include "host/platform/SystemError.h"

#include "host/platform/WideText.h"

namespace fwhost {

std::string systemMessage(unsigned long error) {
  wchar_t* text = nullptr;
  const DWORD flags =
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS;
  const DWORD length =
      FormatMessageW(flags, nullptr, error, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  std::wstring message(text, length);
  LocalFree(text);
  while (!message.empty() && (message.back() == L'\n' || message.back() == L'\r' ||
                              message.back() == L' ' || message.back() == L'.')) {
    message.pop_back();
  }
  return (message.empty() ? "" : utf8(message) + " ") + "(error " + std::to_string(error) + ")";
}

}  // namespace fwhost
