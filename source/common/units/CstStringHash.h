// A bucketed hash table keyed by byte strings (THash) and its string-valued form
// (TCstStringHash), which holds one language table of the localisation store.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/core/Exceptions.h"
#include "platform/core/Object.h"
#include "platform/core/Strings.h"

ZUK_DECLARE_EXCEPTION(EHashError, Exception)
ZUK_DECLARE_EXCEPTION(EHashInvalidKeyError, EHashError)
ZUK_DECLARE_EXCEPTION(EHashFindError, EHashError)

/// The bucket machinery: keys and value indexes. Descendants keep the values in an array
/// of their own, indexed by the entries' value indexes.
///
/// Each entry stores the key's full 32-bit hash, so the table doubles its bucket count as
/// it fills without hashing any key again; entries of a bucket stay in insertion order.
class THash : public TObject {
 public:
  /// Starts with 2^7 = 128 empty buckets.
  THash();
  std::string ClassName() const override { return "THash"; }

  /// Whether the key is stored; an empty key raises EHashInvalidKeyError.
  bool Exists(std::string_view key) const;

  /// The hash of a key; an empty key raises EHashInvalidKeyError ("Key cannot be an empty string").
  static uint32_t HashOf(std::string_view key);

  /// Number of stored keys.
  int Count() const { return count_; }
  int Bits() const { return bits_; }
  int BucketCount() const { return static_cast<int>(buckets_.size()); }
  uint32_t Mask() const { return mask_; }
  /// Appends every stored key to the list, bucket by bucket.
  void GetKeys(TStrings& list) const;

 protected:
  struct Entry {
    uint32_t hash;    // the key's full hash; the bucket is hash & mask
    int value_index;  // index into the descendant's value array
    std::string key;
  };

  /// Finds the key: true with its bucket and its position in that bucket, else false.
  bool Find(std::string_view key, int& bucket, int& entry) const;
  /// The value index of a key that Find located.
  int ValueIndexAt(int bucket, int entry) const { return buckets_[bucket][entry].value_index; }
  /// The value index of the key, appending a new entry (and growing the value array by one)
  /// when the key is not stored yet.
  int FindOrAddValueIndex(std::string_view key);

  virtual void ClearValue(int index) = 0;
  virtual void CopyValue(int from, int to) = 0;
  virtual void SetValueCount(int count) = 0;
  virtual void ClearValues() = 0;
  /// The highest index of the value array, -1 when it is empty.
  virtual int GetValueHigh() const = 0;

 private:
  bool FindHashed(std::string_view key, uint32_t hash, int& bucket, int& entry) const;
  void Grow();

  std::vector<std::vector<Entry>> buckets_;
  int bits_ = 7;
  uint32_t mask_ = 127;
  int count_ = 0;
};

/// Maps byte-string keys to byte-string values.
class TCstStringHash : public THash {
 public:
  std::string ClassName() const override { return "TCstStringHash"; }

  /// The value stored under the key; a missing key raises EHashFindError
  /// ("Key "KEY" not found"), an empty one EHashInvalidKeyError.
  std::string GetValue(std::string_view key) const;
  /// Stores or overwrites the value under the key; an empty key raises EHashInvalidKeyError.
  void SetValue(std::string_view key, std::string value);

 protected:
  void ClearValue(int index) override;
  void CopyValue(int from, int to) override;
  void SetValueCount(int count) override;
  void ClearValues() override;
  int GetValueHigh() const override;

 private:
  std::vector<std::string> values_;
};
