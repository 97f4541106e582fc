#include <dlfcn.h>

#include "host/platform/PluginLibrary.h"

namespace fwhost {

PluginLibrary::PluginLibrary(const std::filesystem::path& path) {
  // An absolute path keeps dlopen from searching the library path for a bare file name.
  handle_ = ::dlopen(std::filesystem::absolute(path).c_str(), RTLD_NOW | RTLD_LOCAL);
  if (handle_ == nullptr) error_ = ::dlerror();
}

PluginLibrary::~PluginLibrary() {
  if (handle_ != nullptr) ::dlclose(handle_);
}

void* PluginLibrary::symbol(const char* name) const {
  return handle_ == nullptr ? nullptr : ::dlsym(handle_, name);
}

}  // namespace fwhost
