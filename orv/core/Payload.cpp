#include "orv/core/Payload.h"

#include <cstring>
#include <string>

#include "orv/core/Memory.h"
#include "orv/core/Platform.h"
#include "orv/core/Report.h"
#include "orv/core/Status.h"

namespace orv::core {
namespace {
constexpr uint64_t kAlignment = 4096;
}

uint8_t* createBuffer(uint64_t size) {
  void* storage = platform::alignedAllocate(size, kAlignment);
  if (storage == nullptr) {
    reportFatal(ORV_HERE, "Unable to allocate data with a size of " + std::to_string(size) +
                              " and alignment of " + std::to_string(kAlignment));
    return nullptr;
  }
  std::memset(storage, 0, static_cast<size_t>(size));
  return static_cast<uint8_t*>(storage);
}

Payload::BufferImplementation::~BufferImplementation() {
  if (data == nullptr) return;
  platform::wipe(data, size);
  platform::alignedRelease(data);
  data = nullptr;
}

Payload::Payload() = default;

Payload::Payload(uint32_t size) : buffer_(std::make_shared<BufferImplementation>()) {
  buffer_->size = size;
  buffer_->data = createBuffer(size);
}

Payload::Payload(const uint8_t* bytes, uint32_t count) : Payload(count) {
  memory::memCopy(buffer_->data, buffer_->size, bytes, count);
}

uint8_t& Payload::at(uint32_t index) const {
  if (index >= size() || data() == nullptr) throw outOfBoundsStatus();
  return buffer_->data[index];
}

}  // namespace orv::core
