#include "host/platform/Document.h"

#include <algorithm>
#include <functional>
#include <string_view>

namespace fwhost {
namespace {

// Answers the most the next piece may hold.
using TakePiece = std::function<size_t(std::string_view)>;

// The pieces that read hands to take, in order; refused as soon as they pass the cap, so that
// nothing beyond it is kept.
std::string gather(const std::string& origin, const std::function<void(const TakePiece&)>& read) {
  std::string text;
  read([&](std::string_view piece) {
    if (text.size() + piece.size() > kMaxDocumentBytes) throw documentTooLarge(origin);
    text += piece;
    return kMaxDocumentBytes + 1 - text.size();
  });
  return text;
}

}  // namespace

HostError documentTooLarge(const std::string& origin) {
  return HostError::invalidInput(origin, "larger than " + std::to_string(kMaxDocumentBytes) +
                                             " bytes, the most fwhost reads of a document");
}

std::string readDocument(InputFile& in, const std::string& origin) {
  return gather(origin, [&in](const TakePiece& take) {
    char chunk[65536];
    size_t most = sizeof chunk;
    while (const size_t got = in.read(chunk, std::min(sizeof chunk, most)))
      most = take(std::string_view(chunk, got));
  });
}

std::string readDocument(const Folder& folder, const std::string& name) {
  return gather(folder.pathOf(name).u8string(), [&](const TakePiece& take) {
    folder.read(name, [&take](std::string_view piece) { take(piece); });
  });
}

}  // namespace fwhost
