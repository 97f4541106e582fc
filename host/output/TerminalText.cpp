#include "host/output/TerminalText.h"

namespace fwhost {
namespace {

unsigned byteAt(std::string_view text, size_t at) { return static_cast<unsigned char>(text[at]); }

// The length of the well-formed UTF-8 sequence of a letter that starts at `at`, 0 when none does
// or when it encodes a control character of C1 (U+0080 to U+009F).
size_t letterLength(std::string_view text, size_t at) {
  const unsigned lead = byteAt(text, at);
  const size_t length = lead >= 0xf0 && lead <= 0xf4 ? 4 : lead >= 0xe0 ? 3 : lead >= 0xc2 ? 2 : 0;
  if (length == 0 || at + length > text.size()) return 0;
  for (size_t i = 1; i < length; ++i)
    if ((byteAt(text, at + i) & 0xc0) != 0x80) return 0;
  const unsigned second = byteAt(text, at + 1);
  // Overlong forms, surrogates and code points past U+10FFFF are not UTF-8.
  if ((lead == 0xe0 && second < 0xa0) || (lead == 0xed && second > 0x9f) ||
      (lead == 0xf0 && second < 0x90) || (lead == 0xf4 && second > 0x8f)) {
    return 0;
  }
  return lead == 0xc2 && second < 0xa0 ? 0 : length;
}

}  // namespace

std::string terminalSafe(std::string_view text) {
  static const char kHex[] = "0123456789abcdef";
  std::string safe;
  for (size_t at = 0; at < text.size();) {
    const unsigned byte = byteAt(text, at);
    size_t letter = 1;
    if (byte >= 0x80) {
      letter = letterLength(text, at);
    } else if (byte < 0x20 || byte == 0x7f) {
      letter = 0;
    }
    if (letter > 0) {
      safe.append(text.substr(at, letter));
      at += letter;
    } else {
      safe += {'\\', 'x', kHex[byte >> 4], kHex[byte & 0xf]};
      ++at;
    }
  }
  return safe;
}

}  // namespace fwhost
