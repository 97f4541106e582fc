#include "orv/core/AttributeMap.h"

#include <algorithm>

namespace orv::core {
namespace {
constexpr size_t kInitialBuckets = 8;
constexpr size_t kFastGrowthLimit = 512;
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
}

AttributeMap& AttributeMap::operator=(AttributeMap other) {
  entries_.swap(other.entries_);
  firstOfBucket_.swap(other.firstOfBucket_);
  reindex();
  return *this;
}

Attribute& AttributeMap::operator[](const std::string& key) {
  const uint64_t hash = fnv1a(key);
  const size_t bucket = bucketOf(hash);
  // A bucket's entries stand together, so a lookup walks one run.
  for (Iterator it = firstOfBucket_[bucket]; it != entries_.end() && bucketOf(it->hash) == bucket;
       ++it) {
    if (it->hash == hash && it->key == key) return it->attribute;
  }
  // A load factor above 1.0 after this insertion grows the table first.
  if (entries_.size() + 1 > bucketCount()) grow(entries_.size() + 1);
  const Iterator entry = entries_.insert(entries_.end(), Entry{key, Attribute(), hash});
  link(entry);
  return entry->attribute;
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
