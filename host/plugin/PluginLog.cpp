#include "host/plugin/PluginLog.h"

#include <iostream>
#include <string>

#include "host/error/HostError.h"
#include "host/platform/SystemError.h"
#include "host/platform/TemporaryFile.h"

namespace fwhost {
namespace {

constexpr int kShownRecords = 2;
constexpr size_t kShownBytes = 300;

char printable(int byte) {
  return (byte < 0x20 && byte != '\t') || byte == 0x7f ? '?' : char(byte);
}

}  // namespace

PluginLog::PluginLog(bool verbose) : file_(openTemporaryFile()), verbose_(verbose) {
  if (!file_) {
    throw HostError::io("",
                        "cannot make a temporary file for the plug-in's log: " + lastSystemError());
  }
  capture_.emplace(file_.get());
}

PluginLog::~PluginLog() {
  capture_.reset();
  showLog(file_.get(), std::cerr, verbose_);
}

void showLog(std::FILE* log, std::ostream& out, bool verbose) {
  std::fflush(log);
  std::fseek(log, 0, SEEK_END);
  const long total = std::ftell(log);
  std::rewind(log);
  long shown = 0;
  int records = 0;
  std::string line;
  for (int byte; (verbose || records < kShownRecords) && (byte = std::getc(log)) != EOF;) {
    if (byte == '\n') {
      out << line << '\n';
      shown += static_cast<long>(line.size()) + 1;
      ++records;
      line.clear();
    } else if (verbose || line.size() < kShownBytes) {
      line += printable(byte);
    }
  }
  if (!line.empty()) {
    out << line << '\n';
    shown += static_cast<long>(line.size());
  }
  if (total > shown) {
    out << "(" << total - shown << " more bytes of plug-in log; --verbose shows all)\n";
  }
  out.flush();
}

}  // namespace fwhost
