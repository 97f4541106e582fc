// Test helper: what the plug-in tests take from the platform. Plugin is its dynamic loader, used
// as a host uses it; a loaded Plugin owns its module and unloads it when destroyed.
#ifndef FWPROVIDER_TESTS_PLUGINLOADER_H
#define FWPROVIDER_TESTS_PLUGINLOADER_H

#include <string>

#if defined(_WIN32)
#include <windows.h>
#else
#include <dlfcn.h>
#endif

class Plugin {
 public:
  explicit Plugin(const char* path) {
#if defined(_WIN32)
    module_ = LoadLibraryA(path);
    if (module_ == nullptr) error_ = "LoadLibrary failed with error " + std::to_string(GetLastError());
#else
    module_ = dlopen(path, RTLD_NOW | RTLD_LOCAL);
    if (module_ == nullptr) error_ = dlerror();
#endif
  }
  ~Plugin() {
    if (module_ == nullptr) return;
#if defined(_WIN32)
    FreeLibrary(module_);
#else
    dlclose(module_);
#endif
  }
  Plugin(const Plugin&) = delete;
  Plugin& operator=(const Plugin&) = delete;

  bool loaded() const { return module_ != nullptr; }
  const std::string& error() const { return error_; }

  // The export of that name as a function pointer of type Function, or null.
  template <typename Function>
  Function find(const char* name) const {
#if defined(_WIN32)
    // Through the one function type that any other may be cast to without a warning.
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(module_, name)));
#else
    return reinterpret_cast<Function>(dlsym(module_, name));
#endif
  }

 private:
#if defined(_WIN32)
  HMODULE module_;
#else
  void* module_;
#endif
  std::string error_;
};

// Where output goes to be thrown away.
#if defined(_WIN32)
inline constexpr const char kNullDevice[] = "NUL";
#else
inline constexpr const char kNullDevice[] = "/dev/null";
#endif

#endif
