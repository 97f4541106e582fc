#include "host/platform/Pem.h"

#include <cstdint>
#include <utility>

namespace fwhost {
namespace {

int base64Value(char c) {
  if (c >= 'A' && c <= 'Z') return c - 'A';
  if (c >= 'a' && c <= 'z') return c - 'a' + 26;
  if (c >= '0' && c <= '9') return c - '0' + 52;
  if (c == '+') return 62;
  if (c == '/') return 63;
  return -1;
}

std::optional<std::string> decodeBase64(const std::string& body) {
  std::string bytes;
  uint32_t bits = 0;
  int held = 0, padding = 0;
  for (char c : body) {
    if (c == '\r' || c == '\n' || c == ' ' || c == '\t') continue;
    if (c == '=') {
      ++padding;
      continue;
    }
    const int value = base64Value(c);
    if (value < 0 || padding > 0) return std::nullopt;
    bits = (bits << 6) | static_cast<uint32_t>(value);
    held += 6;
    if (held >= 8) {
      held -= 8;
      bytes += static_cast<char>((bits >> held) & 0xff);
    }
  }
  if (padding > 2 || (held + 6 * padding) % 8 != 0) return std::nullopt;
  return bytes;
}

}  // namespace

std::optional<PemBlock> firstPemBlock(const std::string& text) {
  const std::string begin = "-----BEGIN ", dashes = "-----";
  const size_t start = text.find(begin);
  if (start == std::string::npos) return std::nullopt;
  const size_t labelStart = start + begin.size();
  const size_t labelEnd = text.find(dashes, labelStart);
  if (labelEnd == std::string::npos) return std::nullopt;
  const std::string label = text.substr(labelStart, labelEnd - labelStart);
  const size_t bodyStart = labelEnd + dashes.size();
  const size_t end = text.find("-----END " + label + dashes, bodyStart);
  if (end == std::string::npos || label.find('\n') != std::string::npos) return std::nullopt;
  std::optional<std::string> der = decodeBase64(text.substr(bodyStart, end - bodyStart));
  if (!der || der->empty()) return std::nullopt;
  return PemBlock{label, std::move(*der)};
}

}  // namespace fwhost
