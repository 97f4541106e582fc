// Payload: a cheap handle to one shared, reference-counted, 4096-aligned byte buffer.
// Copies share the bytes; the storage is wiped and released when the last handle goes.
#ifndef ORV_CORE_PAYLOAD_H
#define ORV_CORE_PAYLOAD_H

#include <cstdint>
#include <memory>

namespace orv::core {

// Zero-filled storage aligned to 4096 bytes, or null (after a fatal report) when none can be had.
// A request for 0 bytes succeeds. The record of a Payload owns what this returns.
uint8_t* createBuffer(uint64_t size);

class Payload {
 public:
  // The shared record: `size` bytes at `data`; data is null while no storage is held.
  class BufferImplementation {
   public:
    BufferImplementation() = default;
    BufferImplementation(const BufferImplementation&) = delete;
    BufferImplementation& operator=(const BufferImplementation&) = delete;
    ~BufferImplementation();

    uint8_t* data = nullptr;
    uint32_t size = 0;
  };

  // No storage, size 0, and no shared record: an empty value costs no allocation.
  Payload();
  // `size` zero bytes; when storage cannot be had the payload keeps the size and no storage.
  explicit Payload(uint32_t size);
  // A copy of `count` bytes from `bytes`.
  Payload(const uint8_t* bytes, uint32_t count);

  uint8_t* data() const { return buffer_ ? buffer_->data : nullptr; }
  uint32_t size() const { return buffer_ ? buffer_->size : 0; }

  // The byte at `index`, shared with every copy; throws outOfBoundsStatus() at or beyond size()
  // and for any index when the payload holds no storage.
  uint8_t& at(uint32_t index) const;

 private:
  std::shared_ptr<BufferImplementation> buffer_;  // null for Payload()
};

}  // namespace orv::core

#endif
