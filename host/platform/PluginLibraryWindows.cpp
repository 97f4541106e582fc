#include <windows.h>

#include "host/platform/LongPath.h"
#include "host/platform/PluginLibrary.h"
#include "host/platform/SystemError.h"

namespace fwhost {

PluginLibrary::PluginLibrary(const std::filesystem::path& path) {
  // An absolute path keeps the loader from searching for a bare file name; the altered search
  // path looks for the plug-in's own dependencies in its folder rather than in fwhost's.
  handle_ = LoadLibraryExW(longPath(path).c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
  if (handle_ == nullptr) error_ = systemMessage(GetLastError());
}

PluginLibrary::~PluginLibrary() {
  if (handle_ != nullptr) FreeLibrary(static_cast<HMODULE>(handle_));
}

void* PluginLibrary::symbol(const char* name) const {
  if (handle_ == nullptr) return nullptr;
  return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(handle_), name));
}

void PluginLibrary::releaseReadOnlyPages() const {
  if (handle_ == nullptr) return;
  auto* const base = static_cast<unsigned char*>(handle_);
  const auto* const headers = reinterpret_cast<const IMAGE_NT_HEADERS*>(
      base + reinterpret_cast<const IMAGE_DOS_HEADER*>(base)->e_lfanew);
  const IMAGE_SECTION_HEADER* section = IMAGE_FIRST_SECTION(headers);
  for (WORD i = 0; i < headers->FileHeader.NumberOfSections; ++i, ++section) {
    // Unlocking pages that were never locked takes them out of the working set.
    if ((section->Characteristics & IMAGE_SCN_MEM_WRITE) == 0)
      VirtualUnlock(base + section->VirtualAddress, section->Misc.VirtualSize);
  }
}

}  // namespace fwhost
