// The mapping export on drive descriptions grown along one dimension (bench/Shapes.h): the first
// byte picks the dimension, up to three more give the count of units, at most 100,000 (10,000
// Properties, each of which holds a 4096-byte page, more under the sanitizer). Whatever
// the shape, the update example inside is answered as it is alone, or with 36 once it is nested
// beyond the reader's limit; a path whose cost grows faster than the description shows as a
// timeout.
#include <cstdint>
#include <iterator>
#include <string>
#include <vector>

#include "bench/Shapes.h"
#include "fuzz/FuzzSupport.h"
#include "provider/fwprovider.h"

namespace {

constexpr size_t kMostUnits = 100'000;
constexpr size_t kMostProperties = 10'000;
// The root Object is the first level.
constexpr size_t kDeepestNesting = 255;

struct Answer {
  uint32_t code;
  std::string text;
};

Answer map(const std::string& drive) {
  std::vector<char> buffer(1024);
  uint32_t length = static_cast<uint32_t>(buffer.size());
  const uint32_t code = GetTargetFirmwareMappingAttributes(
      drive.data(), static_cast<uint32_t>(drive.size()), buffer.data(), &length);
  return {code, code == FWPROVIDER_OK ? std::string(buffer.data()) : std::string()};
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const Shape shape = kShapes[data[0] % std::size(kShapes)];
  size_t count = 0;
  for (size_t i = 1; i < size && i < 4; ++i) count = count << 8 | data[i];
  count %= (shape == Shape::kProperties ? kMostProperties : kMostUnits) + 1;

  // No units of any shape: the update example alone.
  static const Answer alone = map(shapedDescription(Shape::kElements, 0));
  const Answer answer = map(shapedDescription(shape, count));
  if (shape == Shape::kDepth && count > kDeepestNesting) {
    fuzz::require(answer.code == FWPROVIDER_INVALID_ARGUMENTS, "nesting beyond the limit is 36");
  } else {
    fuzz::require(answer.code == alone.code && answer.text == alone.text,
                  "the grown description answers as the update example alone");
  }
  return 0;
}
