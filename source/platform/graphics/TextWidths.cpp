#include "platform/graphics/TextWidths.h"

#include <QFontMetrics>
#include <QString>
#include <cmath>
#include <string>
#include <vector>

#include "platform/graphics/CanvasDevice.h"

namespace {

/// Fonts measured on this thread; a long run of distinct fonts starts the list afresh.
constexpr size_t kMaxFonts = 16;

/// A letter of each script, put in front of a pair to measure the pair inside that script's
/// run; its own adjustment with the pair's first character cancels out.
constexpr char16_t kLeadLetters[] = {0, u'n', u'\u03BD', u'\u043D'};

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
  if (c >= 0x02B0 && c < 0x0370) return false;  // modifier letters and combining marks
  if (c >= 0x03E2 && c < 0x03F0) return false;  // Coptic letters in the Greek block
  if (c >= 0x0483 && c < 0x048A) return false;  // Cyrillic combining marks
  return true;
}

TTextWidths::TScript TTextWidths::ScriptOf(char16_t c) {
  if ((c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z')) return TScript::Latin;
  if (c < 0xC0) return c == 0xAA || c == 0xBA ? TScript::Latin : TScript::Common;
  if (c < 0x02B0) return c == 0xD7 || c == 0xF7 ? TScript::Common : TScript::Latin;
  if (c < 0x0370) return TScript::Common;
  if (c < 0x0400)
    return c == 0x0374 || c == 0x037E || c == 0x0385 || c == 0x0387 ? TScript::Common : TScript::Greek;
  return TScript::Cyrillic;
}

int32_t TTextWidths::FixedIn(TScript script, std::u16string_view text) {
  const char16_t lead = kLeadLetters[static_cast<size_t>(script)];
  // Qt's widths are multiples of 1/64 pixel, exact in a double.
  auto fixed = [this](std::u16string_view part) {
    return static_cast<int32_t>(std::lround(metrics_.horizontalAdvance(FromUtf16(part)) * 64.0));
  };
  if (lead == 0) return fixed(text);
  const std::u16string led = lead + std::u16string(text);
  return fixed(led) - fixed(std::u16string_view(led).substr(0, 2)) + Advance(text[0]);
}

int32_t TTextWidths::Advance(char16_t c) {
  if (!MayBePlain(c)) return -1;
  int32_t& advance = advances_[c];
  if (advance == -2) advance = FixedIn(TScript::Common, std::u16string_view(&c, 1));
  return advance;
}

std::optional<int32_t> TTextWidths::PairDelta(TScript script, char16_t a, char16_t b) {
  auto measure = [&] {
    const char16_t pair[2] = {a, b};
    return FixedIn(script, std::u16string_view(pair, 2)) - Advance(a) - Advance(b);
  };
  if (script == TScript::Latin && IsAscii(a) && IsAscii(b)) {
    int32_t& known = asciiPairs_[AsciiPairIndex(a, b)];
    if (known == kUnknown) known = measure();
    return known;
  }
  const uint64_t key = (static_cast<uint64_t>(script) << 32) | (static_cast<uint64_t>(a) << 16) | b;
  if (const auto found = otherPairs_.find(key); found != otherPairs_.end()) return found->second;
  if (otherPairs_.size() >= kMaxRemembered) return std::nullopt;
  return otherPairs_.emplace(key, measure()).first->second;
}

bool TTextWidths::TripleIsSum(TScript script, char16_t a, char16_t b, char16_t c) {
  const uint64_t key = (static_cast<uint64_t>(script) << 48) | (static_cast<uint64_t>(a) << 32) |
                       (static_cast<uint64_t>(b) << 16) | c;
  if (const auto found = triples_.find(key); found != triples_.end()) return found->second;
  if (triples_.size() >= kMaxRemembered) return false;
  const std::optional<int32_t> first = PairDelta(script, a, b), second = PairDelta(script, b, c);
  const char16_t triple[3] = {a, b, c};
  const bool sum = first && second &&
                   FixedIn(script, std::u16string_view(triple, 3)) ==
                       Advance(a) + Advance(b) + Advance(c) + *first + *second;
  return triples_.emplace(key, sum).first->second;
}

std::optional<int32_t> TTextWidths::PlainWidth(std::u16string_view text) {
  // The script of the text's letters; letters of two scripts make two runs, shaped apart.
  TScript script = TScript::Common;
  for (const char16_t c : text)
    if ((script = ScriptOf(c)) != TScript::Common) break;
  int64_t sum = 0;
  bool previousAdjusted = false;
  for (size_t i = 0; i < text.size(); ++i) {
    const char16_t c = text[i];
    int32_t advance = c < kPlainLimit ? advances_[c] : -1;
    if (advance < 0 && (advance = Advance(c)) < 0) return std::nullopt;
    sum += advance;
    if (const TScript own = ScriptOf(c); own != script && own != TScript::Common) return std::nullopt;
    if (i == 0) continue;
    const char16_t before = text[i - 1];
    int32_t delta = kUnknown;
    if (script == TScript::Latin && IsAscii(before) && IsAscii(c))
      delta = asciiPairs_[AsciiPairIndex(before, c)];
    if (delta == kUnknown) {
      const std::optional<int32_t> measured = PairDelta(script, before, c);
      if (!measured) return std::nullopt;
      delta = *measured;
    }
    if (delta == 0) {
      // An adjusted pair counts only when the character after it leaves it as it is.
      if (previousAdjusted && !TripleIsSum(script, text[i - 2], before, c)) return std::nullopt;
      previousAdjusted = false;
      continue;
    }
    // Neighbouring adjusted pairs, or a pair the character before changes, are shaped whole.
    if (previousAdjusted || (i >= 2 && !TripleIsSum(script, text[i - 2], before, c))) return std::nullopt;
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
