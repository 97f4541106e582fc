#include "host/plugin/Plugin.h"

#include <cstdint>
#include <system_error>
#include <utility>

#include "host/error/HostError.h"
#include "host/plugin/Answer.h"
#include "host/plugin/PluginLog.h"

namespace fwhost {
namespace {

// Small on purpose: most answers need the grow-and-call-again path, so it stays exercised.
constexpr uint32_t kFirstCapacity = 256;
// A plug-in that asks for more after being given what it asked for is not going to settle.
constexpr int kAttempts = 3;

struct Reply {
  uint32_t code;
  std::string bytes;  // as many as the plug-in reported, when code is 0
};

template <typename Export>
void resolve(const PluginLibrary& library, const std::filesystem::path& path, const char* name,
             Export& function) {
  function = reinterpret_cast<Export>(library.symbol(name));
  if (function == nullptr) {
    throw HostError::unusablePlugin(
        path.u8string(), std::string("not a firmware provider plug-in (no export ") + name + ")");
  }
}

// call(buffer, &length) is one export call; what it writes to stdout goes to the log.
template <typename Call>
Reply negotiate(const std::filesystem::path& path, bool verbose, Call call) {
  const PluginLog log(verbose);
  std::string buffer(kFirstCapacity, '\0');
  for (int attempt = 0; attempt < kAttempts; ++attempt) {
    auto length = static_cast<uint32_t>(buffer.size());
    const uint32_t code = call(buffer.data(), &length);
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

// Loading runs the plug-in's own start-up code, which may write to stdout too.
PluginLibrary load(const std::filesystem::path& path, bool verbose) {
  const PluginLog log(verbose);
  return PluginLibrary(path);
}

}  // namespace

Plugin::Plugin(const std::filesystem::path& path, bool verbose)
    : path_(std::filesystem::absolute(path).lexically_normal()),
      verbose_(verbose),
      library_(load(path_, verbose)) {
  if (!library_.loaded()) {
    std::error_code error;
    throw HostError::unusablePlugin(path.u8string(),
                                    std::filesystem::exists(path, error)
                                        ? "cannot load the plug-in: " + library_.error()
                                        : "no such plug-in");
  }
  resolve(library_, path_, "GetTargetFirmwareMappingAttributes", mapping_);
  resolve(library_, path_, "GetFirmwareConfigurationAttributes", configuration_);
  resolve(library_, path_, "GetTargetFirmwareBinary", binary_);
}

std::string Plugin::configuration() const {
  return text(path_,
              negotiate(path_, verbose_,
                        [this](char* buffer, uint32_t* length) {
                          return configuration_(nullptr, 0, buffer, length);
                        }),
              HostError::pluginRefused(path_.u8string(),
                                       "the plug-in refused to describe itself (36: invalid "
                                       "arguments)"));
}

std::string Plugin::mapping(const std::string& description, const std::string& origin) const {
  const auto size = static_cast<uint32_t>(description.size());
  return text(path_,
              negotiate(path_, verbose_,
                        [&](char* buffer, uint32_t* length) {
                          return mapping_(description.data(), size, buffer, length);
                        }),
              HostError::pluginRefused(origin, "plug-in " + path_.u8string() +
                                                   " refused this drive description (36: invalid "
                                                   "arguments)"));
}

std::string Plugin::image(const std::string& name) const {
  const auto size = static_cast<uint32_t>(name.size());
  const Reply reply = negotiate(path_, verbose_, [&](char* buffer, uint32_t* length) {
    return binary_(name.data(), size, reinterpret_cast<uint8_t*>(buffer), length);
  });
  if (reply.code != FWPROVIDER_OK) {
    throw HostError::pluginRefused(
        path_.u8string(),
        "refused to hand out image " + name + " (answered " + std::to_string(reply.code) + ")");
  }
  return reply.bytes;
}
std::string Plugin::version() const {
  for (const AnswerProperty& property : readAnswer(configuration(), path_.u8string())) {
    if (property.name == "Version") return property.value;
  }
  return {};
}

}  // namespace fwhost
