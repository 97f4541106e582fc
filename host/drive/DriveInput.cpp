#include "host/drive/DriveInput.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <system_error>

#include "host/error/HostError.h"

namespace fwhost {

std::string readInput(const std::string& path) {
  if (path == "-") {
    return {std::istreambuf_iterator<char>(std::cin), std::istreambuf_iterator<char>()};
  }
  // Texts inside fwhost are UTF-8, which a narrow path on Windows is not.
  const std::filesystem::path native = std::filesystem::u8path(path);
  std::error_code error;
  if (std::filesystem::is_directory(native, error)) {
    throw HostError::invalidInput(path, "is a directory, not a drive description");
  }
  std::ifstream file(native, std::ios::binary);
  if (!file) throw HostError::io(path, std::string("cannot read: ") + std::strerror(errno));
  return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

DriveDescription describe(const std::vector<std::string>& settings) {
  DriveDescription description;
  for (const std::string& setting : settings) description.set(setting);
  return description;
}

DriveText readDrive(const DriveInput& input) {
  if (input.file.empty() == input.settings.empty()) {
    throw HostError::usage("give either a drive description FILE or --set settings");
  }
  if (input.settings.empty()) {
    return {input.file == "-" ? "standard input" : input.file, readInput(input.file)};
  }
  return {"--set drive", describe(input.settings).xml()};
}

}  // namespace fwhost
