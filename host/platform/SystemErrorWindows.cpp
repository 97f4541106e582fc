#include <windows.h>

#include <cwctype>

#include "host/platform/SystemError.h"

#include "host/platform/WideText.h"

namespace fwhost {
namespace {

// Inserts are left in the text unfilled ("Bad EXE format for %1."); the subject they stand for
// is named at the start of fwhost's line, so "it" reads right.
std::wstring withoutInserts(const std::wstring& text) {
  std::wstring plain;
  for (size_t at = 0; at < text.size(); ++at) {
    const bool insert =
        text[at] == L'%' && at + 1 < text.size() && text[at + 1] >= L'1' && text[at + 1] <= L'9';
    if (!insert) {
      plain += text[at];
      continue;
    }
    plain += L"it";
    while (at + 1 < text.size() && std::iswdigit(text[at + 1])) ++at;
    // A format of the insert, "%1!s!", goes with it.
    if (at + 1 < text.size() && text[at + 1] == L'!') at = text.find(L'!', at + 2);
    if (at == std::wstring::npos) break;
  }
  return plain;
}

}  // namespace

std::string systemMessage(unsigned long error) {
  wchar_t* text = nullptr;
  const DWORD flags =
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS;
  const DWORD length =
      FormatMessageW(flags, nullptr, error, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  std::wstring message = withoutInserts(std::wstring(text, length));
  LocalFree(text);
  while (!message.empty() && (message.back() == L'\n' || message.back() == L'\r' ||
                              message.back() == L' ' || message.back() == L'.')) {
    message.pop_back();
  }
  return (message.empty() ? "" : utf8(message) + " ") + "(error " + std::to_string(error) + ")";
}

std::string lastSystemError() { return systemMessage(GetLastError()); }

}  // namespace fwhost
