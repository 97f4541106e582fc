#include "host/platform/InputFile.h"

namespace fwhost {

std::string readWholeFile(const std::filesystem::path& path) {
  InputFile file(path);
  std::string bytes;
  char chunk[65536];
  while (const size_t got = file.read(chunk, sizeof chunk)) bytes.append(chunk, got);
  return bytes;
}

}  // namespace fwhost
