// What the plug-in writes to its stdout and stderr during one call (or its loading, or its
// unloading), handed on line by line when this object goes: bounded unless verbose, so that a
// 50 MB record stays off the terminal and out of memory.
#ifndef FWHOST_PLUGIN_PLUGINLOG_H
#define FWHOST_PLUGIN_PLUGINLOG_H

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

namespace fwhost {

// Takes one line of the plug-in's log, its bytes as the plug-in wrote them: whoever shows it
// escapes it.
using LogLines = std::function<void(const std::string& line)>;

// How much of the log is shown and where it goes.
struct LogView {
  bool verbose = false;  // every line, each whole up to 1 MiB
  LogLines lines;        // none: the log is dropped
};

// Shows all lines when verbose; else the first two, each cut at 300 bytes; then
// "(N more bytes of plug-in log; --verbose shows all)" for what was left out.
class PluginLog {
 public:
  explicit PluginLog(const LogView& view) : view_(view) {}
  ~PluginLog();
  PluginLog(const PluginLog&) = delete;
  PluginLog& operator=(const PluginLog&) = delete;

  void add(const char* bytes, size_t size);

 private:
  void endLine();

  const LogView& view_;
  std::string line_;
  int lines_ = 0;
  uint64_t left_ = 0;  // bytes not shown
};

}  // namespace fwhost

#endif
