// Loads the built plug-in through the dynamic loader and calls it the way a host does. Where the
// sizes are exact, the host's buffer and input text lie right before an inaccessible page: a byte
// read or written past a stated length ends the test with a fault.
#include <fcntl.h>
#include <unistd.h>
#if defined(_WIN32)
#include <windows.h>
#else
#include <sys/mman.h>
#endif

#include <algorithm>
#include <cstring>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>
#include <boost/thread/thread.hpp>

#include "host/platform/PluginLibrary.h"
#include "provider/FirmwareImageCatalog.h"
#include "provider/fwprovider.h"
#include "tests/NullDevice.h"

namespace {

class PluginTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    plugin = std::make_unique<fwhost::PluginLibrary>(FWPROVIDER_PLUGIN);
    ASSERT_TRUE(plugin->loaded()) << plugin->error();
    binary = reinterpret_cast<GetTargetFirmwareBinaryFn>(plugin->symbol("GetTargetFirmwareBinary"));
    mapping = reinterpret_cast<GetTargetFirmwareMappingAttributesFn>(
        plugin->symbol("GetTargetFirmwareMappingAttributes"));
    configuration = reinterpret_cast<GetFirmwareConfigurationAttributesFn>(
        plugin->symbol("GetFirmwareConfigurationAttributes"));
    ASSERT_TRUE(binary && mapping && configuration);
  }
  static void TearDownTestSuite() { plugin.reset(); }

  static inline std::unique_ptr<fwhost::PluginLibrary> plugin;
  static inline GetTargetFirmwareBinaryFn binary = nullptr;
  static inline GetTargetFirmwareMappingAttributesFn mapping = nullptr;
  static inline GetFirmwareConfigurationAttributesFn configuration = nullptr;
};

// `size` usable bytes whose last one is followed by a block that may not be touched. 64 KiB is a
// whole number of pages wherever this runs.
class GuardedBytes {
 public:
  explicit GuardedBytes(size_t size)
      : size_(size), mapped_(((size + kGuard - 1) / kGuard + 1) * kGuard) {
#if defined(_WIN32)
    void* base = VirtualAlloc(nullptr, mapped_, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
    if (base == nullptr) throw std::bad_alloc();
    base_ = static_cast<uint8_t*>(base);
    DWORD previous = 0;
    VirtualProtect(base_ + mapped_ - kGuard, kGuard, PAGE_NOACCESS, &previous);
#else
    void* base = mmap(nullptr, mapped_, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (base == MAP_FAILED) throw std::bad_alloc();
    base_ = static_cast<uint8_t*>(base);
    mprotect(base_ + mapped_ - kGuard, kGuard, PROT_NONE);
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

  uint8_t* data() const { return base_ + mapped_ - kGuard - size_; }
  char* chars() const { return reinterpret_cast<char*>(data()); }
  uint32_t size() const { return static_cast<uint32_t>(size_); }

 private:
  static constexpr size_t kGuard = 1 << 16;

  size_t size_;
  size_t mapped_;
  uint8_t* base_;
};

// Calls an export into guarded buffers of exactly the answer's size, one byte short and none: only
// the first receives the answer, and every call learns the size.
void expectExactSizes(const char* name, const std::function<uint32_t(uint8_t*, uint32_t*)>& call,
                      const std::string& answer) {
  const uint32_t needed = static_cast<uint32_t>(answer.size());
  for (const uint32_t capacity : {needed, needed - 1, 0u}) {
    GuardedBytes buffer(capacity);
    std::memset(buffer.data(), '#', capacity);
    uint32_t length = capacity;
    EXPECT_EQ(call(buffer.data(), &length), capacity == needed ? 0u : 37u) << name << capacity;
    EXPECT_EQ(length, needed) << name << " " << capacity;
    // Not printed when they differ: an image runs to megabytes.
    EXPECT_TRUE(std::string(buffer.chars(), capacity) ==
                (capacity == needed ? answer : std::string(capacity, '#')))
        << name << " " << capacity;
  }
}

TEST_F(PluginTest, NullPointersAnswer36AndLeaveTheLengthAlone) {
  char buffer[16];
  uint8_t bytes[16];
  uint32_t length = 16;
  EXPECT_EQ(binary(nullptr, 4, bytes, &length), 36u);
  EXPECT_EQ(binary(FWPROVIDER_IMAGE_2, 4, bytes, nullptr), 36u);
  EXPECT_EQ(mapping(nullptr, 4, buffer, &length), 36u);
  EXPECT_EQ(mapping("<a/>", 4, nullptr, &length), 36u);
  EXPECT_EQ(mapping("<a/>", 4, buffer, nullptr), 36u);
  EXPECT_EQ(configuration(nullptr, 0, nullptr, &length), 36u);
  EXPECT_EQ(configuration(nullptr, 0, buffer, nullptr), 36u);
  EXPECT_EQ(length, 16u);
}

// Each image at the exact sizes, against the catalogue's bytes, which lie in regions
// of their own and are not one byte repeated.
TEST_F(PluginTest, EachImageByExactNameAtTheExactSizes) {
  const struct {
    const char* name;
    uint32_t size;
  } images[] = {
      {FWPROVIDER_IMAGE_1, 1315840}, {FWPROVIDER_IMAGE_2, 19456}, {FWPROVIDER_IMAGE_3, 1315840}};
  std::vector<std::pair<const uint8_t*, const uint8_t*>> regions;
  for (const auto& [name, size] : images) {
    const GuardedBytes imageName{std::string(name)};
    uint32_t catalogued = 0;
    const uint8_t* image = fwprovider::findImage(name, catalogued);
    ASSERT_NE(image, nullptr) << name;
    EXPECT_EQ(fwprovider::findImage(name, catalogued), image) << "a lookup copies nothing";
    EXPECT_NE(std::adjacent_find(image, image + size, std::not_equal_to<>()), image + size) << name;
    for (const auto& [begin, end] : regions) EXPECT_TRUE(image + size <= begin || end <= image);
    regions.emplace_back(image, image + size);
    expectExactSizes(
        name,
        [&](uint8_t* bytes, uint32_t* length) {
          return binary(imageName.chars(), imageName.size(), bytes, length);
        },
        std::string(reinterpret_cast<const char*>(image), size));
  }
}

TEST_F(PluginTest, UnknownNamesGiveNoBytes) {
  const std::string unknown[] = {"3rev1_h2l018t2pb_256",
                                 "3REV1_H2L018T2PB_256 ",
                                 "3REV1_H2L018T2PB_25",
                                 "REV1",
                                 "",
                                 std::string("\0"
                                             "3REV1_H2L018T2PB_256",
                                             21)};
  for (const std::string& name : unknown) {
    uint8_t buffer[4];
    uint32_t length = sizeof buffer;
    EXPECT_EQ(binary(name.data(), static_cast<uint32_t>(name.size()), buffer, &length), 0u) << name;
    EXPECT_EQ(length, 0u) << name;
  }
}

std::string property(const std::string& name, const std::string& type, const std::string& value) {
  return "<Property category=\"attribute\" name=\"" + name + "\" type=\"" + type + "\" value=\"" +
         value + "\"/>";
}

const std::string kUpdateDrive = "<?xml version=\"1.0\"?><Object category=\"attributeList\">" +
                                 property("Product", "string", "Quarry Meadow") +
                                 property("OEM", "string", "HP") +
                                 property("Firmware", "string", "BRHPS1") +
                                 property("ConfigID", "string", "T2UB_256") + "</Object>";

// The worked answers, to the byte: an update for kUpdateDrive, no update, and the configuration.
const std::string kUpdateAnswer =
    "<?xml version=\"1.0\" encoding=\"utf-8\"?><Object category=\"attributeList\">"
    "<Property category=\"attribute\" displayName=\"Source\" name=\"Source\" size=\"1\" "
    "type=\"string\" value=\"\"/>"
    "<Property category=\"attribute\" displayName=\"Status\" name=\"Status\" size=\"8\" "
    "type=\"uint64\" value=\"65\"/>"
    "<Property category=\"attribute\" displayName=\"Destination\" name=\"Destination\" "
    "size=\"5\" type=\"string\" value=\"REV1\"/>"
    "<Property category=\"attribute\" displayName=\"Package\" name=\"Package\" size=\"89\" "
    "type=\"vectorOfStrings\" value=\"1BRHPS1_H2L018T2PB_256~2_QM_77K_2262_BootISPTotal_A1_Package_"
    "signed~3REV1_H2L018T2PB_256\"/></Object>";
const std::string kNoUpdateAnswer =
    "<?xml version=\"1.0\" encoding=\"utf-8\"?><Object category=\"attributeList\">"
    "<Property category=\"attribute\" displayName=\"Source\" name=\"Source\" size=\"1\" "
    "type=\"string\" value=\"\"/>"
    "<Property category=\"attribute\" displayName=\"Status\" name=\"Status\" size=\"8\" "
    "type=\"uint64\" value=\"64\"/>"
    "<Property category=\"attribute\" displayName=\"Destination\" name=\"Destination\" "
    "size=\"1\" type=\"string\" value=\"\"/>"
    "<Property category=\"attribute\" displayName=\"Package\" name=\"Package\" size=\"1\" "
    "type=\"vectorOfStrings\" value=\"\"/></Object>";
const std::string kConfigurationAnswer =
    "<?xml version=\"1.0\" encoding=\"utf-8\"?><Object category=\"attributeList\">"
    "<Property category=\"attribute\" displayName=\"Date\" name=\"Date\" size=\"1\" "
    "type=\"uint64\" value=\"1\"/>"
    "<Property category=\"attribute\" displayName=\"Version\" name=\"Version\" size=\"6\" "
    "type=\"string\" value=\"1.0.0\"/>"
    "<Property category=\"attribute\" displayName=\"Audience\" name=\"Audience\" size=\"3\" "
    "type=\"string\" value=\"HP\"/>"
    "<Property category=\"attribute\" displayName=\"Module Type\" name=\"ModuleType\" "
    "size=\"4\" type=\"uint8\" value=\"0\"/></Object>";

// kUpdateDrive with more inside its Object, before its own properties or after them.
std::string updateDriveWith(const std::string& inside, bool after) {
  std::string drive = kUpdateDrive;
  return drive.insert(after ? drive.rfind("</Object>") : drive.find("<Property"), inside);
}

// The plug-in's log records reach stdout through the logging library's default sink; unreadable
// input is logged whole, which for the hostile documents here runs to megabytes.
class QuietStdout {
 public:
  QuietStdout() : saved_(dup(STDOUT_FILENO)) {
    std::fflush(stdout);
    const int null = open(kNullDevice, O_WRONLY);
    dup2(null, STDOUT_FILENO);
    close(null);
  }
  ~QuietStdout() {
    std::fflush(stdout);
    dup2(saved_, STDOUT_FILENO);
    close(saved_);
  }

 private:
  int saved_;
};

// Calls a text export with a buffer of `length` bytes.
struct TextCall {
  uint32_t code;
  uint32_t reported;
  std::string text;

  bool operator==(const TextCall& other) const {
    return code == other.code && reported == other.reported && text == other.text;
  }
};

template <typename Export>
TextCall callText(Export call, const std::string& input, uint32_t length) {
  std::vector<char> buffer(length);
  uint32_t reported = length;
  const uint32_t code =
      call(input.data(), static_cast<uint32_t>(input.size()), buffer.data(), &reported);
  return {code, reported, code == 0 ? std::string(buffer.data()) : std::string()};
}

TEST_F(PluginTest, TextExportsAtTheExactSizes) {
  const GuardedBytes input{kUpdateDrive};
  expectExactSizes(
      "mapping",
      [&](uint8_t* bytes, uint32_t* length) {
        return mapping(input.chars(), input.size(), reinterpret_cast<char*>(bytes), length);
      },
      kUpdateAnswer + '\0');
  // The configuration export never reads its first two arguments, whatever they claim.
  const GuardedBytes nothing(0);
  expectExactSizes(
      "configuration",
      [&](uint8_t* bytes, uint32_t* length) {
        return configuration(nothing.chars(), 0xFFFFFFFFu, reinterpret_cast<char*>(bytes), length);
      },
      kConfigurationAnswer + '\0');
}

// A length of 0xFFFFFFFF wraps to 0 when one is added for the terminator; the text is still only
// what stands before the first NUL, and nothing past it is read.
TEST_F(PluginTest, LargestInputLengthOverAMappedTextEndingInANul) {
  const GuardedBytes drive{kUpdateDrive + '\0'};
  std::string buffer(kUpdateAnswer.size() + 1, '#');
  uint32_t length = static_cast<uint32_t>(buffer.size());
  EXPECT_EQ(mapping(drive.chars(), 0xFFFFFFFFu, buffer.data(), &length), 0u);
  EXPECT_EQ(buffer, kUpdateAnswer + '\0');

  const GuardedBytes name{std::string(FWPROVIDER_IMAGE_2) + '\0'};
  length = 0;
  EXPECT_EQ(binary(name.chars(), 0xFFFFFFFFu, nullptr, &length), 37u);
  EXPECT_EQ(length, 19456u);
}

TEST_F(PluginTest, InputThatDescribesNoDriveAnswers36) {
  // One that reads as no tree, one whose root holds no attributes; XmlConverterTest holds the
  // other documents of either kind.
  QuietStdout quiet;
  for (const std::string input : {"hello", "<List><Object/></List>"}) {
    const TextCall call = callText(mapping, input, 1000);
    EXPECT_EQ(call.code, 36u) << input;
    EXPECT_EQ(call.reported, 1000u) << input;
  }
}

// What a Windows host's threads get by default.
constexpr size_t kHostStack = 1 << 20;
// Sanitizers multiply what each level of the reader takes from the stack several times over.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr size_t kStackAtTheLimit = 8 * kHostStack;
#else
constexpr size_t kStackAtTheLimit = kHostStack;
#endif

// The mapping export called from a thread with a stack of the given size.
TextCall mapOnStack(size_t stackSize, GetTargetFirmwareMappingAttributesFn mapping,
                    const std::string& input) {
  TextCall result;
  boost::thread::attributes attributes;
  attributes.set_stack_size(stackSize);
  boost::thread(attributes, [&] { result = callText(mapping, input, 1000); }).join();
  return result;
}

std::string repeated(const std::string& piece, size_t times) {
  std::string text;
  text.reserve(piece.size() * times);
  for (size_t i = 0; i < times; ++i) text += piece;
  return text;
}

TEST_F(PluginTest, DeepNestingOnAHostSizedStack) {
  // Far beyond the limit, and right at the limit, which is still answered. XmlConverterTest holds
  // the nesting that the reader's way with names and document types hides.
  QuietStdout quiet;
  const TextCall beyond = mapOnStack(kHostStack, mapping, repeated("<Object>", 1'000'000));
  EXPECT_EQ(beyond.code, 36u);
  const std::string atTheLimit =
      updateDriveWith(repeated("<Object>", 255) + repeated("</Object>", 255), true);
  EXPECT_EQ(mapOnStack(kStackAtTheLimit, mapping, atTheLimit).text, kUpdateAnswer);
}

// Drive descriptions far larger than any drive reports answer as their few meaningful
// properties say.
TEST_F(PluginTest, HugeDescriptionsAnswerAsTheirFewPropertiesSay) {
  std::string noise;
  for (int i = 0; i < 20'000; ++i) {
    noise += property("Noise" + std::to_string(i), "uint32", std::to_string(i));
  }
  std::string manyAttributes;
  for (int i = 0; i < 100'000; ++i) manyAttributes += " a" + std::to_string(i) + "=\"\"";
  std::string wide = property("Wide", "string", "");
  wide.insert(wide.size() - 2, manyAttributes);
  std::string huge = property("Blob", "string", "");
  huge.insert(huge.size() - 3, 64u << 20, 'A');
  std::string hugeFirmware = huge;
  hugeFirmware.replace(hugeFirmware.find("Blob"), 4, "Firmware");
  const struct {
    const char* what;
    std::string drive;
    const std::string& answer;
  } rows[] = {
      {"20,000 properties before", updateDriveWith(noise, false), kUpdateAnswer},
      {"20,000 properties after", updateDriveWith(noise, true), kUpdateAnswer},
      {"a property of 100,000 XML attributes", updateDriveWith(wide, true), kUpdateAnswer},
      {"a value of 64 MiB", updateDriveWith(huge, true), kUpdateAnswer},
      {"a firmware version of 64 MiB", "<Object>" + hugeFirmware + "</Object>", kNoUpdateAnswer},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(callText(mapping, row.drive, 1000).text, row.answer) << row.what;
  }
}

// Eight host threads call all three exports in a mixed order, unreadable input among them so that
// the logging channel, the one thing calls share, is written from all of them at once.
TEST_F(PluginTest, EightThreadsInAMixedOrderGetTheSingleThreadAnswers) {
  constexpr int kThreads = 8;
  constexpr int kCallsPerThread = 2500;
  const std::function<TextCall()> calls[] = {
      [] { return callText(mapping, kUpdateDrive, 1000); },
      [] { return callText(configuration, "", 1000); },
      [] { return callText(mapping, "<Object><Property", 1000); },
      [] {
        std::string image(19456, '\0');
        uint32_t length = 19456;
        const uint32_t code =
            binary(FWPROVIDER_IMAGE_2, 44, reinterpret_cast<uint8_t*>(image.data()), &length);
        return TextCall{code, length, image};
      },
  };
  QuietStdout quiet;
  std::vector<TextCall> expected;
  for (const auto& call : calls) expected.push_back(call());
  std::vector<int> mismatches(kThreads, 0);
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      std::minstd_rand order(t + 1);
      for (int i = 0; i < kCallsPerThread; ++i) {
        const size_t which = order() % 4;
        mismatches[t] += !(calls[which]() == expected[which]);
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  EXPECT_EQ(mismatches, std::vector<int>(kThreads, 0));
}

}  // namespace
