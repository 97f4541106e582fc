// What the plug-in writes to stdout during one call: caught in a temporary file while this
// object lives, then handed on line by line, bounded unless verbose (a 50 MB record stays off
// the terminal). The file is never read into memory.
#ifndef FWHOST_PLUGIN_PLUGINLOG_H
#define FWHOST_PLUGIN_PLUGINLOG_H

#include <cstdio>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "host/platform/StdoutCapture.h"

namespace fwhost {

// Takes one line of the plug-in's log, its bytes as the plug-in wrote them: whoever shows it
// escapes it.
using LogLines = std::function<void(const std::string& line)>;

// How much of the log is shown and where it goes.
struct LogView {
  bool verbose = false;  // every line, each whole
  LogLines lines;        // none: the log is dropped
};

class PluginLog {
 public:
  // HostError (io) when no temporary file can be made.
  explicit PluginLog(const LogView& view);
  ~PluginLog();
  PluginLog(const PluginLog&) = delete;
  PluginLog& operator=(const PluginLog&) = delete;

 private:
  struct Close {
    void operator()(std::FILE* file) const { std::fclose(file); }
  };
  std::unique_ptr<std::FILE, Close> file_;
  std::optional<StdoutCapture> capture_;
  const LogView& view_;
};

// The log's lines to view.lines: all of them when verbose; else the first two, each cut at 300
// bytes, then "(N more bytes of plug-in log; --verbose shows all)".
void showLog(std::FILE* log, const LogView& view);

}  // namespace fwhost

#endif
