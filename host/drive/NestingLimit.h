// How deeply XML may nest for fwhost to read it: the plug-in's own limit, measured without
// recursion before any recursive reader could run out of stack on deeper text.
#ifndef FWHOST_DRIVE_NESTINGLIMIT_H
#define FWHOST_DRIVE_NESTINGLIMIT_H

#include <string_view>

#include "orv/core/NestingDepth.h"

namespace fwhost {

using orv::core::kMaxNestingDepth;

// True when the elements of text nest no deeper than kMaxNestingDepth.
bool withinNestingLimit(std::string_view text);

}  // namespace fwhost

#endif
