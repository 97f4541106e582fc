// The host's buffer and input text placed right before an inaccessible page, at the exact sizes:
// a byte read or written past a stated length ends the test with a fault.
#if defined(_WIN32)
#include <windows.h>
#else
#include <sys/mman.h>
#include <unistd.h>
#endif

#include <cstdint>
#include <cstring>
#include <string>

#include <gtest/gtest.h>

#include "provider/FirmwareImageCatalog.h"
#include "provider/fwprovider.h"

namespace {

// `size` usable bytes whose last one is followed by a page that may not be touched.
class GuardedBytes {
 public:
  explicit GuardedBytes(size_t size) : size_(size) {
    const size_t page = pageSize();
    const size_t usablePages = (size + page - 1) / page;
    mapped_ = (usablePages + 1) * page;
#if defined(_WIN32)
    void* base = VirtualAlloc(nullptr, mapped_, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
    if (base == nullptr) throw std::bad_alloc();
    base_ = static_cast<uint8_t*>(base);
    DWORD previous = 0;
    VirtualProtect(base_ + usablePages * page, page, PAGE_NOACCESS, &previous);
#else
    void* base = mmap(nullptr, mapped_, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (base == MAP_FAILED) throw std::bad_alloc();
    base_ = static_cast<uint8_t*>(base);
    mprotect(base_ + usablePages * page, page, PROT_NONE);
#endif
  }
  // A copy of text, without a terminator.
  explicit GuardedBytes(const std::string& text) : GuardedBytes(text.size()) {
    std::memcpy(data(), text.data(), text.size());
  }
#if defined(_WIN32)
  ~GuardedBytes() { VirtualFree(base_, 0, MEM_RELEASE); }
#else
  ~GuardedBytes() { munmap(base_, mapped_); }
#endif
  GuardedBytes(const GuardedBytes&) = delete;
  GuardedBytes& operator=(const GuardedBytes&) = delete;

  uint8_t* data() const { return base_ + mapped_ - pageSize() - size_; }
  char* chars() const { return reinterpret_cast<char*>(data()); }
  size_t size() const { return size_; }

 private:
  static size_t pageSize() {
#if defined(_WIN32)
    SYSTEM_INFO system;
    GetSystemInfo(&system);
    return system.dwPageSize;
#else
    return static_cast<size_t>(sysconf(_SC_PAGESIZE));
#endif
  }

  size_t size_;
  size_t mapped_;
  uint8_t* base_;
};

const char kDrive[] =
    "<Object category=\"attributeList\">"
    "<Property category=\"attribute\" name=\"Product\" type=\"string\" value=\"Quarry Meadow\"/>"
    "<Property category=\"attribute\" name=\"OEM\" type=\"string\" value=\"HP\"/>"
    "<Property category=\"attribute\" name=\"Firmware\" type=\"string\" value=\"HPS0\"/>"
    "<Property category=\"attribute\" name=\"ConfigID\" type=\"string\" value=\"T2UB_256\"/>"
    "</Object>";

// The answer of a text export into a roomy ordinary buffer, as the reference.
template <typename Export>
std::string referenceAnswer(Export call, const char* input, uint32_t inputLength) {
  std::string buffer(1 << 16, '\0');
  uint32_t length = static_cast<uint32_t>(buffer.size());
  EXPECT_EQ(call(input, inputLength, buffer.data(), &length), FWPROVIDER_OK);
  return buffer.substr(0, length - 1);
}

TEST(GuardPageTest, TextExportsAtTheExactSizes) {
  const GuardedBytes input{std::string(kDrive)};
  const uint32_t inputLength = static_cast<uint32_t>(input.size());
  // The configuration export never reads its first two arguments, whatever they claim.
  const GuardedBytes nothing(0);
  const struct {
    const char* name;
    uint32_t (*call)(const char*, uint32_t, char*, uint32_t*);
    const char* input;
    uint32_t inputLength;
  } rows[] = {
      {"mapping", GetTargetFirmwareMappingAttributes, input.chars(), inputLength},
      {"configuration", GetFirmwareConfigurationAttributes, nothing.chars(), 0xFFFFFFFFu},
  };
  for (const auto& row : rows) {
    const std::string answer = referenceAnswer(row.call, row.input, row.inputLength);
    const uint32_t needed = static_cast<uint32_t>(answer.size() + 1);
    for (const uint32_t capacity : {needed, needed - 1, 0u}) {
      GuardedBytes buffer(capacity);
      std::memset(buffer.data(), '#', capacity);
      uint32_t length = capacity;
      const uint32_t code = row.call(row.input, row.inputLength, buffer.chars(), &length);
      EXPECT_EQ(length, needed) << row.name << " " << capacity;
      if (capacity == needed) {
        EXPECT_EQ(code, FWPROVIDER_OK) << row.name;
        EXPECT_EQ(std::string(buffer.chars(), capacity), answer + '\0') << row.name;
      } else {
        EXPECT_EQ(code, FWPROVIDER_BUFFER_TOO_SMALL) << row.name << " " << capacity;
        EXPECT_EQ(std::string(buffer.chars(), capacity), std::string(capacity, '#')) << row.name;
      }
    }
  }
}

TEST(GuardPageTest, BinaryExportAtTheExactSizes) {
  for (const char* name : {FWPROVIDER_IMAGE_1, FWPROVIDER_IMAGE_2, FWPROVIDER_IMAGE_3}) {
    const GuardedBytes imageName{std::string(name)};
    uint32_t size = 0;
    const uint8_t* image = fwprovider::findImage(name, size);
    ASSERT_NE(image, nullptr) << name;
    for (const uint32_t capacity : {size, size - 1}) {
      GuardedBytes buffer(capacity);
      std::memset(buffer.data(), 0xA5, capacity);
      uint32_t length = capacity;
      const uint32_t code = GetTargetFirmwareBinary(
          imageName.chars(), static_cast<uint32_t>(imageName.size()), buffer.data(), &length);
      EXPECT_EQ(length, size) << name;
      if (capacity == size) {
        EXPECT_EQ(code, FWPROVIDER_OK) << name;
        EXPECT_EQ(std::memcmp(buffer.data(), image, size), 0) << name;
      } else {
        EXPECT_EQ(code, FWPROVIDER_BUFFER_TOO_SMALL) << name;
        EXPECT_EQ(buffer.data()[0], 0xA5) << name;
      }
    }
  }
}

// A length of 0xFFFFFFFF wraps to 0 when one is added for the terminator; the text is still only
// what stands before the first NUL, and nothing past it is read.
TEST(GuardPageTest, LargestInputLengthOverAMappedTextEndingInANul) {
  const GuardedBytes drive{std::string(kDrive) + '\0'};
  const std::string answer = referenceAnswer(GetTargetFirmwareMappingAttributes, kDrive, sizeof kDrive - 1);
  std::string buffer(answer.size() + 1, '#');
  uint32_t length = static_cast<uint32_t>(buffer.size());
  EXPECT_EQ(GetTargetFirmwareMappingAttributes(drive.chars(), 0xFFFFFFFFu, buffer.data(), &length),
            FWPROVIDER_OK);
  EXPECT_EQ(buffer, answer + '\0');

  const GuardedBytes name{std::string(FWPROVIDER_IMAGE_2) + '\0'};
  length = 0;
  EXPECT_EQ(GetTargetFirmwareBinary(name.chars(), 0xFFFFFFFFu, nullptr, &length),
            FWPROVIDER_BUFFER_TOO_SMALL);
  EXPECT_EQ(length, 19456u);
}

}  // namespace
