#include "provider/BufferProtocol.h"

#include <cstring>

#include "orv/core/Memory.h"

namespace fwprovider {

using orv::core::Status;

std::string_view takeInputText(const char* input, uint32_t length) {
  const void* nul = std::memchr(input, '\0', length);
  const char* end = nul == nullptr ? input + length : static_cast<const char*>(nul);
  return {input, static_cast<size_t>(end - input)};
}

Status copyTextToBuffer(std::string text, char* buffer, uint32_t* bufferLength) {
  Status status = orv::core::invalidArgumentsStatus();
  const uint64_t needed = uint64_t{text.size()} + 1;
  if (uint64_t{*bufferLength} < needed) {
    status = orv::core::bufferTooSmallStatus();
  } else if (buffer != nullptr) {
    status = orv::core::successStatus();
    orv::core::memory::memCopy(buffer, *bufferLength, text.data(), text.size());
    buffer[text.size()] = '\0';
  }
  *bufferLength = static_cast<uint32_t>(needed);
  return status;
}

Status copyBinaryToBuffer(const uint8_t* bytes, uint32_t size, uint8_t* buffer,
                          uint32_t* bufferLength) {
  if (bufferLength == nullptr) return orv::core::invalidArgumentsStatus();
  Status status = orv::core::successStatus();
  if (*bufferLength < size) {
    status = orv::core::bufferTooSmallStatus();
  } else if (buffer != nullptr) {
    orv::core::memory::memCopy(buffer, *bufferLength, bytes, size);
  } else {
    status = orv::core::invalidArgumentsStatus();
  }
  *bufferLength = size;
  return status;
}

}  // namespace fwprovider
