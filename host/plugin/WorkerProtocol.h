// The messages between fwhost and its worker process: each a 32-bit length (native byte order,
// both ends being one program) and that many bytes. fwhost asks one export call at a time; the
// worker answers it, or says why it cannot.
#ifndef FWHOST_PLUGIN_WORKERPROTOCOL_H
#define FWHOST_PLUGIN_WORKERPROTOCOL_H

#include <cstdint>
#include <optional>
#include <string>

namespace fwhost {

enum class Export : uint8_t { configuration, mapping, binary };

// "GetTargetFirmwareMappingAttributes".
const char* exportName(Export which);

// One export call: input is the description or the image name (none for the configuration);
// without a buffer the call is made with a null one.
struct WorkerRequest {
  Export which = Export::configuration;
  bool withBuffer = true;
  uint32_t capacity = 0;
  std::string input;
};

enum class ReplyKind : uint8_t {
  ready,          // the plug-in is loaded, its exports found, the worker confined
  loadFailed,     // text: the loader's reason
  missingExport,  // text: the export's name
  unconfined,     // text: why the worker could not confine itself
  answer,         // code, length and the bytes the plug-in wrote (when it answered 0)
  forbiddenCall,  // number: the system call that ended the worker
  outOfMemory,    // the plug-in's allocation failed at the worker's memory limit
  overrun,        // the plug-in wrote past the end of the buffer it was given
};

struct WorkerReply {
  ReplyKind kind = ReplyKind::ready;
  uint32_t code = 0;    // answer
  uint32_t length = 0;  // answer: *bufferLength after the call; forbiddenCall: the number
  std::string bytes;    // answer: the buffer's bytes; texts
};

// The largest message either side takes, in bytes after the length: an image of the largest
// size fwhost takes, with its header.
uint32_t maxMessageBytes();

// Each message with its length in front.
std::string encodeRequest(const WorkerRequest& request);
std::string encodeReply(const WorkerReply& reply);

// A message's bytes after its length; nothing when they are no message of that kind.
std::optional<WorkerRequest> decodeRequest(const std::string& message);
std::optional<WorkerReply> decodeReply(const std::string& message);

}  // namespace fwhost

#endif
