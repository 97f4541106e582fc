#include <windows.h>

#include "host/PluginLibrary.h"
#include "host/WideText.h"

namespace fwhost {
namespace {

std::string systemMessage(DWORD error) {
  wchar_t* text = nullptr;
  const DWORD flags =
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS;
  const DWORD length = FormatMessageW(flags, nullptr, error, 0, reinterpret_cast<wchar_t*>(&text),
                                      0, nullptr);
  std::wstring message(text, length);
  LocalFree(text);
  while (!message.empty() && (message.back() == L'\n' || message.back() == L'\r' ||
                              message.back() == L' ' || message.back() == L'.')) {
    message.pop_back();
  }
  return (message.empty() ? "" : utf8(message) + " ") + "(error " + std::to_string(error) + ")";
}

}  // namespace

PluginLibrary::PluginLibrary(const std::filesystem::path& path) {
  // An absolute path keeps the loader from searching for a bare file name; the altered search
  // path looks for the plug-in's own dependencies in its folder rather than in fwhost's.
  handle_ = LoadLibraryExW(std::filesystem::absolute(path).c_str(), nullptr,
                           LOAD_WITH_ALTERED_SEARCH_PATH);
  if (handle_ == nullptr) error_ = systemMessage(GetLastError());
}

PluginLibrary::~PluginLibrary() {
  if (handle_ != nullptr) FreeLibrary(static_cast<HMODULE>(handle_));
}

void* PluginLibrary::symbol(const char* name) const {
  if (handle_ == nullptr) return nullptr;
  return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(handle_), name));
}

}  // namespace fwhost
