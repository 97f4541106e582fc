// Status: the outcome record of the library; its code is what an export returns to the host.
#ifndef ORV_CORE_STATUS_H
#define ORV_CORE_STATUS_H

#include <cstdint>
#include <string>
#include <string_view>

namespace orv::core {

class Status {
 public:
  Status(int32_t code, std::string message) : Status(0, code, std::move(message)) {}
  Status(uint32_t group, int32_t code, std::string message)
      : code_(code), message_(std::move(message)), group_(group) {}

  // A message in static storage, such as a string literal, that the record points at rather
  // than owns: making and copying such a status allocates nothing.
  static Status withStaticMessage(uint32_t group, int32_t code, const char* message) {
    Status status(group, code, std::string());
    status.staticMessage_ = message;
    return status;
  }

  void set(uint32_t group, int32_t code, std::string message) {
    group_ = group;
    code_ = code;
    setMessage(std::move(message));
  }
  void setMessage(std::string message) {
    message_ = std::move(message);
    staticMessage_ = nullptr;
  }

  int32_t code() const { return code_; }
  std::string_view message() const {
    return staticMessage_ != nullptr ? std::string_view(staticMessage_)
                                     : std::string_view(message_);
  }
  uint32_t group() const { return group_; }

 private:
  int32_t code_;
  std::string message_;
  const char* staticMessage_ = nullptr;  // when set, the message, and message_ is empty
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
