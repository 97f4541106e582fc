// How texts enter the plug-in and how answers reach the host's buffers.
#ifndef FWPROVIDER_BUFFERPROTOCOL_H
#define FWPROVIDER_BUFFERPROTOCOL_H

#include <cstdint>
#include <string>
#include <string_view>

#include "orv/core/Status.h"

namespace fwprovider {

// The host's text up to its first NUL byte, read no further than length bytes. Nothing is
// copied: the view is into the host's memory and lasts as long as the call does.
std::string_view takeInputText(const char* input, uint32_t length);

// Text protocol: needs text.size() + 1 bytes, writes the text and a NUL, and always reports
// text.size() + 1 in *bufferLength. 0 on success, 37 when short, 36 with a null buffer.
orv::core::Status copyTextToBuffer(std::string text, char* buffer, uint32_t* bufferLength);

// Binary protocol: needs exactly size bytes, writes no terminator, and reports size in
// *bufferLength also with a null buffer (37 when short, else 36).
orv::core::Status copyBinaryToBuffer(const uint8_t* bytes, uint32_t size, uint8_t* buffer,
                                     uint32_t* bufferLength);

}  // namespace fwprovider

#endif
