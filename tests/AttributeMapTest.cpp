#include "orv/core/AttributeMap.h"

#include <gtest/gtest.h>

#include "orv/core/KeyedAttributes.h"
#include "orv/core/StandardAttributes.h"
#include "tests/ThreadCpuTime.h"

namespace orv::core {
namespace {

std::vector<std::string> keysOf(const AttributeMap& map) {
  std::vector<std::string> keys;
  for (const auto& entry : map) keys.push_back(entry.key);
  return keys;
}

AttributeMap mapOf(const std::vector<std::string>& keys) {
  AttributeMap map;
  for (const std::string& key : keys) map[key] = Attribute(key, key, "string");
  return map;
}

// The order a reference model of the bucket rules gives, for keys inserted one by one.
std::vector<std::string> modelOrder(const std::vector<std::string>& keys) {
  std::vector<std::string> sequence;
  size_t buckets = 8;
  auto bucket = [&](const std::string& key) { return fnv1a(key) & (buckets - 1); };
  auto place = [&](std::vector<std::string>& into, const std::string& key) {
    for (size_t i = 0; i < into.size(); ++i) {
      if (bucket(into[i]) == bucket(key)) {
        into.insert(into.begin() + i, key);
        return;
      }
    }
    into.push_back(key);
  };
  for (const std::string& key : keys) {
    if (sequence.size() + 1 > buckets) {
      buckets = buckets < 512 ? buckets * 8 : buckets * 2;
      std::vector<std::string> regrouped;
      for (const std::string& old : sequence) place(regrouped, old);
      sequence = regrouped;
    }
    place(sequence, key);
  }
  return sequence;
}

TEST(AttributeMapTest, WorkedOrders) {
  EXPECT_EQ(fnv1a("Date") & 7, 1u);
  EXPECT_EQ(fnv1a("Status") & 7, 7u);
  EXPECT_EQ(keysOf(mapOf({"Date", "Version", "Audience", "ModuleType"})),
            (std::vector<std::string>{"Date", "Version", "Audience", "ModuleType"}));
  EXPECT_EQ(keysOf(mapOf({"Source", "Destination", "Package", "Status"})),
            (std::vector<std::string>{"Source", "Status", "Destination", "Package"}));
}

TEST(AttributeMapTest, GrowthRegroupsAtNineAndSixtyFiveAndDoublesPast512) {
  std::vector<std::string> keys;
  AttributeMap map;
  const struct {
    size_t entries, buckets;
  } steps[] = {{8, 8}, {9, 64}, {64, 64}, {65, 512}, {512, 512}, {513, 1024}, {1025, 2048}};
  for (const auto& step : steps) {
    while (keys.size() < step.entries) {
      keys.push_back("Key" + std::to_string(keys.size() * 7919));
      map[keys.back()];
    }
    EXPECT_EQ(map.bucketCount(), step.buckets) << step.entries;
    EXPECT_EQ(keysOf(map), modelOrder(keys)) << step.entries;
  }
}

TEST(AttributeMapTest, StoringUnderAPresentKeyReplacesInPlace) {
  AttributeMap map = mapOf({"Source", "Destination", "Package", "Status"});
  Attribute replacement("Status", "Verdict", "uint64");
  replacement.setUint64(65);
  map["Status"] = replacement;
  EXPECT_EQ(keysOf(map), (std::vector<std::string>{"Source", "Status", "Destination", "Package"}));
  EXPECT_EQ(map["Status"].valueText(), "65");
}

TEST(AttributeMapTest, ElementAccessInsertsADefaultAttribute) {
  AttributeMap map;
  const Attribute& made = map["Absent"];
  EXPECT_EQ(made.type(), "bytepointer");
  EXPECT_EQ(made.value().size(), 0u);
  EXPECT_EQ(map.size(), 1u);
}

TEST(AttributeMapTest, KeyedReadsIgnoreCaseAndTakeTheFirstInOrder) {
  AttributeMap map;
  writeStringAttribute(map, Attribute("ModelNumber", "", "string"), "first");
  writeStringAttribute(map, Attribute("MODELNUMBER", "", "string"), "second");
  // One bucket holds both, the newer first.
  ASSERT_EQ(keysOf(map), (std::vector<std::string>{"MODELNUMBER", "ModelNumber"}));
  EXPECT_EQ(readStringAttribute(map, Attribute("modelnumber", "x", "uint8")), "second");

  writeUint64Attribute(map, makeStatusAttribute(), 65);
  EXPECT_EQ(readStringAttribute(map, makeStatusAttribute()), std::string("A\0\0\0\0\0\0", 7));

  Attribute flag("Flag", "", "boolean");
  EXPECT_FALSE(readBooleanAttribute(map, flag));
  for (uint8_t byte : {0, 1, 2}) {
    map["Flag"].setBytes(&byte, 1);
    EXPECT_EQ(readBooleanAttribute(map, Attribute("FLAG", "", "string")), byte == 1);
  }
  map["Flag"] = Attribute("Flag", "", "boolean");
  EXPECT_FALSE(readBooleanAttribute(map, flag));
}

TEST(AttributeMapTest, WritesLeaveTheTemplateAlone) {
  AttributeMap map;
  Attribute source = makeProductAttribute();
  source.setText("old");
  writeStringAttribute(map, source, "new");
  EXPECT_EQ(source.valueText(), "old");
  EXPECT_EQ(map["Product"].valueText(), "new");
}

// Keys whose hashes share their low `bits` bits, and so one bucket in every table of up to
// 2^bits buckets. FNV-1a's hash of a text and one more byte follows from the text's hash, and its
// prime is odd, so the low bits of prefix + c + d are 0 exactly when d equals those of
// (fnv1a(prefix) ^ c) * prime: a host can choose such keys as fast as it can write them.
std::vector<std::string> keysSharingABucket(size_t count, unsigned bits) {
  constexpr uint64_t kPrime = 1099511628211ull;
  const uint64_t mask = (uint64_t{1} << bits) - 1;
  std::vector<std::string> keys;
  for (size_t i = 0; keys.size() < count; ++i) {
    const std::string prefix = "K" + std::to_string(i);
    for (char c = 'A'; c <= 'Z' && keys.size() < count; ++c) {
      const uint64_t d = ((fnv1a(prefix) ^ static_cast<uint8_t>(c)) * kPrime) & mask;
      if (d <= 0xFF) keys.push_back(prefix + c + static_cast<char>(d));
    }
  }
  return keys;
}

TEST(AttributeMapTest, KeysChosenToShareABucketCostWhatOtherKeysCost) {
  // Walked run by run, 32,768 keys in one bucket cost hundreds of times what as many spread keys
  // cost; found by their index, a few times. Processor time, not the clock's, so that other
  // programs on the machine do not count.
  constexpr size_t kKeys = 1 << 15;
  const std::vector<std::string> shared = keysSharingABucket(kKeys, 15);
  ASSERT_EQ(fnv1a(shared.back()) & (kKeys - 1), 0u);
  std::vector<std::string> spread;
  for (size_t i = 0; i < kKeys; ++i) spread.push_back("K" + std::to_string(i) + "AB");
  const auto secondsPerMap = [](const std::vector<std::string>& keys) {
    return threadCpuSecondsPerCall([&] {
      AttributeMap map;
      for (const std::string& key : keys) map[key];
      for (const std::string& key : keys) map[key];  // found, not added
      EXPECT_EQ(map.size(), keys.size());
    });
  };
  const double one = secondsPerMap(shared);
  const double many = secondsPerMap(spread);
  EXPECT_LT(one, 30 * many) << one << " s in one bucket, " << many << " s spread";
  EXPECT_EQ(keysOf(mapOf({shared.begin(), shared.begin() + 100})),
            modelOrder({shared.begin(), shared.begin() + 100}));
}

TEST(AttributeMapTest, CopiedAndMovedMapsTakeNewKeys) {
  // Each map goes through the road a map read from a host document takes: built, moved out,
  // then given more keys, some landing in buckets that were empty when it moved.
  const std::vector<std::string> first = {"ModelNumber", "OEM"};
  const std::vector<std::string> more = {"A", "B", "C", "D", "E", "F", "G", "H", "I", "J"};
  std::vector<std::string> all = first;
  all.insert(all.end(), more.begin(), more.end());

  const AttributeMap original = mapOf(first);
  AttributeMap copied = original;
  AttributeMap source = mapOf(first);
  AttributeMap moved = std::move(source);
  AttributeMap assigned;
  assigned = original;
  for (AttributeMap* map : {&copied, &moved, &assigned}) {
    for (const std::string& key : more) (*map)[key] = Attribute(key, key, "string");
    EXPECT_EQ(keysOf(*map), modelOrder(all));
  }
  EXPECT_EQ(keysOf(original), modelOrder(first));
  source["Z"];
  EXPECT_EQ(keysOf(source), std::vector<std::string>{"Z"});
}

}  // namespace
}  // namespace orv::core
