#include "orv/core/NestingDepth.h"

#include <algorithm>

namespace orv::core {
namespace {

constexpr size_t kEnd = std::string_view::npos;

// The white space of the XML reader.
bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

// The reader takes quotes and '=' into element names, and quotes into attribute names, so only
// a quote after an attribute's '=' opens a value.
bool isElementNameByte(char c) {
  return c != '\0' && !isSpace(c) && c != '/' && c != '>' && c != '?';
}
bool isAttributeNameByte(char c) {
  return c != '\0' && !isSpace(c) && c != '!' && c != '/' && (c < '<' || c > '?');
}

size_t skipSpaces(std::string_view text, size_t i) {
  while (i < text.size() && isSpace(text[i])) ++i;
  return i;
}

// Position just past `terminator` at or after `from`, or the end of text.
size_t skipPast(std::string_view text, size_t from, std::string_view terminator) {
  const size_t at = text.find(terminator, from);
  return at == kEnd ? text.size() : at + terminator.size();
}

// Position just past the '>' that ends a document type declaration; '>' inside its bracketed
// internal subset does not end it.
size_t skipDoctype(std::string_view text, size_t from) {
  size_t brackets = 0;
  for (size_t i = from; i < text.size(); ++i) {
    if (text[i] == '[') {
      ++brackets;
    } else if (text[i] == ']' && brackets > 0) {
      --brackets;
    } else if (text[i] == '>' && brackets == 0) {
      return i + 1;
    }
  }
  return text.size();
}

// Position just past the start tag whose name begins at `from`: a name, then name="value"
// pairs, then ">" or "/>". kEnd where the reader would reject the tag, which ends its reading.
size_t skipStartTag(std::string_view text, size_t from, bool& selfClosing) {
  size_t i = from;
  while (i < text.size() && isElementNameByte(text[i])) ++i;
  if (i == from) return kEnd;
  i = skipSpaces(text, i);
  while (i < text.size() && isAttributeNameByte(text[i])) {
    while (i < text.size() && isAttributeNameByte(text[i])) ++i;
    i = skipSpaces(text, i);
    if (i == text.size() || text[i] != '=') return kEnd;
    i = skipSpaces(text, i + 1);
    if (i == text.size() || (text[i] != '"' && text[i] != '\'')) return kEnd;
    const size_t close = text.find(text[i], i + 1);
    if (close == kEnd) return kEnd;
    i = skipSpaces(text, close + 1);
  }
  selfClosing = text.substr(i, 2) == "/>";
  if (selfClosing) return i + 2;
  return i < text.size() && text[i] == '>' ? i + 1 : kEnd;
}

bool startsDoctype(std::string_view rest) {
  return rest.substr(0, 9) == "<!DOCTYPE" && rest.size() > 9 && isSpace(rest[9]);
}

}  // namespace

size_t nestingDepth(std::string_view text) {
  size_t depth = 0;
  size_t deepest = 0;
  size_t i = 0;
  while ((i = text.find('<', i)) != kEnd) {
    const std::string_view rest = text.substr(i);
    if (rest.substr(0, 4) == "<!--") {
      i = skipPast(text, i + 4, "-->");
    } else if (rest.substr(0, 9) == "<![CDATA[") {
      i = skipPast(text, i + 9, "]]>");
    } else if (startsDoctype(rest)) {
      i = skipDoctype(text, i + 10);
    } else if (rest.substr(0, 2) == "<?") {
      i = skipPast(text, i + 2, "?>");
    } else if (rest.substr(0, 2) == "<!") {
      i = skipPast(text, i + 2, ">");
    } else if (rest.substr(0, 2) == "</") {
      depth = depth == 0 ? 0 : depth - 1;
      i = skipPast(text, i + 2, ">");
    } else {
      bool selfClosing = false;
      i = skipStartTag(text, i + 1, selfClosing);
      if (!selfClosing) deepest = std::max(deepest, ++depth);
      if (i == kEnd) break;
    }
  }
  return deepest;
}

}  // namespace orv::core
