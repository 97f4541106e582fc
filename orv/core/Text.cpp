#include "orv/core/Text.h"

#include <cstring>
#include <locale>
#include <sstream>

namespace orv::core {
namespace {

// The stream extraction leaves the target alone when it reads nothing; starting from 0 makes
// the empty and all-blank texts read as 0 like any other text without digits.
template <typename Number>
Number extract(const std::string& text, std::ios_base& (*base)(std::ios_base&)) {
  std::istringstream stream(text);
  stream.imbue(std::locale::classic());
  Number number = 0;
  stream >> base >> number;
  return number;
}

int hexDigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

char asciiLower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

}  // namespace

std::string asciiLowerCase(std::string text) {
  for (char& c : text) c = asciiLower(c);
  return text;
}

std::string asciiUpperCase(std::string text) {
  for (char& c : text) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return text;
}

bool equalsText(std::string_view a, std::string_view b, bool ignoreCase) {
  if (!ignoreCase) return a == b;
  if (a.size() != b.size()) return false;
  // Not the global locale's folding: a host's Turkish locale would keep "i" from matching "I".
  for (size_t i = 0; i < a.size(); ++i) {
    if (asciiLower(a[i]) != asciiLower(b[i])) return false;
  }
  return true;
}

bool containsIgnoringCase(const std::string& text, const std::string& part) {
  return asciiLowerCase(text).find(asciiLowerCase(part).c_str()) != std::string::npos;
}

bool startsWithIgnoringCase(const std::string& text, const std::string& prefix) {
  return std::strncmp(asciiLowerCase(text).c_str(), asciiLowerCase(prefix).c_str(),
                      prefix.size()) == 0;
}

void replaceAll(std::string& text, const std::string& pattern, const std::string& replacement) {
  const size_t patternLength = std::strlen(pattern.c_str());
  if (patternLength == 0) return;
  for (size_t at = text.find(pattern.c_str()); at != std::string::npos;
       at = text.find(pattern.c_str(), at + replacement.size())) {
    text.replace(at, patternLength, replacement);
  }
}

std::vector<std::string> splitText(const std::string& text, const std::string& separators) {
  std::vector<std::string> pieces;
  size_t start = 0;
  for (;;) {
    const size_t at = text.find_first_of(separators.c_str(), start);
    if (at == std::string::npos) {
      pieces.push_back(text.substr(start));
      return pieces;
    }
    pieces.push_back(text.substr(start, at - start));
    start = at + 1;
  }
}

std::string decimalText(uint64_t number) { return std::to_string(number); }

std::string decimalText(int64_t number) { return std::to_string(number); }

bool isDecimalText(const std::string& text) {
  if (text.empty()) return false;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
  }
  return true;
}

bool isHexText(const std::string& text) {
  size_t start = 0;
  if (text.size() >= 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) start = 2;
  for (size_t i = start; i < text.size(); ++i) {
    if (hexDigitValue(text[i]) < 0) return false;
  }
  return true;
}

uint64_t hexTextToNumber(const std::string& text) { return extract<uint64_t>(text, std::hex); }

uint64_t textToNumber(const std::string& text) {
  if (!isDecimalText(text) && isHexText(text)) return hexTextToNumber(text);
  return static_cast<uint64_t>(extract<int64_t>(text, std::dec));
}

Payload hexTextToBytes(std::string text, const std::string& prefix) {
  if (!prefix.empty()) replaceAll(text, prefix, "");
  if (text.size() % 2 != 0) return Payload();
  Payload bytes(static_cast<uint32_t>(text.size() / 2));
  if (bytes.data() == nullptr) return bytes;
  for (uint32_t i = 0; i < bytes.size(); ++i) {
    const char high = text[2 * size_t{i}];
    const char low = text[2 * size_t{i} + 1];
    // Two digits read the same as through the stream; anything else takes the stream's road.
    const bool digits = hexDigitValue(high) >= 0 && hexDigitValue(low) >= 0;
    bytes.at(i) = static_cast<uint8_t>(digits ? hexDigitValue(high) * 16 + hexDigitValue(low)
                                              : hexTextToNumber(std::string{high, low}));
  }
  return bytes;
}

}  // namespace orv::core
