#include "host/discovery/NaturalOrder.h"

#include <algorithm>
#include <cctype>

namespace fwhost {
namespace {

bool isDigit(char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; }

// The leading run of digits or of other characters, taken off the text.
std::string_view takeRun(std::string_view& text) {
  size_t end = 1;
  while (end < text.size() && isDigit(text[end]) == isDigit(text[0])) ++end;
  const std::string_view run = text.substr(0, end);
  text.remove_prefix(end);
  return run;
}

}  // namespace

bool naturalLess(std::string_view left, std::string_view right) {
  while (!left.empty() && !right.empty()) {
    std::string_view a = takeRun(left), b = takeRun(right);
    const bool numbers = isDigit(a[0]) && isDigit(b[0]);
    if (numbers) {
      // Leading zeros do not change a number's value.
      a.remove_prefix(std::min(a.find_first_not_of('0'), a.size()));
      b.remove_prefix(std::min(b.find_first_not_of('0'), b.size()));
    }
    // Letters after the same two count as a disk's letters do: sdz, sdaa.
    const bool counted = numbers || (a.substr(0, 2) == b.substr(0, 2) && a.size() >= 2);
    if (counted && a.size() != b.size()) return a.size() < b.size();
    if (a != b) return a < b;
  }
  return left.size() < right.size();
}

}  // namespace fwhost
