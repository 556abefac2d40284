#include "common/units/CstStringHash.h"

#include "platform/core/SysUtils.h"

namespace {
constexpr int kInitialBits = 7;
// Beyond this the bucket array stops growing and chains simply get longer.
constexpr int kMaxBits = 26;
}  // namespace

THash::THash() : buckets_(size_t{1} << kInitialBits), bits_(kInitialBits), mask_((1u << kInitialBits) - 1) {}

uint32_t THash::HashOf(std::string_view key) {
  if (key.empty()) throw EHashInvalidKeyError("Key cannot be an empty string");
  uint32_t h = 0x12345670u;
  for (const char c : key) {
    h = (h << 4) + static_cast<uint8_t>(c);
    const uint32_t g = h & 0xF0000000u;
    // The high nibble is folded in but deliberately not cleared.
    if (g != 0) h |= g >> 24;
  }
  return h;
}

bool THash::Find(std::string_view key, int& bucket, int& entry) const {
  return FindHashed(key, HashOf(key), bucket, entry);
}

bool THash::FindHashed(std::string_view key, uint32_t h, int& bucket, int& entry) const {
  bucket = static_cast<int>(h & mask_);
  const std::vector<Entry>& chain = buckets_[static_cast<size_t>(bucket)];
  for (size_t i = 0; i < chain.size(); ++i) {
    if (chain[i].hash == h && chain[i].key == key) {
      entry = static_cast<int>(i);
      return true;
    }
  }
  entry = -1;
  return false;
}

bool THash::Exists(std::string_view key) const {
  int bucket = 0;
  int entry = 0;
  return Find(key, bucket, entry);
}

int THash::FindOrAddValueIndex(std::string_view key) {
  const uint32_t h = HashOf(key);
  int bucket = 0;
  int entry = 0;
  if (FindHashed(key, h, bucket, entry)) return ValueIndexAt(bucket, entry);
  const int index = GetValueHigh() + 1;
  SetValueCount(index + 1);
  buckets_[static_cast<size_t>(bucket)].push_back(Entry{h, index, std::string(key)});
  ++count_;
  if (count_ > BucketCount() && bits_ < kMaxBits) Grow();
  return index;
}

void THash::Grow() {
  ++bits_;
  mask_ = (1u << bits_) - 1;
  std::vector<std::vector<Entry>> grown(size_t{1} << bits_);
  // Every entry of a new bucket comes from the same old bucket, so walking the old chains in
  // order keeps each new chain in insertion order.
  for (std::vector<Entry>& chain : buckets_)
    for (Entry& e : chain) grown[e.hash & mask_].push_back(std::move(e));
  buckets_ = std::move(grown);
}

void THash::GetKeys(TStrings& list) const {
  for (const std::vector<Entry>& chain : buckets_)
    for (const Entry& e : chain) list.Add(e.key);
}

std::string TCstStringHash::GetValue(std::string_view key) const {
  int bucket = 0;
  int entry = 0;
  if (!Find(key, bucket, entry)) throw EHashFindError(Format("Key \"%s\" not found", {key}));
  return values_[static_cast<size_t>(ValueIndexAt(bucket, entry))];
}

void TCstStringHash::SetValue(std::string_view key, std::string value) {
  const int index = FindOrAddValueIndex(key);
  values_[static_cast<size_t>(index)] = std::move(value);
}

void TCstStringHash::ClearValue(int index) {
  values_.at(static_cast<size_t>(index)).clear();
}

void TCstStringHash::CopyValue(int from, int to) {
  values_.at(static_cast<size_t>(to)) = values_.at(static_cast<size_t>(from));
}

void TCstStringHash::SetValueCount(int count) {
  values_.resize(static_cast<size_t>(count < 0 ? 0 : count));
}

void TCstStringHash::ClearValues() {
  values_.clear();
}

int TCstStringHash::GetValueHigh() const {
  return static_cast<int>(values_.size()) - 1;
}
