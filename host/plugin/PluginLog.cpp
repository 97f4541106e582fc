#include "host/plugin/PluginLog.h"

namespace fwhost {
namespace {

constexpr int kShownRecords = 2;
constexpr size_t kShownBytes = 300;
constexpr size_t kVerboseLineBytes = size_t{1} << 20;

}  // namespace

PluginLog::~PluginLog() {
  if (!line_.empty()) endLine();
  if (left_ > 0 && view_.lines) {
    view_.lines("(" + std::to_string(left_) + " more bytes of plug-in log; --verbose shows all)");
  }
}

void PluginLog::add(const char* bytes, size_t size) {
  const size_t lineCap = view_.verbose ? kVerboseLineBytes : kShownBytes;
  for (size_t i = 0; i < size; ++i) {
    const bool shown = view_.lines && (view_.verbose || lines_ < kShownRecords);
    if (bytes[i] == '\n' && shown) {
      endLine();
    } else if (shown && line_.size() < lineCap) {
      line_ += bytes[i];
    } else {
      ++left_;
    }
  }
}

void PluginLog::endLine() {
  view_.lines(line_);
  line_.clear();
  ++lines_;
}

}  // namespace fwhost
