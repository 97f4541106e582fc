// Status: the outcome record of the library; its code is what an export returns to the host.
#ifndef ORV_CORE_STATUS_H
#define ORV_CORE_STATUS_H

#include <cstdint>
#include <string>

namespace orv::core {

class Status {
 public:
  Status(int32_t code, std::string message) : Status(0, code, std::move(message)) {}
  Status(uint32_t group, int32_t code, std::string message)
      : code_(code), message_(std::move(message)), group_(group) {}

  void set(uint32_t group, int32_t code, std::string message) {
    group_ = group;
    code_ = code;
    message_ = std::move(message);
  }
  void setMessage(std::string message) { message_ = std::move(message); }

  int32_t code() const { return code_; }
  const std::string& message() const { return message_; }
  uint32_t group() const { return group_; }

 private:
  int32_t code_;
  std::string message_;
  uint32_t group_;
};

Status successStatus();
Status invalidArgumentsStatus();
Status bufferTooSmallStatus();
Status outOfBoundsStatus();
Status firmwareCurrentStatus();
Status firmwareUpdateAvailableStatus();
Status contactSupportStatus();

}  // namespace orv::core

#endif
