#include "host/discovery/IdentifyPages.h"

#include "host/error/HostError.h"

namespace fwhost {
namespace {

constexpr size_t kIdentifySize = 512;
constexpr size_t kIdentifyInPage = 60;
constexpr size_t kPageHeader = 4;

unsigned byteAt(std::string_view bytes, size_t at) { return static_cast<unsigned char>(bytes[at]); }

// Words are little-endian and hold their first character in the high byte.
std::string identifyString(std::string_view data, const char* field, size_t firstWord,
                           size_t lastWord) {
  std::string text;
  for (size_t word = firstWord; word <= lastWord; ++word) {
    text += data[2 * word + 1];
    text += data[2 * word];
  }
  return identityText(field, text);
}

// The payload of a VPD page whose header names the expected page code.
std::string_view pagePayload(std::string_view page, unsigned code, const char* name) {
  if (page.size() < kPageHeader || byteAt(page, 1) != code) {
    throw HostError::invalidInput("", std::string("not a ") + name + " page");
  }
  const size_t length = byteAt(page, 2) << 8 | byteAt(page, 3);
  if (page.size() < kPageHeader + length) {
    throw HostError::invalidInput("", std::string(name) +
                                          " page cut short: " + std::to_string(page.size()) +
                                          " of " + std::to_string(kPageHeader + length) + " bytes");
  }
  return page.substr(kPageHeader, length);
}

}  // namespace

std::string identityText(const char* field, std::string_view reported) {
  static const char kHex[] = "0123456789abcdef";
  for (size_t at = 0; at < reported.size(); ++at) {
    const unsigned byte = byteAt(reported, at);
    if (byte < 0x20 || byte > 0x7e) {
      throw HostError::invalidInput("", std::string(field) + ": byte 0x" + kHex[byte >> 4] +
                                            kHex[byte & 0xf] + " at offset " + std::to_string(at) +
                                            " is not printable ASCII");
    }
  }
  const auto first = reported.find_first_not_of(' ');
  if (first == std::string_view::npos) return {};
  return std::string(reported.substr(first, reported.find_last_not_of(' ') - first + 1));
}

DriveIdentity parseAtaIdentify(std::string_view data) {
  if (data.size() != kIdentifySize) {
    throw HostError::invalidInput(
        "", "IDENTIFY DEVICE data of " + std::to_string(data.size()) + " bytes, not 512");
  }
  if (byteAt(data, 1) & 0x80) {
    throw HostError::invalidInput("", "IDENTIFY data of an ATAPI device, not an ATA drive");
  }
  // Word 255 carries the signature 0xA5 when its high byte makes all 512 bytes sum to zero.
  if (byteAt(data, 510) == 0xA5) {
    unsigned sum = 0;
    for (size_t at = 0; at < kIdentifySize; ++at) sum += byteAt(data, at);
    if (sum % 256 != 0) throw HostError::invalidInput("", "IDENTIFY data fails its checksum");
  }
  return {identifyString(data, "model", 27, 46), identifyString(data, "serial", 10, 19),
          identifyString(data, "firmware", 23, 26)};
}

DriveIdentity parseAtaInformationPage(std::string_view page) {
  const std::string_view payload = pagePayload(page, 0x89, "ATA Information");
  if (payload.size() < kIdentifyInPage - kPageHeader + kIdentifySize) {
    throw HostError::invalidInput("", "ATA Information page too short for IDENTIFY data");
  }
  return parseAtaIdentify(payload.substr(kIdentifyInPage - kPageHeader, kIdentifySize));
}

std::string parseUnitSerialNumberPage(std::string_view page) {
  return identityText("serial", pagePayload(page, 0x80, "Unit Serial Number"));
}

}  // namespace fwhost
