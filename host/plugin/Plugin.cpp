#include "host/plugin/Plugin.h"

#include <cstdint>
#include <utility>

#include "host/error/HostError.h"
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
    throw HostError(ExitCode::input,
                    path.u8string() + ": not a firmware provider plug-in (no export " + name + ")");
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
    throw HostError(ExitCode::plugin, path.u8string() + ": answered inconsistently (code " +
                                          std::to_string(code) + ", length " +
                                          std::to_string(length) + " for a buffer of " +
                                          std::to_string(buffer.size()) + ")");
  }
  throw HostError(ExitCode::plugin,
                  path.u8string() + ": answered inconsistently (kept asking for a larger buffer)");
}

// A text answer: the reported length counts a NUL that must be there.
std::string text(const std::filesystem::path& path, Reply reply, const std::string& refusal) {
  if (reply.code == FWPROVIDER_INVALID_ARGUMENTS) {
    throw HostError(ExitCode::plugin, refusal + " (36: invalid arguments)");
  }
  if (reply.bytes.empty() || reply.bytes.back() != '\0') {
    throw HostError(ExitCode::plugin,
                    path.u8string() + ": answered inconsistently (text without its NUL)");
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
    throw HostError(ExitCode::input,
                    std::filesystem::exists(path)
                        ? path.u8string() + ": cannot load the plug-in: " + library_.error()
                        : path.u8string() + ": no such plug-in");
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
              path_.u8string() + ": the plug-in refused to describe itself");
}

std::string Plugin::mapping(const std::string& description, const std::string& origin) const {
  const auto size = static_cast<uint32_t>(description.size());
  return text(path_,
              negotiate(path_, verbose_,
                        [&](char* buffer, uint32_t* length) {
                          return mapping_(description.data(), size, buffer, length);
                        }),
              origin + ": plug-in " + path_.u8string() + " refused this drive description");
}

std::string Plugin::image(const std::string& name) const {
  const auto size = static_cast<uint32_t>(name.size());
  const Reply reply = negotiate(path_, verbose_, [&](char* buffer, uint32_t* length) {
    return binary_(name.data(), size, reinterpret_cast<uint8_t*>(buffer), length);
  });
  if (reply.code != FWPROVIDER_OK) {
    throw HostError(ExitCode::plugin, path_.u8string() + ": refused to hand out image " + name +
                                          " (answered " + std::to_string(reply.code) + ")");
  }
  return reply.bytes;
}

}  // namespace fwhost
