// What the plug-in writes to stdout during one call: caught in a temporary file while this
// object lives, then shown on stderr, bounded unless verbose (a 50 MB record stays off the
// terminal). The file is never read into memory.
#ifndef FWHOST_PLUGIN_PLUGINLOG_H
#define FWHOST_PLUGIN_PLUGINLOG_H

#include <cstdio>
#include <memory>
#include <optional>
#include <ostream>

#include "host/platform/StdoutCapture.h"

namespace fwhost {

class PluginLog {
 public:
  // HostError (io) when no temporary file can be made.
  explicit PluginLog(bool verbose);
  ~PluginLog();
  PluginLog(const PluginLog&) = delete;
  PluginLog& operator=(const PluginLog&) = delete;

 private:
  struct Close {
    void operator()(std::FILE* file) const { std::fclose(file); }
  };
  std::unique_ptr<std::FILE, Close> file_;
  std::optional<StdoutCapture> capture_;
  bool verbose_;
};

// The log's lines to out: all of them when verbose; else the first two, each cut at 300 bytes,
// then "(N more bytes of plug-in log; --verbose shows all)". Control bytes become '?'.
void showLog(std::FILE* log, std::ostream& out, bool verbose);

}  // namespace fwhost

#endif
