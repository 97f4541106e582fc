#include <dlfcn.h>
#include <link.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>

#include "host/platform/PluginLibrary.h"

namespace fwhost {
namespace {

// dl_iterate_phdr's visitor: pages out the read-only segments of the object loaded at *base.
int pageOutReadOnly(dl_phdr_info* object, size_t, void* base) {
  if (object->dlpi_addr != *static_cast<const ElfW(Addr)*>(base)) return 0;
  const auto page = static_cast<uintptr_t>(::sysconf(_SC_PAGESIZE));
  for (ElfW(Half) i = 0; i < object->dlpi_phnum; ++i) {
    const ElfW(Phdr)& segment = object->dlpi_phdr[i];
    if (segment.p_type != PT_LOAD || (segment.p_flags & PF_W) != 0) continue;
    const uintptr_t start = (object->dlpi_addr + segment.p_vaddr) & ~(page - 1);
    const uintptr_t end = object->dlpi_addr + segment.p_vaddr + segment.p_memsz;
    // A hint that keeps the contents: kernels before 5.4 refuse it, and nothing changes.
    ::madvise(reinterpret_cast<void*>(start), end - start, MADV_PAGEOUT);
  }
  return 1;
}

}  // namespace

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

void PluginLibrary::releaseReadOnlyPages() const {
  link_map* object = nullptr;
  if (handle_ == nullptr || ::dlinfo(handle_, RTLD_DI_LINKMAP, &object) != 0) return;
  ElfW(Addr) base = object->l_addr;
  ::dl_iterate_phdr(pageOutReadOnly, &base);
}

}  // namespace fwhost
