#include "host/plan/ImageNames.h"

#include "provider/fwprovider.h"

namespace fwhost {
namespace {

const char* const kHeaderNames[] = {FWPROVIDER_IMAGE_1, FWPROVIDER_IMAGE_2, FWPROVIDER_IMAGE_3};

}  // namespace

std::vector<ImageEntry> knownImages(const Plugin& plugin) {
  std::vector<ImageEntry> images;
  for (const char* name : kHeaderNames) images.push_back({name, plugin.imageSize(name)});
  return images;
}

std::string knownImageNames() {
  std::string names;
  for (const char* name : kHeaderNames) names += (names.empty() ? "" : ", ") + std::string(name);
  return names;
}

}  // namespace fwhost
