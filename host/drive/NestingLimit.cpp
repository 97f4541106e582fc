#include "host/drive/NestingLimit.h"

#include "orv/core/NestingDepth.h"

namespace fwhost {

// The plug-in's own measure, so that fwhost reads exactly the texts the plug-in reads.
bool withinNestingLimit(std::string_view text) {
  return orv::core::nestingDepth(text) <= kMaxNestingDepth;
}

}  // namespace fwhost
