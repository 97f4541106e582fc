// The calls bench/profile counts under callgrind: the mapping export, the reader alone and the
// small image's binary export, each repeated kCalls times inside a function of its own that the
// profiler collects, after warm-up calls that take lazy binding and first-use set-up out.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "bench/Shapes.h"
#include "bench/Workload.h"
#include "provider/fwprovider.h"

namespace {

constexpr int kCalls = 100;

const std::string kDrive = driveDescription(0);
const std::string kSmallImage = FWPROVIDER_IMAGE_2;
std::vector<char> answer(1024);
std::vector<uint8_t> image(19456);
volatile uint64_t sink;

void mapDrive() {
  uint32_t length = static_cast<uint32_t>(answer.size());
  sink = GetTargetFirmwareMappingAttributes(kDrive.data(), static_cast<uint32_t>(kDrive.size()),
                                            answer.data(), &length);
}

void readDrive() { sink = readXmlAlone(kDrive); }

void copySmallImage() {
  uint32_t length = static_cast<uint32_t>(image.size());
  sink = GetTargetFirmwareBinary(kSmallImage.data(), static_cast<uint32_t>(kSmallImage.size()),
                                 image.data(), &length);
}

}  // namespace

// Outside any namespace, so that --toggle-collect=profiled* finds them.
extern "C" __attribute__((noinline)) void profiledMapping() {
  for (int i = 0; i < kCalls; ++i) mapDrive();
}
extern "C" __attribute__((noinline)) void profiledReadXml() {
  for (int i = 0; i < kCalls; ++i) readDrive();
}
extern "C" __attribute__((noinline)) void profiledBinary() {
  for (int i = 0; i < kCalls; ++i) copySmallImage();
}
extern "C" __attribute__((noinline)) void profiledShape(const std::string& drive) {
  uint32_t length = static_cast<uint32_t>(answer.size());
  sink = GetTargetFirmwareMappingAttributes(drive.data(), static_cast<uint32_t>(drive.size()),
                                            answer.data(), &length);
}

// With a shape's name and a count, one call on that description after one warm-up call.
int main(int argc, char** argv) {
  if (argc == 3) {
    for (const Shape shape : kShapes) {
      if (std::strcmp(argv[1], shapeName(shape)) != 0) continue;
      const std::string drive = shapedDescription(shape, std::strtoul(argv[2], nullptr, 10));
      mapDrive();
      profiledShape(drive);
      return 0;
    }
    return 2;
  }
  for (int i = 0; i < 10; ++i) {
    mapDrive();
    readDrive();
    copySmallImage();
  }
  profiledMapping();
  profiledReadXml();
  profiledBinary();
  return 0;
}
