#include "host/plugin/Plugin.h"

#include <cstdint>
#include <cstring>
#include <system_error>
#include <utility>

#include "host/error/HostError.h"
#include "host/plugin/Answer.h"
#include "provider/fwprovider.h"

namespace fwhost {
namespace {

// Small on purpose: most answers need the grow-and-call-again path, so it stays exercised.
constexpr uint32_t kFirstCapacity = 256;
// A plug-in that asks for more after being given what it asked for is not going to settle.
constexpr int kAttempts = 3;

HostError tooLarge(const std::filesystem::path& path, const std::string& what, uint32_t asked,
                   uint32_t cap) {
  return HostError::inconsistentAnswer(path.u8string(), what + " of " + std::to_string(asked) +
                                                            " bytes, more than the " +
                                                            std::to_string(cap) + " fwhost takes");
}

struct Reply {
  uint32_t code;
  std::string bytes;  // as many as the plug-in reported, when code is 0
};

// call(buffer, &length) is one export call.
template <typename Call>
Reply negotiate(const std::filesystem::path& path, Call call) {
  std::string buffer(kFirstCapacity, '\0');
  for (int attempt = 0; attempt < kAttempts; ++attempt) {
    auto length = static_cast<uint32_t>(buffer.size());
    const uint32_t code = call(buffer.data(), &length);
    if (code == FWPROVIDER_BUFFER_TOO_SMALL && length > kMaxAnswerTextBytes)
      throw tooLarge(path, "an answer text", length, kMaxAnswerTextBytes);
    if (code == FWPROVIDER_BUFFER_TOO_SMALL && length > buffer.size()) {
      buffer.assign(length, '\0');
      continue;
    }
    if (code == FWPROVIDER_OK && length <= buffer.size()) {
      buffer.resize(length);
      return {code, std::move(buffer)};
    }
    if (code == FWPROVIDER_INVALID_ARGUMENTS) return {code, {}};
    throw HostError::inconsistentAnswer(
        path.u8string(), "code " + std::to_string(code) + ", length " + std::to_string(length) +
                             " for a buffer of " + std::to_string(buffer.size()));
  }
  throw HostError::inconsistentAnswer(path.u8string(), "kept asking for a larger buffer");
}

// A text answer: the reported length counts a NUL that must be there. refusal is what a 36
// means, as HostError (pluginRefused).
std::string text(const std::filesystem::path& path, Reply reply, const HostError& refusal) {
  if (reply.code == FWPROVIDER_INVALID_ARGUMENTS) throw refusal;
  if (reply.bytes.empty() || reply.bytes.back() != '\0') {
    throw HostError::inconsistentAnswer(path.u8string(), "text without its NUL");
  }
  reply.bytes.pop_back();
  return reply.bytes;
}

// Only a regular file is loaded: the loader would wait on a FIFO until the deadline.
void requireRegularFile(const std::filesystem::path& given, const std::filesystem::path& path) {
  std::error_code error;
  const auto status = std::filesystem::status(path, error);
  if (!std::filesystem::exists(status))
    throw HostError::unusablePlugin(given.u8string(), "no such plug-in");
  if (!std::filesystem::is_regular_file(status))
    throw HostError::unusablePlugin(given.u8string(), "not a regular file, so no plug-in");
}

}  // namespace

Plugin::Plugin(const std::filesystem::path& path, LogView log, WorkerLimits limits)
    : path_(std::filesystem::absolute(path).lexically_normal()),
      log_(std::move(log)),
      limits_(limits) {
  requireRegularFile(path, path_);
  worker_ = std::make_unique<Worker>(path_, path.u8string(), limits_, log_);
}

Plugin::~Plugin() = default;

uint32_t Plugin::call(Export which, const std::string& input, char* buffer,
                      uint32_t* length) const {
  // A call that ended the last worker was an error of its own; this one gets a fresh worker.
  if (!worker_->alive()) worker_ = std::make_unique<Worker>(path_, path_.u8string(), limits_, log_);
  const ExportAnswer answer = worker_->call({which, buffer != nullptr, *length, input});
  if (!answer.bytes.empty()) std::memcpy(buffer, answer.bytes.data(), answer.bytes.size());
  *length = answer.length;
  return answer.code;
}

std::string Plugin::configuration() const {
  return text(path_,
              negotiate(path_,
                        [this](char* buffer, uint32_t* length) {
                          return call(Export::configuration, {}, buffer, length);
                        }),
              HostError::pluginRefused(path_.u8string(),
                                       "the plug-in refused to describe itself (36: invalid "
                                       "arguments)"));
}

std::string Plugin::mapping(const std::string& description, const std::string& origin) const {
  return text(path_,
              negotiate(path_,
                        [&](char* buffer, uint32_t* length) {
                          return call(Export::mapping, description, buffer, length);
                        }),
              HostError::pluginRefused(origin, "plug-in " + path_.u8string() +
                                                   " refused this drive description (36: invalid "
                                                   "arguments)"));
}

uint32_t Plugin::imageSize(const std::string& name) const {
  uint32_t length = 0;
  const uint32_t code = call(Export::binary, name, nullptr, &length);
  if (code == FWPROVIDER_INVALID_ARGUMENTS && length == 0) return 0;
  if (code != FWPROVIDER_BUFFER_TOO_SMALL || length == 0) {
    throw HostError::inconsistentAnswer(path_.u8string(), "code " + std::to_string(code) +
                                                              ", length " + std::to_string(length) +
                                                              " for the size of image " + name);
  }
  if (length > kMaxImageBytes) throw tooLarge(path_, "image " + name, length, kMaxImageBytes);
  return length;
}

std::string Plugin::image(const std::string& name) const {
  const uint32_t size = imageSize(name);
  std::string bytes(size, '\0');
  if (size == 0) return bytes;
  uint32_t length = size;
  const uint32_t code = call(Export::binary, name, bytes.data(), &length);
  if (code != FWPROVIDER_OK || length != size) {
    throw HostError::inconsistentAnswer(
        path_.u8string(), "code " + std::to_string(code) + ", " + std::to_string(length) +
                              " bytes of the " + std::to_string(size) + " of image " + name);
  }
  return bytes;
}

std::string Plugin::version() const {
  for (const AnswerProperty& property : readAnswer(configuration(), path_.u8string())) {
    if (property.name == "Version") return property.value;
  }
  return {};
}

}  // namespace fwhost
