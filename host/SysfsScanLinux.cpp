#include <algorithm>
#include <fstream>
#include <iterator>
#include <optional>
#include <system_error>

#include "host/HostError.h"
#include "host/SysfsScan.h"

namespace fwhost {
namespace {

namespace fs = std::filesystem;

// Kernel attributes end in a newline and SCSI models are padded with blanks.
std::optional<std::string> readAttribute(const fs::path& path) {
  std::ifstream file(path);
  if (!file) return std::nullopt;
  std::string text{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
  const char* const blanks = " \t\r\n";
  const auto first = text.find_first_not_of(blanks);
  if (first == std::string::npos) return std::string();
  return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

std::vector<fs::path> sortedEntries(const fs::path& directory) {
  std::vector<fs::path> entries;
  std::error_code error;
  for (fs::directory_iterator it(directory, error), end; !error && it != end; it.increment(error)) {
    entries.push_back(it->path());
  }
  std::sort(entries.begin(), entries.end());
  return entries;
}

}  // namespace

std::vector<ScannedDrive> scanDrives(const fs::path& root) {
  if (!fs::is_directory(root))
    throw HostError(ExitCode::input, root.u8string() + ": no sysfs tree there");
  std::vector<ScannedDrive> drives;
  for (const fs::path& controller : sortedEntries(root / "class" / "nvme")) {
    const auto model = readAttribute(controller / "model");
    if (!model) continue;
    drives.push_back({controller.filename().u8string(), *model,
                      readAttribute(controller / "serial").value_or(""),
                      readAttribute(controller / "firmware_rev").value_or("")});
  }
  // NVMe namespaces show up under block/ too, but their device has no rev and is skipped.
  for (const fs::path& block : sortedEntries(root / "block")) {
    const auto model = readAttribute(block / "device" / "model");
    const auto revision = readAttribute(block / "device" / "rev");
    if (!model || !revision) continue;
    drives.push_back({block.filename().u8string(), *model, "", *revision});
  }
  return drives;
}

}  // namespace fwhost
