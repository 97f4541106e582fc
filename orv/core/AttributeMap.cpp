#include "orv/core/AttributeMap.h"

#include <algorithm>

namespace orv::core {
namespace {
constexpr size_t kInitialBuckets = 8;
constexpr size_t kFastGrowthLimit = 512;
// With at most one entry per bucket on average, a run this long comes only from chosen keys.
constexpr size_t kLongestWalk = 32;
}  // namespace

uint64_t fnv1a(const std::string& text) {
  uint64_t hash = 14695981039346656037ull;
  for (char c : text) {
    hash ^= static_cast<uint8_t>(c);
    hash *= 1099511628211ull;
  }
  return hash;
}

AttributeMap::AttributeMap() : firstOfBucket_(kInitialBuckets, entries_.end()) {}

AttributeMap::AttributeMap(const AttributeMap& other)
    : entries_(other.entries_), firstOfBucket_(other.bucketCount()) {
  reindex();
}

AttributeMap::AttributeMap(AttributeMap&& other)
    : entries_(std::move(other.entries_)), firstOfBucket_(other.bucketCount()) {
  reindex();
  other.reindex();
  other.byKey_.clear();
}

AttributeMap& AttributeMap::operator=(AttributeMap other) {
  entries_.swap(other.entries_);
  firstOfBucket_.swap(other.firstOfBucket_);
  byKey_.clear();
  reindex();
  return *this;
}

Attribute& AttributeMap::operator[](const std::string& key) {
  const uint64_t hash = fnv1a(key);
  const Iterator found = find(key, hash);
  if (found != entries_.end()) return found->attribute;
  // A load factor above 1.0 after this insertion grows the table first.
  if (entries_.size() + 1 > bucketCount()) grow(entries_.size() + 1);
  const Iterator entry = entries_.insert(entries_.end(), Entry{key, Attribute(), hash});
  // An entry missing from a built index would be added again, so one that cannot be indexed
  // goes.
  try {
    if (!byKey_.empty()) byKey_.emplace(entry->key, entry);
  } catch (...) {
    entries_.erase(entry);
    throw;
  }
  link(entry);
  return entry->attribute;
}

AttributeMap::Iterator AttributeMap::find(const std::string& key, uint64_t hash) {
  if (byKey_.empty()) {
    // A bucket's entries stand together, so a lookup walks one run.
    const size_t bucket = bucketOf(hash);
    size_t walked = 0;
    for (Iterator it = firstOfBucket_[bucket]; it != entries_.end() && bucketOf(it->hash) == bucket;
         ++it) {
      if (it->hash == hash && it->key == key) return it;
      if (++walked == kLongestWalk) break;
    }
    if (walked < kLongestWalk) return entries_.end();
    // Built aside, so that running out of memory half-way leaves no partial index.
    std::map<std::string_view, Iterator, std::less<>> index;
    for (Iterator it = entries_.begin(); it != entries_.end(); ++it) index.emplace(it->key, it);
    byKey_.swap(index);
  }
  const auto found = byKey_.find(key);
  return found == byKey_.end() ? entries_.end() : found->second;
}

void AttributeMap::link(Iterator entry) {
  Iterator& first = firstOfBucket_[bucketOf(entry->hash)];
  if (first != entries_.end()) entries_.splice(first, entries_, entry);
  first = entry;
}

void AttributeMap::reindex() {
  std::fill(firstOfBucket_.begin(), firstOfBucket_.end(), entries_.end());
  // A bucket's entries stand together, so the first met heads its run.
  for (Iterator it = entries_.begin(); it != entries_.end(); ++it) {
    Iterator& first = firstOfBucket_[bucketOf(it->hash)];
    if (first == entries_.end()) first = it;
  }
}

void AttributeMap::grow(size_t entriesAfterInsert) {
  const size_t desired = std::max(kInitialBuckets, entriesAfterInsert);
  const size_t current = bucketCount();
  size_t count = 8 * current;
  if (current >= kFastGrowthLimit || count < desired) {
    count = 1;
    while (count < desired) count *= 2;
  }
  firstOfBucket_.assign(count, entries_.end());
  for (Iterator it = entries_.begin(); it != entries_.end();) {
    const Iterator entry = it++;
    link(entry);
  }
}

}  // namespace orv::core
