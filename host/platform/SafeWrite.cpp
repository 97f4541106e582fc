#include "host/platform/SafeWrite.h"

#include <random>

#include "host/error/HostError.h"

namespace fwhost {
namespace {

constexpr std::string_view kTemporaryPrefix = ".fwhost-";
constexpr size_t kTemporaryDigits = 12;
constexpr std::string_view kHexDigits = "0123456789abcdef";

std::mt19937_64& temporaryNameSource() {
  static std::mt19937_64 generator{std::random_device{}()};
  return generator;
}

}  // namespace

void refuseUnlessReplaceable(const PathState& state, const std::filesystem::path& path) {
  if (state.kind != PathKind::missing && state.kind != PathKind::regularFile) {
    throw HostError::refusedTarget(path.u8string(),
                                   "is " + state.what + "; only a regular file is replaced");
  }
}

std::string temporaryName() {
  std::string name(kTemporaryPrefix);
  uint64_t bits = temporaryNameSource()();
  for (size_t digit = 0; digit < kTemporaryDigits; ++digit, bits >>= 4)
    name += kHexDigits[bits & 15];
  return name;
}

bool isTemporaryName(std::string_view name) {
  return name.size() == kTemporaryPrefix.size() + kTemporaryDigits &&
         name.substr(0, kTemporaryPrefix.size()) == kTemporaryPrefix &&
         name.find_first_not_of(kHexDigits, kTemporaryPrefix.size()) == std::string_view::npos;
}

void seedTemporaryNames(uint64_t seed) { temporaryNameSource().seed(seed); }

std::filesystem::path joinedPath(const std::filesystem::path& folder, const std::string& name) {
  return (folder / std::filesystem::u8path(name)).make_preferred();
}

std::filesystem::path Folder::pathOf(const std::string& name) const {
  return joinedPath(path(), name);
}

bool Folder::holdsExactly(const std::string& name, std::string_view bytes) const {
  const PathState state = inspect(name);
  if (state.kind != PathKind::regularFile || state.size != bytes.size()) return false;
  size_t at = 0;
  bool same = true;
  read(name, [&](std::string_view piece) {
    same = same && bytes.substr(at, piece.size()) == piece;
    at += piece.size();
  });
  return same && at == bytes.size();
}

void Folder::removeStaleTemporaries() const {
  for (const std::string& name : names()) {
    if (isTemporaryName(name)) remove(name);
  }
}

}  // namespace fwhost
