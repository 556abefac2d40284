// Look-ups in the generated character tables (binary searches over sorted arrays).
#include "platform/core/UnicodeTables.h"

#include <algorithm>
#include <iterator>
#include <vector>

namespace {

struct CodePair {
  uint16_t first;
  uint16_t second;
};

struct CompositionEntry {
  uint32_t pair;  // (first << 16) | second
  uint16_t composed;
};

#include "platform/core/UnicodeTablesData.inc"

/// The entry of a table sorted by `first` whose first is `ch`, or nullptr.
const CodePair* FindByFirst(const CodePair* begin, const CodePair* end, char16_t ch) {
  const CodePair* it =
      std::lower_bound(begin, end, ch, [](const CodePair& e, char16_t c) { return e.first < c; });
  return it != end && it->first == ch ? it : nullptr;
}

/// Decompositions, the compositions table sorted by the composed character.
const std::vector<CompositionEntry>& DecompositionIndex() {
  static const std::vector<CompositionEntry> index = [] {
    std::vector<CompositionEntry> v(std::begin(kCompositions), std::end(kCompositions));
    std::sort(v.begin(), v.end(),
              [](const CompositionEntry& a, const CompositionEntry& b) { return a.composed < b.composed; });
    return v;
  }();
  return index;
}

constexpr std::array<uint64_t, 1024> BuildMarkBits() {
  std::array<uint64_t, 1024> bits{};
  for (const CodePair& e : kCombiningClasses) bits[e.first >> 6] |= uint64_t{1} << (e.first & 63);
  for (const CodePair& r : kNonSpacingRanges)
    for (uint32_t c = r.first; c <= r.second; ++c) bits[c >> 6] |= uint64_t{1} << (c & 63);
  return bits;
}

}  // namespace

constexpr std::array<uint64_t, 1024> kUnicodeMarkBits = BuildMarkBits();

char16_t UnicodeUpperCase(char16_t ch) {
  if (ch < 0x80) return ch >= u'a' && ch <= u'z' ? static_cast<char16_t>(ch - 32) : ch;
  const CodePair* e = FindByFirst(std::begin(kUpperCase), std::end(kUpperCase), ch);
  return e ? e->second : ch;
}

char16_t UnicodeLowerCase(char16_t ch) {
  if (ch < 0x80) return ch >= u'A' && ch <= u'Z' ? static_cast<char16_t>(ch + 32) : ch;
  const CodePair* e = FindByFirst(std::begin(kLowerCase), std::end(kLowerCase), ch);
  return e ? e->second : ch;
}

char16_t UnicodeCompose(char16_t first, char16_t second) {
  const uint32_t key = (static_cast<uint32_t>(first) << 16) | second;
  const auto* end = std::end(kCompositions);
  const auto* it = std::lower_bound(std::begin(kCompositions), end, key,
                                    [](const CompositionEntry& e, uint32_t k) { return e.pair < k; });
  return it != end && it->pair == key ? it->composed : 0;
}

bool UnicodeDecompose(char16_t ch, char16_t& first, char16_t& second) {
  const auto& index = DecompositionIndex();
  auto it = std::lower_bound(index.begin(), index.end(), ch,
                             [](const CompositionEntry& e, char16_t c) { return e.composed < c; });
  if (it == index.end() || it->composed != ch) return false;
  first = static_cast<char16_t>(it->pair >> 16);
  second = static_cast<char16_t>(it->pair & 0xFFFF);
  return true;
}

uint8_t UnicodeCombiningClass(char16_t ch) {
  if (ch < 0x300) return 0;
  const CodePair* e = FindByFirst(std::begin(kCombiningClasses), std::end(kCombiningClasses), ch);
  return e ? static_cast<uint8_t>(e->second) : 0;
}

bool UnicodeIsNonSpacing(char16_t ch) {
  if (ch < 0x300) return false;
  const auto* end = std::end(kNonSpacingRanges);
  // The last range starting at or before ch.
  const auto* it = std::upper_bound(std::begin(kNonSpacingRanges), end, ch,
                                    [](char16_t c, const CodePair& e) { return c < e.first; });
  if (it == std::begin(kNonSpacingRanges)) return false;
  --it;
  return ch <= it->second;
}
