#include "host/plan/Sha256.h"

#include <cstdio>

#include "host/platform/InputFile.h"
#include "host/platform/Sha256Engine.h"

namespace fwhost {
namespace {

std::string hex(const Sha256Engine::Digest& digest) {
  std::string text;
  for (const unsigned char byte : digest) {
    char pair[3];
    std::snprintf(pair, sizeof pair, "%02x", byte);
    text += pair;
  }
  return text;
}

}  // namespace

std::string sha256Hex(std::string_view bytes) {
  Sha256Engine engine;
  engine.add(bytes);
  return hex(engine.finish());
}

std::string sha256OfFile(const std::filesystem::path& path) {
  InputFile file(path);
  Sha256Engine engine;
  char chunk[65536];
  while (const size_t got = file.read(chunk, sizeof chunk)) engine.add({chunk, got});
  return hex(engine.finish());
}

std::string sha256OfFile(const Folder& folder, const std::string& name) {
  Sha256Engine engine;
  folder.read(name, [&engine](std::string_view piece) { engine.add(piece); });
  return hex(engine.finish());
}

}  // namespace fwhost
