#include "platform/graphics/TextWidths.h"

#include <QFontMetrics>
#include <QString>
#include <cmath>
#include <vector>

#include "platform/graphics/CanvasDevice.h"

namespace {

/// Fonts measured on this thread; a long run of distinct fonts starts the list afresh.
constexpr size_t kMaxFonts = 64;

}  // namespace

TTextWidths::TTextWidths(const QFont& font) : font_(font), metrics_(font) {
  const QFontMetrics fm(font);
  height_ = fm.ascent() + fm.descent();
  advances_.fill(-2);
  asciiPairs_.fill(kUnknown);
}

std::shared_ptr<TTextWidths> TTextWidths::For(const QFont& font) {
  thread_local std::vector<std::shared_ptr<TTextWidths>> fonts;
  for (const auto& widths : fonts)
    if (widths->font_ == font && widths->font_.hintingPreference() == font.hintingPreference()) return widths;
  if (fonts.size() >= kMaxFonts) fonts.clear();
  fonts.push_back(std::make_shared<TTextWidths>(font));
  return fonts.back();
}

bool TTextWidths::MayBePlain(char16_t c) {
  if (c < 0x20 || c >= kPlainLimit) return false;
  if (c >= 0x7F && c < 0xA0) return false;      // controls; Qt also cuts text at U+009C
  if (c == 0xAD) return false;                  // soft hyphen: shown only at a line's end
  if (c >= 0x0300 && c < 0x0370) return false;  // combining diacritical marks
  if (c >= 0x0483 && c < 0x048A) return false;  // Cyrillic combining marks
  return true;
}

int32_t TTextWidths::Fixed(const QString& text) const {
  // Qt's widths are multiples of 1/64 pixel, exact in a double.
  return static_cast<int32_t>(std::lround(metrics_.horizontalAdvance(text) * 64.0));
}

int32_t TTextWidths::Advance(char16_t c) {
  if (!MayBePlain(c)) return -1;
  int32_t& advance = advances_[c];
  if (advance == -2) advance = Fixed(QString(QChar(c)));
  return advance;
}

std::optional<int32_t> TTextWidths::PairDelta(char16_t a, char16_t b) {
  auto measure = [&] {
    const QChar pair[2] = {QChar(a), QChar(b)};
    return Fixed(QString(pair, 2)) - Advance(a) - Advance(b);
  };
  if (IsAscii(a) && IsAscii(b)) {
    int32_t& known = asciiPairs_[AsciiPairIndex(a, b)];
    if (known == kUnknown) known = measure();
    return known;
  }
  const uint32_t key = (static_cast<uint32_t>(a) << 16) | b;
  if (const auto found = otherPairs_.find(key); found != otherPairs_.end()) return found->second;
  if (otherPairs_.size() >= kMaxRemembered) return std::nullopt;
  return otherPairs_.emplace(key, measure()).first->second;
}

bool TTextWidths::TripleIsSum(char16_t a, char16_t b, char16_t c) {
  const uint64_t key = (static_cast<uint64_t>(a) << 32) | (static_cast<uint64_t>(b) << 16) | c;
  if (const auto found = triples_.find(key); found != triples_.end()) return found->second;
  if (triples_.size() >= kMaxRemembered) return false;
  const std::optional<int32_t> first = PairDelta(a, b), second = PairDelta(b, c);
  const QChar triple[3] = {QChar(a), QChar(b), QChar(c)};
  const bool sum =
      first && second && Fixed(QString(triple, 3)) == Advance(a) + Advance(b) + Advance(c) + *first + *second;
  return triples_.emplace(key, sum).first->second;
}

std::optional<int32_t> TTextWidths::PlainWidth(std::u16string_view text) {
  int64_t sum = 0;
  bool previousAdjusted = false;
  for (size_t i = 0; i < text.size(); ++i) {
    const char16_t c = text[i];
    int32_t advance = c < kPlainLimit ? advances_[c] : -1;
    if (advance < 0 && (advance = Advance(c)) < 0) return std::nullopt;
    sum += advance;
    if (i == 0) continue;
    const char16_t before = text[i - 1];
    int32_t delta = kUnknown;
    if (IsAscii(before) && IsAscii(c)) delta = asciiPairs_[AsciiPairIndex(before, c)];
    if (delta == kUnknown) {
      const std::optional<int32_t> measured = PairDelta(before, c);
      if (!measured) return std::nullopt;
      delta = *measured;
    }
    if (delta == 0) {
      // An adjusted pair counts only when the letter after it leaves it as it is.
      if (previousAdjusted && !TripleIsSum(text[i - 2], before, c)) return std::nullopt;
      previousAdjusted = false;
      continue;
    }
    // Neighbouring adjusted pairs, or a pair the letter before changes, are shaped whole.
    if (previousAdjusted || (i >= 2 && !TripleIsSum(text[i - 2], before, c))) return std::nullopt;
    sum += delta;
    previousAdjusted = true;
  }
  // Qt rounds its fixed-point width half up.
  return static_cast<int32_t>((sum + 32) >> 6);
}

int32_t TTextWidths::Width(std::u16string_view text) {
  if (const std::optional<int32_t> plain = PlainWidth(text)) return *plain;
  return QFontMetrics(font_).horizontalAdvance(FromUtf16(text));
}
