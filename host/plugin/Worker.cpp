#include "host/plugin/Worker.h"

#include <cstdio>
#include <utility>

#include "host/error/HostError.h"
#include "host/platform/WorkerSandbox.h"
#include "host/plugin/WorkerMain.h"

namespace fwhost {
namespace {

constexpr const char* kWhileLoading = "while loading";

}  // namespace

std::string secondsText(std::chrono::milliseconds duration) {
  char text[32];
  std::snprintf(text, sizeof text, "%g s", static_cast<double>(duration.count()) / 1000);
  return text;
}

Worker::Worker(const std::filesystem::path& plugin, const std::string& given,
               const WorkerLimits& limits, const LogView& view)
    : plugin_(plugin), limits_(limits), view_(view) {
  process_.emplace(std::vector<std::string>{kWorkerArgument, plugin.u8string(),
                                            std::to_string(limits.memoryBytes)},
                   limits.memoryBytes);
  const WorkerReply reply = exchange({}, kWhileLoading);
  switch (reply.kind) {
    case ReplyKind::ready:
      return;
    case ReplyKind::loadFailed:
      process_.reset();
      throw HostError::unusablePlugin(given, "cannot load the plug-in: " + reply.bytes);
    case ReplyKind::missingExport:
      process_.reset();
      throw HostError::unusablePlugin(
          given, "not a firmware provider plug-in (no export " + reply.bytes + ")");
    case ReplyKind::unconfined:
      fail("could not be confined (" + reply.bytes + ")", kWhileLoading);
    default:
      fail("sent a reply out of turn", kWhileLoading);
  }
}

Worker::~Worker() {
  if (!process_) return;
  std::string ended;
  {
    PluginLog log(view_);
    ended = process_->finish(std::chrono::steady_clock::now() + limits_.deadline,
                             [&log](const char* bytes, size_t size) { log.add(bytes, size); });
  }
  if (ended != "exited with code 0" && view_.lines) {
    view_.lines("plug-in " + plugin_.u8string() + ": " +
                (ended == "killed" ? "not unloaded within " + secondsText(limits_.deadline)
                                   : ended + " while unloading"));
  }
}

void Worker::fail(const std::string& what, const std::string& during) {
  const auto now = std::chrono::steady_clock::now();
  const std::string ended = process_->end(what.empty() ? now + limits_.deadline : now);
  process_.reset();
  throw HostError::pluginFailed(plugin_.u8string(), what.empty() ? ended : what, during);
}

WorkerReply Worker::exchange(const std::string& request, const std::string& during) {
  PluginLog log(view_);
  const LogBytes toLog = [&log](const char* bytes, size_t size) { log.add(bytes, size); };
  const Deadline deadline = std::chrono::steady_clock::now() + limits_.deadline;
  const auto transfer = [&](const std::string& out, char* in, size_t size) {
    switch (process_->exchange(out, in, size, deadline, toLog)) {
      case WorkerProcess::Transfer::done:
        return;
      case WorkerProcess::Transfer::timedOut:
        fail("no answer within " + secondsText(limits_.deadline), during);
      case WorkerProcess::Transfer::ended:
        fail({}, during);
    }
  };
  uint32_t size = 0;
  transfer(request, reinterpret_cast<char*>(&size), sizeof size);
  if (size > maxMessageBytes())
    fail("sent a broken reply (" + std::to_string(size) + " bytes)", during);
  std::string message(size, '\0');
  transfer({}, message.data(), size);
  const std::optional<WorkerReply> reply = decodeReply(message);
  if (!reply) fail("sent a broken reply", during);
  switch (reply->kind) {
    case ReplyKind::forbiddenCall:
      fail("made the forbidden system call " + systemCallName(reply->length), during);
    case ReplyKind::outOfMemory:
      fail(
          "ran out of memory at its limit of " + std::to_string(limits_.memoryBytes >> 20) + " MiB",
          during);
    case ReplyKind::overrun:
      fail("wrote past the end of its buffer", during);
    default:
      return *reply;
  }
}

ExportAnswer Worker::call(const WorkerRequest& request) {
  const std::string during = std::string("in ") + exportName(request.which);
  WorkerReply reply = exchange(encodeRequest(request), during);
  if (reply.kind != ReplyKind::answer || reply.bytes.size() > request.capacity)
    fail("sent a broken reply", during);
  return {reply.code, reply.length, std::move(reply.bytes)};
}

}  // namespace fwhost
