// Widths of text in one font without shaping every string: the advances of single
// characters and the adjustments of the pairs of neighbours met so far, each measured once.
// A string of plain characters (no shaping beyond the font's advances and pair kerning) in
// one script, whose adjusted pairs stand apart, measures as the sum of its advances and
// adjustments, exactly as Qt's shaped width; any other string is measured by Qt as before.
#pragma once

#include <QFont>
#include <QFontMetricsF>
#include <array>
#include <climits>
#include <cstdint>
#include <memory>
#include <optional>
#include <string_view>
#include <unordered_map>

class TTextWidths {
 public:
  explicit TTextWidths(const QFont& font);

  /// The shared widths of `font` on this thread (one object per distinct font).
  static std::shared_ptr<TTextWidths> For(const QFont& font);

  /// The width of `text` in whole pixels, as QFontMetrics::horizontalAdvance answers it.
  int32_t Width(std::u16string_view text);
  /// Ascent plus descent, as QFontMetrics answers them.
  int32_t Height() const { return height_; }

  /// The width from the cached advances; none when the text needs Qt's shaping.
  std::optional<int32_t> PlainWidth(std::u16string_view text);

 private:
  /// Qt shapes each run of one script apart, spaces and punctuation joining the run before
  /// them (or the first one), so a pair kerns as it does in the script of its text.
  enum class TScript : uint8_t { Common, Latin, Greek, Cyrillic };

  /// Characters below this code may be plain: Latin, Greek and Cyrillic letters, digits,
  /// punctuation, without the combining marks and controls.
  static constexpr char16_t kPlainLimit = 0x0530;
  /// How many pairs outside the Latin ASCII table, and how many triples, are remembered;
  /// beyond it a string with a new one is measured by Qt.
  static constexpr size_t kMaxRemembered = 1 << 15;
  static constexpr int32_t kUnknown = INT32_MIN;
  static bool MayBePlain(char16_t c);
  static TScript ScriptOf(char16_t c);
  static bool IsAscii(char16_t c) { return c >= 0x20 && c < 0x7F; }
  static size_t AsciiPairIndex(char16_t a, char16_t b) {
    return static_cast<size_t>(a - 0x20) * 95 + (b - 0x20);
  }

  /// The advance of `c` in 1/64 pixels, -1 when it is not plain in this font.
  int32_t Advance(char16_t c);
  /// What `a` followed by `b` measures beyond their two advances in text of `script`, in
  /// 1/64 pixels; none when no more pairs can be remembered.
  std::optional<int32_t> PairDelta(TScript script, char16_t a, char16_t b);
  /// Whether the three characters measure as their advances and the adjustments of their
  /// pairs in text of `script`.
  bool TripleIsSum(TScript script, char16_t a, char16_t b, char16_t c);
  /// The width of `text` in 1/64 pixels as it measures inside text of `script`.
  int32_t FixedIn(TScript script, std::u16string_view text);

  QFont font_;
  QFontMetricsF metrics_;
  int32_t height_ = 0;
  /// Advances in 1/64 pixels; -2 unknown yet, -1 not plain.
  std::array<int32_t, kPlainLimit> advances_;
  /// Adjustments of printable ASCII pairs in Latin text (kUnknown until measured), and of
  /// other pairs keyed by script and characters.
  std::array<int32_t, 95 * 95> asciiPairs_;
  std::unordered_map<uint64_t, int32_t> otherPairs_;
  std::unordered_map<uint64_t, bool> triples_;
};
