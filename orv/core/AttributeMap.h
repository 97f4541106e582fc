// AttributeMap: attributes by exact key, owned by value, iterated in a fixed, portable order.
//
// The order is part of every answer document, so it is defined here rather than left to a
// standard library: FNV-1a buckets, a key joining an occupied bucket goes before that bucket's
// first entry, and growth (8, 64, 512, then doubling) regroups entries bucket by bucket. Keys
// chosen to share a bucket cost a lookup log n, not n: see byKey_.
#ifndef ORV_CORE_ATTRIBUTEMAP_H
#define ORV_CORE_ATTRIBUTEMAP_H

#include <cstdint>
#include <functional>
#include <list>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "orv/core/Attribute.h"

namespace orv::core {

class AttributeMap {
 public:
  struct Entry {
    std::string key;
    Attribute attribute;
    uint64_t hash;
  };
  using const_iterator = std::list<Entry>::const_iterator;

  AttributeMap();
  // Copies and moves point the buckets into the new list: an iterator to a list's end does not
  // follow its entries into another list.
  AttributeMap(const AttributeMap& other);
  AttributeMap(AttributeMap&& other);
  AttributeMap& operator=(AttributeMap other);

  // The attribute under key; an absent key is first inserted with a default Attribute.
  Attribute& operator[](const std::string& key);

  const_iterator begin() const { return entries_.begin(); }
  const_iterator end() const { return entries_.end(); }
  size_t size() const { return entries_.size(); }
  size_t bucketCount() const { return firstOfBucket_.size(); }

 private:
  using Iterator = std::list<Entry>::iterator;

  size_t bucketOf(uint64_t hash) const { return hash & (firstOfBucket_.size() - 1); }
  // The entry under key, or entries_.end().
  Iterator find(const std::string& key, uint64_t hash);
  void grow(size_t entriesAfterInsert);
  // Places `entry` (already in the list) at the front of its bucket's run, or leaves it where it
  // is when the bucket has no run yet.
  void link(Iterator entry);
  // Points each bucket at the first of its entries as they stand, keeping their order.
  void reindex();

  std::list<Entry> entries_;
  std::vector<Iterator> firstOfBucket_;  // entries_.end() for an empty bucket
  // Empty until a lookup walks a run longer than fair hashing ever makes (host keys chosen to
  // share a bucket); from then on every entry by its key, which the entry owns. Copies start
  // without it.
  std::map<std::string_view, Iterator, std::less<>> byKey_;
};

uint64_t fnv1a(const std::string& text);

}  // namespace orv::core

#endif
