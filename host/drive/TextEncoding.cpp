#include "host/drive/TextEncoding.h"

#include <cstdint>

#include "host/error/HostError.h"

namespace fwhost {
namespace {

void appendUtf8(std::string& text, uint32_t code) {
  // How many continuation bytes follow the lead byte, and the lead byte's marker.
  const int follow = code < 0x80 ? 0 : code < 0x800 ? 1 : code < 0x10000 ? 2 : 3;
  const uint32_t lead[] = {0x00, 0xc0, 0xe0, 0xf0};
  text += static_cast<char>(lead[follow] | code >> (6 * follow));
  for (int i = follow - 1; i >= 0; --i) text += static_cast<char>(0x80 | (code >> (6 * i) & 0x3f));
}

// The UTF-16 units after the byte-order mark as UTF-8; a lone surrogate or an odd byte count
// is refused.
std::string fromUtf16(const std::string& bytes, bool bigEndian, const std::string& origin) {
  const std::string encoding = bigEndian ? "UTF-16BE" : "UTF-16LE";
  const auto unit = [&](size_t at) -> uint32_t {
    const auto high = static_cast<unsigned char>(bytes[at + (bigEndian ? 0 : 1)]);
    const auto low = static_cast<unsigned char>(bytes[at + (bigEndian ? 1 : 0)]);
    return uint32_t{high} << 8 | low;
  };
  const auto broken = [&](size_t at) {
    return HostError::invalidInput(origin, "not valid " + encoding + " text (byte " +
                                               std::to_string(at) + "); save it as UTF-8");
  };
  if (bytes.size() % 2 != 0) throw broken(bytes.size() - 1);
  std::string text;
  for (size_t at = 2; at < bytes.size(); at += 2) {
    uint32_t code = unit(at);
    if (code >= 0xdc00 && code < 0xe000) throw broken(at);
    if (code >= 0xd800 && code < 0xdc00) {
      const uint32_t next = at + 2 < bytes.size() ? unit(at + 2) : 0;
      if (next < 0xdc00 || next >= 0xe000) throw broken(at);
      code = 0x10000 + ((code - 0xd800) << 10) + (next - 0xdc00);
      at += 2;
    }
    appendUtf8(text, code);
  }
  return text;
}

}  // namespace

std::string asUtf8(const std::string& bytes, const std::string& origin) {
  if (bytes.rfind("\xff\xfe", 0) == 0) return fromUtf16(bytes, false, origin);
  if (bytes.rfind("\xfe\xff", 0) == 0) return fromUtf16(bytes, true, origin);
  return bytes;
}

}  // namespace fwhost
