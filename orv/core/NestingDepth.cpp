#include "orv/core/NestingDepth.h"

#include <algorithm>

namespace orv::core {
namespace {

// Position just past `terminator` at or after `from`, or the end of text.
size_t skipPast(std::string_view text, size_t from, std::string_view terminator) {
  const size_t at = text.find(terminator, from);
  return at == std::string_view::npos ? text.size() : at + terminator.size();
}

// Position just past the '>' that closes the tag starting at `from`, ignoring quoted values.
size_t skipTag(std::string_view text, size_t from, bool& selfClosing) {
  char quote = 0;
  for (size_t i = from; i < text.size(); ++i) {
    const char c = text[i];
    if (quote != 0) {
      if (c == quote) quote = 0;
    } else if (c == '"' || c == '\'') {
      quote = c;
    } else if (c == '>') {
      selfClosing = i > from && text[i - 1] == '/';
      return i + 1;
    }
  }
  selfClosing = false;
  return text.size();
}

}  // namespace

size_t nestingDepth(std::string_view text) {
  size_t depth = 0;
  size_t deepest = 0;
  size_t i = 0;
  while ((i = text.find('<', i)) != std::string_view::npos) {
    const std::string_view rest = text.substr(i);
    if (rest.substr(0, 4) == "<!--") {
      i = skipPast(text, i + 4, "-->");
    } else if (rest.substr(0, 9) == "<![CDATA[") {
      i = skipPast(text, i + 9, "]]>");
    } else if (rest.substr(0, 2) == "<?") {
      i = skipPast(text, i + 2, "?>");
    } else if (rest.substr(0, 2) == "<!") {
      i = skipPast(text, i + 2, ">");
    } else if (rest.substr(0, 2) == "</") {
      depth = depth == 0 ? 0 : depth - 1;
      i = skipPast(text, i + 2, ">");
    } else {
      bool selfClosing = false;
      i = skipTag(text, i + 1, selfClosing);
      if (!selfClosing) deepest = std::max(deepest, ++depth);
    }
  }
  return deepest;
}

}  // namespace orv::core
