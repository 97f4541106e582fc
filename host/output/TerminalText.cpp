#include "host/output/TerminalText.h"

namespace fwhost {
namespace {

const char kHex[] = "0123456789abcdef";

unsigned byteAt(std::string_view text, size_t at) { return static_cast<unsigned char>(text[at]); }

// The length of the well-formed UTF-8 sequence that starts at `at`, 0 when none does.
size_t sequenceLength(std::string_view text, size_t at) {
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
  return length;
}

char32_t codePoint(std::string_view sequence) {
  const unsigned lead = static_cast<unsigned char>(sequence[0]);
  char32_t point = sequence.size() == 2   ? lead & 0x1f
                   : sequence.size() == 3 ? lead & 0x0f
                                          : lead & 7;
  for (size_t i = 1; i < sequence.size(); ++i)
    point = (point << 6) | (static_cast<unsigned char>(sequence[i]) & 0x3f);
  return point;
}

// Letters a terminal acts on (C1) or that reorder what is shown around them.
bool isHiddenControl(char32_t point) {
  return (point >= 0x80 && point <= 0x9f) || point == 0x61c || point == 0x200e || point == 0x200f ||
         (point >= 0x202a && point <= 0x202e) || (point >= 0x2066 && point <= 0x2069);
}

}  // namespace

std::string terminalSafe(std::string_view text) {
  std::string safe;
  safe.reserve(text.size());
  for (size_t at = 0; at < text.size();) {
    const unsigned byte = byteAt(text, at);
    if (byte >= 0x20 && byte < 0x7f) {
      safe += static_cast<char>(byte);
      ++at;
      continue;
    }
    const size_t length = byte >= 0x80 ? sequenceLength(text, at) : 0;
    if (length == 0) {
      safe += {'\\', 'x', kHex[byte >> 4], kHex[byte & 0xf]};
      ++at;
      continue;
    }
    const std::string_view sequence = text.substr(at, length);
    const char32_t point = codePoint(sequence);
    if (isHiddenControl(point)) {
      safe += "\\u";
      for (int shift = 12; shift >= 0; shift -= 4) safe += kHex[(point >> shift) & 0xf];
    } else {
      safe.append(sequence);
    }
    at += length;
  }
  return safe;
}

}  // namespace fwhost
