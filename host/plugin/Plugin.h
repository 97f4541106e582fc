// A plug-in loaded in a worker process of its own and its three exports, called the way a
// well-behaved host calls them: with a buffer of its own, grown to the size the plug-in reports
// when it answers 37. A call that ends the worker is an error; the next call starts another.
#ifndef FWHOST_PLUGIN_PLUGIN_H
#define FWHOST_PLUGIN_PLUGIN_H

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>

#include "host/plugin/PluginLog.h"
#include "host/plugin/Worker.h"

namespace fwhost {

// The largest answers fwhost takes: a text (the mapping or configuration document, its NUL
// counted) and an image. A plug-in that asks for more is answering inconsistently.
constexpr uint32_t kMaxAnswerTextBytes = uint32_t{1} << 20;
constexpr uint32_t kMaxImageBytes = uint32_t{64} << 20;

class Plugin {
 public:
  // Loads the plug-in; HostError (unusablePlugin) when it is no regular file, cannot be loaded
  // or lacks an export, pluginFailed when loading it crashes or passes the deadline.
  // What it writes to stdout and stderr goes to log's lines, all of it when verbose, else
  // bounded.
  Plugin(const std::filesystem::path& path, LogView log, WorkerLimits limits = {});
  ~Plugin();
  Plugin(const Plugin&) = delete;
  Plugin& operator=(const Plugin&) = delete;

  // Absolute.
  const std::filesystem::path& path() const { return path_; }

  // Each answer throws HostError: pluginRefused when the plug-in answers 36,
  // inconsistentAnswer when its answer breaks the protocol or is larger than the caps above,
  // pluginFailed when the call crashes, ends the worker, oversteps a limit or passes the
  // deadline.

  // The configuration document.
  std::string configuration() const;

  // The configuration's Version attribute; empty when it has none.
  std::string version() const;

  // The mapping document for a drive description; origin names the description in errors.
  std::string mapping(const std::string& description, const std::string& origin) const;

  // The size of the named image, asked with a null buffer; 0 when the plug-in has no image of
  // that name.
  uint32_t imageSize(const std::string& name) const;

  // The bytes of the named image: its size first, then exactly that many; empty when the
  // plug-in has no image of that name.
  std::string image(const std::string& name) const;

 private:
  // One export call as the C signature makes it, through the worker.
  uint32_t call(Export which, const std::string& input, char* buffer, uint32_t* length) const;

  std::filesystem::path path_;
  LogView log_;
  WorkerLimits limits_;
  mutable std::unique_ptr<Worker> worker_;
};

}  // namespace fwhost

#endif
