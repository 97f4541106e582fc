#include "orv/core/Payload.h"

#include <cstdint>

#include <gtest/gtest.h>

#include "orv/core/Platform.h"
#include "orv/core/Status.h"
#include "tests/ReportCapture.h"

namespace orv::core {
namespace {

bool alwaysFail(uint64_t) { return true; }

// Makes every aligned allocation fail while it lives.
struct FailingAllocations {
  FailingAllocations() { platform::setAllocationFailure(alwaysFail); }
  ~FailingAllocations() { platform::setAllocationFailure(nullptr); }
};

void expectOutOfBounds(const Payload& payload, uint32_t index) {
  try {
    payload.at(index);
    ADD_FAILURE() << "index " << index << " of " << payload.size() << " was accepted";
  } catch (const Status& status) {
    EXPECT_EQ(status.code(), 14);
    EXPECT_EQ(status.message(), "Request is out of bounds.");
  }
}

TEST(PayloadTest, CreateBufferIsAlignedAndZeroed) {
  for (uint64_t size : {0u, 1u, 4095u, 4096u, 10000u}) {
    ReportCapture capture;
    uint8_t* buffer = createBuffer(size);
    ASSERT_NE(buffer, nullptr) << size;
    EXPECT_EQ(reinterpret_cast<uintptr_t>(buffer) % 4096, 0u) << size;
    for (uint64_t i = 0; i < size; ++i) ASSERT_EQ(buffer[i], 0) << size;
    platform::alignedRelease(buffer);
    EXPECT_EQ(capture.echo(), "");
  }
}

TEST(PayloadTest, UnsatisfiableAllocationGivesNullAndOneFatalReport) {
  for (uint64_t size : {uint64_t{1} << 63, UINT64_MAX}) {
    ReportCapture capture;
    EXPECT_EQ(createBuffer(size), nullptr);
    ASSERT_EQ(capture.records().size(), 1u);
    const std::string expected = "createBuffer: Unable to allocate data with a size of " +
                                 std::to_string(size) + " and alignment of 4096";
    EXPECT_NE(capture.echo().find(expected), std::string::npos) << capture.echo();
    EXPECT_EQ(capture.echo().rfind("[fatal] Payload.cpp(", 0), 0u);
  }
}

TEST(PayloadTest, SizedPayloadReadsZeroAndBoundsIndex) {
  for (uint32_t size : {0u, 1u, 17u}) {
    const Payload payload(size);
    EXPECT_EQ(payload.size(), size);
    for (uint32_t i = 0; i < size; ++i) EXPECT_EQ(payload.at(i), 0);
    expectOutOfBounds(payload, size);
  }
  expectOutOfBounds(Payload(), 0);
}

TEST(PayloadTest, CopiesShareBytesAndOutliveEachOther) {
  auto first = std::make_unique<Payload>(3);
  const Payload copy = *first;
  copy.at(1) = 42;
  EXPECT_EQ(first->at(1), 42);
  first.reset();
  EXPECT_EQ(copy.at(1), 42);

  Payload moved = copy;
  const Payload target = std::move(moved);
  EXPECT_EQ(target.data(), copy.data());
}

TEST(PayloadTest, UnbackedPayloadKeepsSizeButRefusesAccess) {
  ReportCapture capture;
  FailingAllocations failing;
  const uint8_t bytes[] = {1, 2};
  for (const Payload& payload : {Payload(2), Payload(bytes, 2)}) {
    EXPECT_EQ(payload.size(), 2u);
    EXPECT_EQ(payload.data(), nullptr);
    expectOutOfBounds(payload, 0);
  }
  EXPECT_EQ(capture.records().size(), 2u);
}

}  // namespace
}  // namespace orv::core
