#include "host/plugin/PluginLog.h"

#include <string>

#include "host/error/HostError.h"
#include "host/platform/SystemError.h"
#include "host/platform/TemporaryFile.h"

namespace fwhost {
namespace {

constexpr int kShownRecords = 2;
constexpr size_t kShownBytes = 300;

}  // namespace

PluginLog::PluginLog(const LogView& view) : file_(openTemporaryFile()), view_(view) {
  if (!file_) {
    throw HostError::io("",
                        "cannot make a temporary file for the plug-in's log: " + lastSystemError());
  }
  capture_.emplace(file_.get());
}

PluginLog::~PluginLog() {
  capture_.reset();
  showLog(file_.get(), view_);
}

void showLog(std::FILE* log, const LogView& view) {
  if (!view.lines) return;
  const bool verbose = view.verbose;
  std::fflush(log);
  std::fseek(log, 0, SEEK_END);
  const long total = std::ftell(log);
  std::rewind(log);
  long shown = 0;
  int records = 0;
  std::string line;
  for (int byte; (verbose || records < kShownRecords) && (byte = std::getc(log)) != EOF;) {
    if (byte == '\n') {
      view.lines(line);
      shown += static_cast<long>(line.size()) + 1;
      ++records;
      line.clear();
    } else if (verbose || line.size() < kShownBytes) {
      line += static_cast<char>(byte);
    }
  }
  if (!line.empty()) {
    view.lines(line);
    shown += static_cast<long>(line.size());
  }
  if (total > shown) {
    view.lines("(" + std::to_string(total - shown) +
               " more bytes of plug-in log; --verbose shows all)");
  }
}

}  // namespace fwhost
