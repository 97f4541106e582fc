// Loads the built plug-in through the dynamic loader and calls it the way a host does.
#include <fcntl.h>
#include <pthread.h>
#include <unistd.h>

#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "provider/fwprovider.h"
#include "tests/PluginLoader.h"

namespace {

class PluginTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    plugin = std::make_unique<Plugin>(FWPROVIDER_PLUGIN);
    ASSERT_TRUE(plugin->loaded()) << plugin->error();
    binary = plugin->find<GetTargetFirmwareBinaryFn>("GetTargetFirmwareBinary");
    mapping = plugin->find<GetTargetFirmwareMappingAttributesFn>("GetTargetFirmwareMappingAttributes");
    configuration =
        plugin->find<GetFirmwareConfigurationAttributesFn>("GetFirmwareConfigurationAttributes");
    ASSERT_TRUE(binary && mapping && configuration);
  }
  static void TearDownTestSuite() { plugin.reset(); }

  static inline std::unique_ptr<Plugin> plugin;
  static inline GetTargetFirmwareBinaryFn binary = nullptr;
  static inline GetTargetFirmwareMappingAttributesFn mapping = nullptr;
  static inline GetFirmwareConfigurationAttributesFn configuration = nullptr;
};

struct Image {
  std::string name;
  uint32_t size;
};
const Image kImages[] = {
    {FWPROVIDER_IMAGE_1, 1315840},
    {FWPROVIDER_IMAGE_2, 19456},
    {FWPROVIDER_IMAGE_3, 1315840},
};

std::vector<uint8_t> fetch(GetTargetFirmwareBinaryFn binary, const std::string& name) {
  uint32_t length = 0;
  EXPECT_EQ(binary(name.data(), static_cast<uint32_t>(name.size()), nullptr, &length), 37u);
  std::vector<uint8_t> bytes(length);
  EXPECT_EQ(binary(name.data(), static_cast<uint32_t>(name.size()), bytes.data(), &length), 0u);
  EXPECT_EQ(length, bytes.size());
  return bytes;
}

TEST_F(PluginTest, NullPointersAnswer36AndLeaveTheLengthAlone) {
  char buffer[16];
  uint8_t bytes[16];
  uint32_t length = 16;
  const char* name = FWPROVIDER_IMAGE_2;
  EXPECT_EQ(binary(nullptr, 4, bytes, &length), 36u);
  EXPECT_EQ(binary(name, 4, bytes, nullptr), 36u);
  EXPECT_EQ(mapping(nullptr, 4, buffer, &length), 36u);
  EXPECT_EQ(mapping("<a/>", 4, nullptr, &length), 36u);
  EXPECT_EQ(mapping("<a/>", 4, buffer, nullptr), 36u);
  EXPECT_EQ(configuration(nullptr, 0, nullptr, &length), 36u);
  EXPECT_EQ(configuration(nullptr, 0, buffer, nullptr), 36u);
  EXPECT_EQ(length, 16u);
}

TEST_F(PluginTest, EachImageByExactName) {
  std::vector<std::vector<uint8_t>> fetched;
  for (const Image& image : kImages) {
    fetched.push_back(fetch(binary, image.name));
    EXPECT_EQ(fetched.back().size(), image.size) << image.name;
  }
  EXPECT_NE(fetched[0], fetched[2]);
  // A name whose length covers its terminator is cut at the NUL and still found.
  uint32_t length = 0;
  EXPECT_EQ(binary(kImages[0].name.c_str(), 23, nullptr, &length), 37u);
  EXPECT_EQ(length, 1315840u);
}

TEST_F(PluginTest, UnknownNamesGiveNoBytes) {
  const std::string unknown[] = {"3rev1_h2l018t2pb_256", "3REV1_H2L018T2PB_256 ", "3REV1_H2L018T2PB_25", "REV1", "",
                                 std::string("\0" "3REV1_H2L018T2PB_256", 21)};
  for (const std::string& name : unknown) {
    uint8_t buffer[4] = {7, 7, 7, 7};
    uint32_t length = sizeof buffer;
    EXPECT_EQ(binary(name.data(), static_cast<uint32_t>(name.size()), buffer, &length), 0u) << name;
    EXPECT_EQ(length, 0u);
    EXPECT_EQ(buffer[0], 7);
    length = 4;
    EXPECT_EQ(binary(name.data(), static_cast<uint32_t>(name.size()), nullptr, &length), 36u);
    EXPECT_EQ(length, 0u);
  }
}

const char kUpdateDrive[] =
    "<?xml version=\"1.0\"?><Object category=\"attributeList\">"
    "<Property category=\"attribute\" name=\"Product\" type=\"string\" value=\"Quarry Meadow\"/>"
    "<Property category=\"attribute\" name=\"OEM\" type=\"string\" value=\"HP\"/>"
    "<Property category=\"attribute\" name=\"Firmware\" type=\"string\" value=\"BRHPS1\"/>"
    "<Property category=\"attribute\" name=\"ConfigID\" type=\"string\" value=\"T2UB_256\"/>"
    "</Object>";

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

// Calls a text export with a buffer of exactly `length` bytes, guarded by canaries.
struct TextCall {
  uint32_t code;
  uint32_t reported;
  std::string text;
};

template <typename Export>
TextCall callText(Export call, const std::string& input, uint32_t length) {
  std::vector<char> buffer(length + 16, '#');
  uint32_t reported = length;
  const uint32_t code = call(input.data(), static_cast<uint32_t>(input.size()), buffer.data(), &reported);
  for (size_t i = length; i < buffer.size(); ++i) EXPECT_EQ(buffer[i], '#') << "written past " << length;
  return {code, reported, code == 0 ? std::string(buffer.data()) : std::string()};
}

TEST_F(PluginTest, TextProtocolAtTheExactSizes) {
  const struct {
    const char* name;
    bool mapping;
    size_t size;
  } rows[] = {{"configuration", false, 495}, {"mapping", true, 592}};
  for (const auto& row : rows) {
    const auto call = [&](uint32_t length) {
      return row.mapping ? callText(mapping, kUpdateDrive, length) : callText(configuration, "", length);
    };
    // GuardPageTest holds the other lengths, where guard pages can be had.
    const uint32_t n = static_cast<uint32_t>(row.size);
    const TextCall small = call(n);
    EXPECT_EQ(small.code, 37u) << row.name;
    EXPECT_EQ(small.reported, n + 1) << row.name;
    const TextCall fits = call(n + 1);
    EXPECT_EQ(fits.code, 0u) << row.name;
    EXPECT_EQ(fits.reported, n + 1) << row.name;
    EXPECT_EQ(fits.text.size(), n) << row.name;
  }
  char buffer[600];
  uint32_t length = sizeof buffer;
  EXPECT_EQ(configuration("ignored", 12345, buffer, &length), 0u);
  EXPECT_EQ(length, 496u);
}

TEST_F(PluginTest, InputThatDescribesNoDriveAnswers36) {
  // XmlConverterTest holds the other documents that read as no tree.
  const std::string inputs[] = {
      "",
      std::string("\0<Object/>", 10),
      "hello",
      "<List><Object/></List>",
      "<Property category=\"attribute\" name=\"Firmware\" type=\"string\" value=\"x\"/>",
  };
  QuietStdout quiet;
  for (const std::string& input : inputs) {
    const TextCall call = callText(mapping, input, 1000);
    EXPECT_EQ(call.code, 36u) << input;
    EXPECT_EQ(call.reported, 1000u) << input;
  }
}

TEST_F(PluginTest, InputIsCutAtItsFirstNul) {
  const std::string input = std::string(kUpdateDrive) + std::string("\0<garbage", 9);
  const TextCall call = callText(mapping, input, 1000);
  EXPECT_EQ(call.code, 0u);
  EXPECT_EQ(call.reported, 593u);
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
  struct Call {
    GetTargetFirmwareMappingAttributesFn mapping;
    const std::string* input;
    TextCall result;
  } call{mapping, &input, {}};
  pthread_attr_t attributes;
  pthread_attr_init(&attributes);
  pthread_attr_setstacksize(&attributes, stackSize);
  pthread_t thread;
  const auto body = [](void* argument) -> void* {
    auto* c = static_cast<Call*>(argument);
    c->result = callText(c->mapping, *c->input, 1000);
    return nullptr;
  };
  EXPECT_EQ(pthread_create(&thread, &attributes, body, &call), 0);
  pthread_join(thread, nullptr);
  pthread_attr_destroy(&attributes);
  return call.result;
}

std::string repeated(const std::string& piece, size_t times) {
  std::string text;
  text.reserve(piece.size() * times);
  for (size_t i = 0; i < times; ++i) text += piece;
  return text;
}

TEST_F(PluginTest, DeepNestingOnAHostSizedStack) {
  // Far beyond the limit, also behind a quoted name or a document type's subset, which the
  // reader takes in its stride; and right at the limit, which is still answered.
  const std::string levels = repeated("<Object>", 1'000'000);
  std::string atTheLimit = kUpdateDrive;
  atTheLimit.insert(atTheLimit.rfind("</Object>"), repeated("<Object>", 255) + repeated("</Object>", 255));
  const TextCall answer = callText(mapping, kUpdateDrive, 1000);
  const struct {
    const char* name;
    std::string input;
    size_t stackSize;
    uint32_t code;
  } rows[] = {
      {"plain", levels, kHostStack, 36},
      {"behind a quoted name", "<Object\">" + levels, kHostStack, 36},
      {"behind a document type", "<!DOCTYPE d [ > <!-- ]>" + levels + "-->", kHostStack, 36},
      {"at the limit", atTheLimit, kStackAtTheLimit, 0},
  };
  QuietStdout quiet;
  for (const auto& row : rows) {
    const TextCall call = mapOnStack(row.stackSize, mapping, row.input);
    EXPECT_EQ(call.code, row.code) << row.name;
    EXPECT_EQ(call.reported, row.code == 0 ? answer.reported : 1000u) << row.name;
    EXPECT_EQ(call.text, row.code == 0 ? answer.text : "") << row.name;
  }
}

// Eight host threads call all three exports in a mixed order, unreadable input among them so that
// the logging channel, the one thing calls share, is written from all of them at once.
TEST_F(PluginTest, EightThreadsInAMixedOrderGetTheSingleThreadAnswers) {
  constexpr int kThreads = 8;
  constexpr int kCallsPerThread = 2500;
  const char kUnreadable[] = "<Object><Property";
  QuietStdout quiet;
  const TextCall mapped = callText(mapping, kUpdateDrive, 1000);
  const TextCall configured = callText(configuration, "", 1000);
  const TextCall unreadable = callText(mapping, kUnreadable, 1000);
  const std::vector<uint8_t> image = fetch(binary, FWPROVIDER_IMAGE_2);
  const auto same = [](const TextCall& a, const TextCall& b) {
    return a.code == b.code && a.reported == b.reported && a.text == b.text;
  };

  std::vector<int> mismatches(kThreads, 0);
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      std::minstd_rand order(t + 1);
      std::vector<uint8_t> bytes;
      for (int i = 0; i < kCallsPerThread; ++i) {
        switch (order() % 4) {
          case 0:
            mismatches[t] += !same(callText(mapping, kUpdateDrive, 1000), mapped);
            break;
          case 1:
            mismatches[t] += !same(callText(configuration, "", 1000), configured);
            break;
          case 2:
            mismatches[t] += !same(callText(mapping, kUnreadable, 1000), unreadable);
            break;
          default: {
            bytes.assign(image.size(), 0);
            uint32_t length = static_cast<uint32_t>(bytes.size());
            const uint32_t code = binary(FWPROVIDER_IMAGE_2, 44, bytes.data(), &length);
            mismatches[t] += code != 0 || length != image.size() || bytes != image;
          }
        }
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  EXPECT_EQ(mismatches, std::vector<int>(kThreads, 0));
}

}  // namespace
