#include "orv/core/Status.h"

#include <gtest/gtest.h>

namespace orv::core {
namespace {

TEST(StatusTest, PredefinedStatusesCarryCodeGroupAndMessage) {
  struct Row {
    Status status;
    int32_t code;
    uint32_t group;
    std::string message;
  };
  const Row rows[] = {
      {successStatus(), 0, 0, "Completed successfully."},
      {outOfBoundsStatus(), 14, 0, "Request is out of bounds."},
      {invalidArgumentsStatus(), 36, 0, "Invalid arguments."},
      {bufferTooSmallStatus(), 37, 0, "Provided buffer is not large enough."},
      {firmwareCurrentStatus(), 64, 10,
       "The selected Almer SSD contains current firmware as of this tool release."},
      {firmwareUpdateAvailableStatus(), 65, 10,
       "Firmware update available for the selected Almer SSD as of this tool release."},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(row.status.code(), row.code);
    EXPECT_EQ(row.status.group(), row.group) << row.code;
    EXPECT_EQ(row.status.message(), row.message);
  }
  const Status support = contactSupportStatus();
  EXPECT_EQ(support.code(), 68);
  EXPECT_EQ(support.group(), 10u);
  EXPECT_EQ(support.message().rfind("Please contact Almer Customer Support for further assistance "
                                    "at the following website: https://", 0),
            0u);
  EXPECT_EQ(support.message().back(), '.');
}

}  // namespace
}  // namespace orv::core
