#include "orv/core/Status.h"

namespace orv::core {
namespace {
constexpr uint32_t kVerdictGroup = 10;
}

Status successStatus() { return Status::withStaticMessage(0, 0, "Completed successfully."); }

Status invalidArgumentsStatus() { return Status::withStaticMessage(0, 36, "Invalid arguments."); }

Status bufferTooSmallStatus() {
  return Status::withStaticMessage(0, 37, "Provided buffer is not large enough.");
}

Status outOfBoundsStatus() { return Status::withStaticMessage(0, 14, "Request is out of bounds."); }

Status firmwareCurrentStatus() {
  return Status::withStaticMessage(
      kVerdictGroup, 64,
      "The selected Almer SSD contains current firmware as of this tool release.");
}

Status firmwareUpdateAvailableStatus() {
  return Status::withStaticMessage(
      kVerdictGroup, 65,
      "Firmware update available for the selected Almer SSD as of this tool release.");
}

Status contactSupportStatus() {
  return Status::withStaticMessage(kVerdictGroup, 68,
                                   "Please contact Almer Customer Support for further assistance "
                                   "at the following website: https://support.example.com/ssd.");
}

}  // namespace orv::core
