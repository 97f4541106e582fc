#include "host/Files.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <iostream>
#include <iterator>
#include <system_error>

#include "host/HostError.h"

namespace fwhost {

std::string readInput(const std::string& path) {
  if (path == "-") {
    return {std::istreambuf_iterator<char>(std::cin), std::istreambuf_iterator<char>()};
  }
  // Texts inside fwhost are UTF-8, which a narrow path on Windows is not.
  const auto native = std::filesystem::u8path(path);
  if (std::filesystem::is_directory(native)) {
    throw HostError(ExitCode::input, path + ": is a directory, not a drive description");
  }
  std::ifstream file(native, std::ios::binary);
  if (!file) throw HostError(ExitCode::input, path + ": cannot read: " + std::strerror(errno));
  return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

void writeFileAtomically(const std::filesystem::path& path, std::string_view bytes) {
  std::filesystem::path temporary = path;
  temporary += ".partial";
  {
    std::ofstream file(temporary, std::ios::binary | std::ios::trunc);
    file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!file.flush()) {
      throw HostError(ExitCode::input,
                      temporary.u8string() + ": cannot write: " + std::strerror(errno));
    }
  }
  std::error_code error;
  std::filesystem::rename(temporary, path, error);
  if (error) {
    std::filesystem::remove(temporary, error);
    throw HostError(ExitCode::input, path.u8string() + ": cannot write: " + error.message());
  }
}

}  // namespace fwhost
