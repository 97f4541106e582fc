// A dynamic library loaded at run time and unloaded when this object goes; one twin per platform.
#ifndef FWHOST_PLATFORM_PLUGINLIBRARY_H
#define FWHOST_PLATFORM_PLUGINLIBRARY_H

#include <filesystem>
#include <string>

namespace fwhost {

class PluginLibrary {
 public:
  // Loads the library at path; when that fails, loaded() is false and error() says why.
  explicit PluginLibrary(const std::filesystem::path& path);
  ~PluginLibrary();
  PluginLibrary(const PluginLibrary&) = delete;
  PluginLibrary& operator=(const PluginLibrary&) = delete;

  bool loaded() const { return handle_ != nullptr; }
  const std::string& error() const { return error_; }

  // The address of an exported function, or null when the library does not export it.
  void* symbol(const char* name) const;

  // Hands back the library's read-only pages that calls have touched (its code and constant
  // data, such as images it copies out); they are read from its file again when needed.
  void releaseReadOnlyPages() const;

 private:
  void* handle_ = nullptr;
  std::string error_;
};

}  // namespace fwhost

#endif
