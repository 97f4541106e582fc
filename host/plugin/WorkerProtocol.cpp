#include "host/plugin/WorkerProtocol.h"

#include <cstring>

#include "host/plugin/Plugin.h"

namespace fwhost {
namespace {

constexpr size_t kRequestHeader = 1 + 1 + 4;
constexpr size_t kReplyHeader = 1 + 4 + 4;

void put32(std::string& bytes, uint32_t value) {
  bytes.append(reinterpret_cast<const char*>(&value), sizeof value);
}

uint32_t get32(const std::string& bytes, size_t at) {
  uint32_t value = 0;
  std::memcpy(&value, bytes.data() + at, sizeof value);
  return value;
}

// header and body behind their length, in one allocation: a body may be an image.
std::string framed(const std::string& header, const std::string& body) {
  std::string bytes;
  bytes.reserve(4 + header.size() + body.size());
  put32(bytes, static_cast<uint32_t>(header.size() + body.size()));
  return bytes.append(header).append(body);
}

}  // namespace

const char* exportName(Export which) {
  switch (which) {
    case Export::configuration:
      return "GetFirmwareConfigurationAttributes";
    case Export::mapping:
      return "GetTargetFirmwareMappingAttributes";
    case Export::binary:
      break;
  }
  return "GetTargetFirmwareBinary";
}

uint32_t maxMessageBytes() { return kMaxImageBytes + kReplyHeader; }

std::string encodeRequest(const WorkerRequest& request) {
  std::string message{static_cast<char>(request.which), static_cast<char>(request.withBuffer)};
  put32(message, request.capacity);
  return framed(message, request.input);
}

std::string encodeReply(const WorkerReply& reply) {
  std::string message{static_cast<char>(reply.kind)};
  put32(message, reply.code);
  put32(message, reply.length);
  return framed(message, reply.bytes);
}

std::optional<WorkerRequest> decodeRequest(const std::string& message) {
  if (message.size() < kRequestHeader ||
      static_cast<uint8_t>(message[0]) > static_cast<uint8_t>(Export::binary))
    return std::nullopt;
  return WorkerRequest{static_cast<Export>(message[0]), message[1] != 0, get32(message, 2),
                       message.substr(kRequestHeader)};
}

std::optional<WorkerReply> decodeReply(const std::string& message) {
  if (message.size() < kReplyHeader ||
      static_cast<uint8_t>(message[0]) > static_cast<uint8_t>(ReplyKind::overrun))
    return std::nullopt;
  return WorkerReply{static_cast<ReplyKind>(message[0]), get32(message, 1), get32(message, 5),
                     message.substr(kReplyHeader)};
}

}  // namespace fwhost
