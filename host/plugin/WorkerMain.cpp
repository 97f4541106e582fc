#include "host/plugin/WorkerMain.h"

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <new>
#include <optional>

#include "host/platform/PipeIo.h"
#include "host/platform/PluginLibrary.h"
#include "host/platform/WorkerSandbox.h"
#include "host/plugin/WorkerProtocol.h"
#include "provider/fwprovider.h"

namespace fwhost {
namespace {

// Bytes after the buffer the plug-in is given, that it must leave as they are.
constexpr size_t kGuardBytes = 64;
constexpr char kGuard = '\xa5';
// Where the reply of a forbidden call holds its number: after the frame's length, the kind and
// the code.
constexpr size_t kCallNumberAt = 4 + 1 + 4;
// The exit code of a worker that could not follow the protocol.
constexpr int kBrokenExit = 2;

SystemHandle::Native replies;
// Made before they are needed, when nothing can be allocated or in a signal handler.
char forbiddenCall[4 + 1 + 4 + 4];
std::string outOfMemory;

void reportForbiddenCall(long number) {
  const auto value = static_cast<uint32_t>(number);
  std::memcpy(forbiddenCall + kCallNumberAt, &value, sizeof value);
  writeFully(replies, forbiddenCall, sizeof forbiddenCall);
}

// A failed allocation ends the worker, whether or not the plug-in would have caught it: that it
// reached the limit is the news.
void reportOutOfMemory() {
  writeFully(replies, outOfMemory.data(), outOfMemory.size());
  std::_Exit(kBrokenExit);
}

// What the plug-in wrote goes out before the reply that follows it.
void flushLog() {
  std::cout.flush();
  std::clog.flush();
  std::fflush(nullptr);
}

bool send(const WorkerReply& reply) {
  flushLog();
  const std::string bytes = encodeReply(reply);
  return writeFully(replies, bytes.data(), bytes.size());
}

std::optional<WorkerRequest> receive(SystemHandle::Native requests) {
  uint32_t size = 0;
  if (!readFully(requests, reinterpret_cast<char*>(&size), sizeof size)) return std::nullopt;
  if (size > maxMessageBytes()) return std::nullopt;
  std::string message(size, '\0');
  if (!readFully(requests, message.data(), size)) return std::nullopt;
  return decodeRequest(message);
}

struct Exports {
  GetTargetFirmwareMappingAttributesFn mapping;
  GetFirmwareConfigurationAttributesFn configuration;
  GetTargetFirmwareBinaryFn binary;
};

WorkerReply call(const Exports& exports, const PluginLibrary& library,
                 const WorkerRequest& request) {
  std::string buffer(request.capacity + kGuardBytes, kGuard);
  char* const given = request.withBuffer ? buffer.data() : nullptr;
  const auto inputSize = static_cast<uint32_t>(request.input.size());
  uint32_t length = request.capacity;
  uint32_t code = 0;
  switch (request.which) {
    case Export::configuration:
      code = exports.configuration(nullptr, 0, given, &length);
      break;
    case Export::mapping:
      code = exports.mapping(request.input.data(), inputSize, given, &length);
      break;
    case Export::binary:
      code = exports.binary(request.input.data(), inputSize, reinterpret_cast<uint8_t*>(given),
                            &length);
      // The image's pages would otherwise stay counted against the limit, one more image with
      // each package of a plan.
      library.releaseReadOnlyPages();
      break;
  }
  if (buffer.compare(request.capacity, kGuardBytes, std::string(kGuardBytes, kGuard)) != 0)
    return {ReplyKind::overrun, 0, 0, {}};
  buffer.resize(code == FWPROVIDER_OK && given != nullptr ? std::min(length, request.capacity) : 0);
  return {ReplyKind::answer, code, length, std::move(buffer)};
}

// False, once fwhost is told, when the plug-in lacks the export.
template <typename Export>
bool resolve(const PluginLibrary& library, const char* name, Export& function) {
  function = reinterpret_cast<Export>(library.symbol(name));
  if (function != nullptr) return true;
  send({ReplyKind::missingExport, 0, 0, name});
  return false;
}

}  // namespace

int runPluginWorker(const std::vector<std::string>& arguments) {
  if (arguments.size() != 6) return kBrokenExit;
  const SystemHandle::Native requests = handleFromText(arguments[4]);
  replies = handleFromText(arguments[5]);
  const std::string forbidden = encodeReply({ReplyKind::forbiddenCall, 0, 0, {}});
  std::memcpy(forbiddenCall, forbidden.data(), sizeof forbiddenCall);
  outOfMemory = encodeReply({ReplyKind::outOfMemory, 0, 0, {}});
  limitWorkerMemory(std::stoull(arguments[3]));
  std::set_new_handler(reportOutOfMemory);

  const PluginLibrary library(std::filesystem::u8path(arguments[2]));
  if (!library.loaded()) return send({ReplyKind::loadFailed, 0, 0, library.error()}) ? 0 : 1;
  Exports exports{};
  if (!resolve(library, "GetTargetFirmwareMappingAttributes", exports.mapping) ||
      !resolve(library, "GetFirmwareConfigurationAttributes", exports.configuration) ||
      !resolve(library, "GetTargetFirmwareBinary", exports.binary))
    return 0;
  const std::string unconfined = confineWorker(requests, replies, reportForbiddenCall);
  if (!unconfined.empty()) return send({ReplyKind::unconfined, 0, 0, unconfined}) ? 0 : 1;
  if (!send({ReplyKind::ready, 0, 0, {}})) return kBrokenExit;
  while (const auto request = receive(requests)) {
    if (!send(call(exports, library, *request))) return kBrokenExit;
  }
  return 0;
}

}  // namespace fwhost
