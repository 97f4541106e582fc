// Every allocation of a whole mapping call and a whole configuration call made to fail in turn,
// first one at a time and then from that one on: each call ends in 36 with *bufferLength
// untouched or in the right answer, leaks nothing and reports nothing the code does not document.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "orv/core/Payload.h"
#include "orv/core/Platform.h"
#include "orv/core/xml/XmlProperty.h"
#include "provider/fwprovider.h"
#include "tests/AllocationFailures.h"
#include "tests/ReportCapture.h"

namespace {

constexpr uint32_t kCapacity = 4096;

const char kDrive[] =
    "<?xml version=\"1.0\"?><Object category=\"attributeList\">"
    "<Property category=\"attribute\" name=\"ModelNumber\" type=\"string\" value=\"QM SSD\"/>"
    "<Property category=\"attribute\" name=\"Product\" type=\"string\" value=\"Quarry Meadow\"/>"
    "<Property category=\"attribute\" name=\"OEM\" type=\"string\" value=\"HP\"/>"
    "<Property category=\"attribute\" name=\"Firmware\" type=\"string\" value=\"HPS0\"/>"
    "<Property category=\"attribute\" name=\"ConfigID\" type=\"string\" value=\"T2UB_256\"/>"
    "<Property category=\"attribute\" name=\"Slots\" type=\"uint32\" value=\"0x10\"/>"
    "<Property category=\"attribute\" name=\"Key\" type=\"hexValue\" value=\"0x1A2B\"/>"
    "<Property category=\"attribute\" name=\"Raw\" type=\"bytepointer\" value=\"0A1B\"/>"
    "</Object>";

uint32_t mapDrive(char* buffer, uint32_t* length) {
  return GetTargetFirmwareMappingAttributes(kDrive, sizeof kDrive - 1, buffer, length);
}

uint32_t describeLibrary(char* buffer, uint32_t* length) {
  return GetFirmwareConfigurationAttributes(nullptr, 0, buffer, length);
}

struct Outcome {
  uint32_t code = 0;
  uint32_t length = 0;
  std::string text;
  bool injected = false;
  uint64_t newCalls = 0;
  uint64_t alignedCalls = 0;
};

// One export call with allocation failAt failing, and only the call itself counted.
Outcome run(uint32_t (*call)(char*, uint32_t*), uint64_t failAt, bool persistent) {
  std::vector<char> buffer(kCapacity);
  Outcome outcome;
  outcome.length = kCapacity;
  {
    AllocationFailures failures(failAt, persistent);
    outcome.code = call(buffer.data(), &outcome.length);
    outcome.injected = failures.injected();
    outcome.newCalls = failures.newCalls();
    outcome.alignedCalls = failures.alignedCalls();
  }
  if (outcome.code == FWPROVIDER_OK) outcome.text = buffer.data();
  return outcome;
}

// Reports the code makes when memory runs out: the allocator's own, the reader's pair, and the
// boundary's for whatever was thrown beneath it.
bool documented(const std::string& message) {
  for (const char* known : {"createBuffer: Unable to allocate data with a size of ",
                            "toXml: ", ": Unexpected exception: "}) {
    if (message.find(known) != std::string::npos) return true;
  }
  return false;
}

struct Sweep {
  uint64_t newCalls = 0;
  uint64_t alignedCalls = 0;
  uint64_t answered36 = 0;
};

// Fails allocation 1, then 2, and so on, until a call runs through without meeting the failure.
Sweep sweep(uint32_t (*call)(char*, uint32_t*), bool persistent) {
  const Outcome expected = run(call, 0, false);
  EXPECT_EQ(expected.code, FWPROVIDER_OK);
  {
    // Whatever the report path makes once and keeps is made here, before anything is counted.
    ReportCapture warmUp;
    run(call, 1, false);
  }
  Sweep sweep;
  for (uint64_t failAt = 1;; ++failAt) {
    bool injected = false;
    const int64_t liveBefore = liveAllocations();
    {
      ReportCapture capture;
      const Outcome outcome = run(call, failAt, persistent);
      injected = outcome.injected;
      sweep.newCalls = outcome.newCalls;
      sweep.alignedCalls = outcome.alignedCalls;
      for (const Record& record : capture.records()) {
        EXPECT_TRUE(documented(record.message))
            << "allocation " << failAt << ": " << record.message;
      }
      if (outcome.code == FWPROVIDER_INVALID_ARGUMENTS) {
        EXPECT_EQ(outcome.length, kCapacity) << "allocation " << failAt;
        ++sweep.answered36;
      } else {
        EXPECT_EQ(outcome.code, expected.code) << "allocation " << failAt;
        EXPECT_EQ(outcome.length, expected.length) << "allocation " << failAt;
        EXPECT_EQ(outcome.text, expected.text) << "allocation " << failAt;
      }
    }
    EXPECT_EQ(liveAllocations(), liveBefore) << "leak when allocation " << failAt << " failed";
    if (!injected || ::testing::Test::HasFailure()) return sweep;
  }
}

struct Row {
  const char* name;
  uint32_t (*call)(char*, uint32_t*);
};

class AllocationFailureTest : public ::testing::TestWithParam<Row> {
 protected:
  void sweepAndReport(bool persistent) {
    const Sweep result = sweep(GetParam().call, persistent);
    const uint64_t points = result.newCalls + result.alignedCalls;
    EXPECT_GT(points, 10u);
    EXPECT_GT(result.answered36, 0u) << "no failure reached the answer";
    std::printf("%s: %llu allocation points (%llu operator new, %llu aligned), %llu answered 36\n",
                GetParam().name, static_cast<unsigned long long>(points),
                static_cast<unsigned long long>(result.newCalls),
                static_cast<unsigned long long>(result.alignedCalls),
                static_cast<unsigned long long>(result.answered36));
  }
};

TEST_P(AllocationFailureTest, EachAllocationFailingAloneEndsIn36OrTheAnswer) {
  sweepAndReport(false);
}

// Reporting what was caught needs memory too; once none is left, that report failed and its
// exception went on into the host.
TEST_P(AllocationFailureTest, MemoryRunningOutForGoodThrowsNothingIntoTheHost) {
  sweepAndReport(true);
}

INSTANTIATE_TEST_SUITE_P(Calls, AllocationFailureTest,
                         ::testing::Values(Row{"mapping", mapDrive},
                                           Row{"configuration", describeLibrary}),
                         [](const ::testing::TestParamInfo<Row>& info) {
                           return std::string(info.param.name);
                         });

// The same replaced operator delete, and the aligned seam's observer, see what each release gives
// back. Too long to sit inside a string object, so each copy has a heap block of its own.
const std::string kSecret = "a value that no released block may still hold";
const void* watchedPayload = nullptr;
int unwipedReleases = 0;

// Its second half: a string that hands its block on writes a NUL over the first byte.
bool holdsSecret(const void* memory, size_t size) {
  const char* bytes = static_cast<const char*>(memory);
  const auto half = kSecret.begin() + kSecret.size() / 2;
  return std::search(bytes, bytes + size, half, kSecret.end()) != bytes + size;
}

TEST(ReleaseTest, PayloadsAndAttributeValuesAreWipedBeforeRelease) {
  auto property = std::make_unique<orv::core::xml::XmlProperty>();
  orv::core::Payload payload(reinterpret_cast<const uint8_t*>(kSecret.data()),
                             static_cast<uint32_t>(kSecret.size()));
  watchedPayload = payload.data();
  watchReleases(
      [](const void* memory, size_t size) { unwipedReleases += holdsSecret(memory, size); });
  orv::core::platform::setReleaseObserver([](const void* memory) {
    if (memory != watchedPayload) return;
    const auto* bytes = static_cast<const uint8_t*>(memory);
    unwipedReleases +=
        !std::all_of(bytes, bytes + kSecret.size(), [](uint8_t b) { return b == 0; });
  });
  property->setAttribute("value", kSecret);
  property->setAttribute("value", kSecret);  // the replaced value is released
  property.reset();
  payload = orv::core::Payload();
  watchReleases(nullptr);
  orv::core::platform::setReleaseObserver(nullptr);
  EXPECT_EQ(unwipedReleases, 0);
}

}  // namespace
