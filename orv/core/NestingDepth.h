// How deeply the elements of an XML text nest, found in one pass without building anything.
#ifndef ORV_CORE_NESTINGDEPTH_H
#define ORV_CORE_NESTINGDEPTH_H

#include <cstddef>
#include <string_view>

namespace orv::core {

// The deepest nesting the reader follows: its parser and tree builder both recurse once per
// level, on the host's stack.
constexpr size_t kMaxNestingDepth = 256;

// The largest number of open elements at any point, never less than the XML reader reaches.
// Comments, CDATA sections, processing instructions, declarations and quoted attribute values
// open nothing; unclosed elements count. Tags are read as the reader reads them: names may hold
// quotes, and nothing after a tag that the reader rejects is looked at.
size_t nestingDepth(std::string_view text);

}  // namespace orv::core

#endif
