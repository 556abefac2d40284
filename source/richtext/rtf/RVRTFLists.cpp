// List markers from RTF: old-style paragraph numbering ("pn") and list tables become list
// styles of the style sheet and marker items at the start of numbered paragraphs. Only the
// mode that may add styles (rvrsAddIfNeeded) numbers paragraphs; the others drop numbering.
#include <algorithm>
#include <cmath>

#include "richtext/core/CRVData.h"
#include "richtext/core/RVMarker.h"
#include "richtext/core/RVStyle.h"
#include "richtext/rtf/RVRTFFuncs.h"
#include "richtext/rtf/RVRTFProps.h"

namespace {

/// The number type of a list level that shows no number ("levelnfc255").
constexpr uint8_t kNoNumber = 7;

TRVListType listTypeOf(uint8_t numberType) {
  switch (numberType) {
    case 2:
      return rvlstLowerAlpha;
    case 3:
      return rvlstUpperAlpha;
    case 4:
      return rvlstLowerRoman;
    case 5:
      return rvlstUpperRoman;
    case 6:
      return rvlstBullet;
    default:
      return rvlstDecimal;
  }
}

/// The two accepted forms of a format for the first placeholder.
std::string altFormat(const std::string& format) {
  std::string alt;
  for (size_t i = 0; i < format.size(); ++i) {
    if (format.compare(i, 2, "%s") == 0) {
      alt += "%0:s";
      ++i;
    } else {
      alt += format[i];
    }
  }
  return alt;
}

bool sameFormat(const std::string& a, const std::string& b) {
  return a == b || altFormat(a) == altFormat(b);
}

bool sameLevel(const TRVListLevel& a, const TRVListLevel& b) {
  if (a.ListType != b.ListType || a.StartFrom != b.StartFrom || a.MarkerAlignment != b.MarkerAlignment ||
      a.LeftIndent != b.LeftIndent || a.FirstIndent != b.FirstIndent || a.MarkerIndent != b.MarkerIndent ||
      (a.Options & (rvloLevelReset | rvloLegalStyleNumbering)) !=
          (b.Options & (rvloLevelReset | rvloLegalStyleNumbering)))
    return false;
  const TRVMarkerFont* fa = a.FontIfAny();
  const TRVMarkerFont* fb = b.FontIfAny();
  if (a.UsesFont() && fa != nullptr && fb != nullptr &&
      (fa->Style() != fb->Style() || fa->Color() != fb->Color() || fa->Size() != fb->Size() ||
       RVRTFLowerCase(fa->Name()) != RVRTFLowerCase(fb->Name())))
    return false;
  if (a.ListType == rvlstUnicodeBullet) return a.FormatStringW == b.FormatStringW;
  return sameFormat(a.FormatString, b.FormatString);
}

}  // namespace

bool TRVRTFReaderProperties::InsertMarkerIfNeeded(int32_t ParaNo) {
  if (ParaStyleMode != rvrsAddIfNeeded || reader_ == nullptr) return false;
  const TRVRTFParaProperties& para = reader_->State().Para;
  std::unique_ptr<TRVMarkerItemInfo> marker;
  bool pending = false;
  if (para.Marker && para.Marker->Level > 0) {
    if (pnLists_.empty()) pnLists_.assign(11, -1);
    const int32_t level = std::clamp(para.Marker->Level, 1, 11);
    marker = TRVMarkerItemInfo::CreateForList(current_, -1, -1, para.Marker->Start, pnLists_[level - 1] < 0);
    pending = true;
  } else {
    pnLists_.clear();
    const auto& overrides = reader_->ListOverrideTable();
    if (para.ListOverrideIndex < 0 || para.ListOverrideIndex >= static_cast<int32_t>(overrides.size()))
      return false;
    if (!listMapBuilt_) BuildListMap();
    const TRVRTFListOverride97& o = overrides[para.ListOverrideIndex];
    if (o.ListIndex < 0 || o.ListIndex >= static_cast<int>(listMap_.size()) || listMap_[o.ListIndex] < 0)
      return false;
    const int32_t listNo = listMap_[o.ListIndex];
    const int levelCount = style_->ListStyles()[listNo].Levels().Count();
    const int32_t level = std::clamp(para.ListLevel, 0, std::max(levelCount - 1, 0));
    int32_t start = 1;
    bool reset = false;
    if (level < static_cast<int32_t>(o.Levels.size())) {
      start = o.Levels[level].Start;
      // An override restarts its level at its first paragraph; later ones count on.
      reset = o.Levels[level].UseStart && restartedOverrides_.insert({para.ListOverrideIndex, level}).second;
    }
    marker = TRVMarkerItemInfo::CreateForList(current_, listNo, level, start, reset);
  }
  marker->ParaNo = ParaNo;
  TCustomRVData* data = current_;
  InsertItem(std::string(), std::move(marker), rtf_ts_NewPara);
  if (pending) {
    pendingMarkerData_ = data;
    pendingMarker_ = data == target_ ? insertIndex_ - 1 : data->GetItemCount() - 1;
  }
  return true;
}

void TRVRTFReaderProperties::UpdateMarker(TRVRTFReader* Reader) {
  if (pendingMarker_ < 0 || pendingMarkerData_ == nullptr) return;
  TCustomRVData* data = pendingMarkerData_;
  const int index = pendingMarker_;
  pendingMarker_ = -1;
  if (index >= data->GetItemCount()) return;
  auto* marker = dynamic_cast<TRVMarkerItemInfo*>(data->GetItem(index));
  if (marker == nullptr) return;
  int32_t listNo = -1;
  if (Reader != nullptr && Reader->State().Para.Marker)
    listNo = FindListForNumbering(*Reader->State().Para.Marker);
  // A marker whose list cannot be made stays, without a list, where the paragraph had it.
  marker->ListNo = listNo;
  marker->Level = 0;
  if (listNo >= 0) data->RenumberMarker(index, true);
}

int32_t TRVRTFReaderProperties::FindListForNumbering(const TRVRTFMarkerProperties& N) {
  if (ParaStyleMode != rvrsAddIfNeeded || N.Level < 1 || N.Level > 11) return -1;
  const auto& fonts = reader_->Fonts();
  if (N.FontIndex < 0 || N.FontIndex >= static_cast<int32_t>(fonts.size())) return -1;
  if (pnLists_.empty()) pnLists_.assign(11, -1);
  if (N.Level <= 10 && pnLists_[N.Level - 1] >= 0) return pnLists_[N.Level - 1];

  const TRVRTFParaProperties& para = reader_->State().Para;
  TRVListLevel wanted;
  const bool bullet = N.Level == 11 || (N.Level == 10 && N.NumberType == 0);
  if (bullet) {
    wanted.ListType = rvlstBullet;
    wanted.FormatString = N.TextBefore;
  } else {
    wanted.ListType = listTypeOf(N.NumberType == 0 ? 1 : N.NumberType);
    if (N.NumberType == 6) wanted.ListType = rvlstDecimal;
    wanted.FormatString = N.TextBefore + "%s" + N.TextAfter;
  }
  wanted.MarkerAlignment =
      N.Level == 11 ? rvmaLeft : static_cast<TRVMarkerAlignment>(std::min<uint8_t>(N.Alignment, 2));
  const int32_t left = ToPixels(para.LeftIndent);
  const int32_t first = ToPixels(para.FirstIndent);
  wanted.LeftIndent = left;
  wanted.FirstIndent = left + first;
  int32_t markerIndent =
      N.Hanging
          ? std::max(ToPixels(N.Spacing), RVRTFRound((int64_t{para.FirstIndent} + N.Indent) * twipsToPixels_))
          : std::max(0, std::max(ToPixels(N.Indent), ToPixels(N.Spacing)) + first);
  wanted.MarkerIndent = markerIndent;
  if (wanted.MarkerAlignment == rvmaRight) wanted.FirstIndent = markerIndent + left;
  if (wanted.MarkerAlignment == rvmaCenter)
    wanted.FirstIndent = (markerIndent + left + wanted.FirstIndent) / 2;
  TRVMarkerFont& font = wanted.Font();
  font.SetName(fonts[N.FontIndex].Name);
  font.SetSize(N.FontSize);
  font.SetStyle(TFontStyles::FromBits(N.StyleBits));
  font.SetColor(N.Color);

  TRVListInfos& lists = style_->ListStyles();
  int32_t result = -1;
  for (int i = 0; i < lists.Count() && result < 0; ++i) {
    const TRVListLevelCollection& levels = lists[i].Levels();
    if (levels.Count() > 0 && sameLevel(levels[0], wanted)) result = i;
  }
  if (result < 0) {
    TRVListInfo* added = lists.AddStyle();
    added->Standard = false;
    added->Levels().AddLevel()->Assign(&wanted);
    result = lists.Count() - 1;
  }
  pnLists_[N.Level - 1] = result;
  return result;
}

void TRVRTFReaderProperties::FillLevelFromRTF(const TRVRTFListLevel97& S, TRVListLevel& L) const {
  // A level without numbers (outline headings) shows its text, placeholders left out.
  const bool noNumber = S.NumberType == kNoNumber;
  L.ListType = noNumber ? rvlstBullet : listTypeOf(S.NumberType);
  std::string format;
  for (size_t i = 1; i < S.Text.size(); ++i) {
    const auto ch = static_cast<uint8_t>(S.Text[i]);
    if (ch < 10) {
      if (!noNumber) format += ch == 0 ? std::string("%s") : "%" + std::to_string(ch) + ":s";
    } else {
      format += static_cast<char>(ch);
    }
  }
  L.FormatString = format;
  const auto& fonts = reader_->Fonts();
  const TRVRTFFont* font =
      S.FontIndex >= 0 && S.FontIndex < static_cast<int32_t>(fonts.size()) ? &fonts[S.FontIndex] : nullptr;
  if (L.ListType == rvlstBullet && !noNumber && S.TextW.size() > 1) {
    const std::u16string w = S.TextW.substr(1);
    const std::string name = font != nullptr ? RVRTFLowerCase(font->Name) : std::string();
    const char16_t c = w[0];
    if (w.size() == 1 && ((name == "symbol" && c >= 0xF0A1 && c <= 0xF0FE) ||
                          (name == "wingdings" && c >= 0xF021 && c <= 0xF0FF))) {
      L.FormatString = std::string(1, static_cast<char>(c - 0xF000));
    } else {
      L.ListType = rvlstUnicodeBullet;
      L.FormatStringW = w;
    }
  }
  TRVMarkerFont& f = L.Font();
  if (font != nullptr) {
    f.SetName(font->Name);
    f.SetCharset(font->Charset);
  }
  f.SetStyle(TFontStyles::FromBits(S.StyleBits));
  f.SetColor(S.Color);
  f.SetSize(S.FontSize);
  // The marker stands at the first-line position (li + fi); the first line's text starts at
  // the tab stop, FirstIndent beyond the left indent.
  L.LeftIndent = RVRTFRound(S.LeftIndent * twipsToPixels_);
  L.MarkerIndent = std::max(0, RVRTFRound((int64_t{S.LeftIndent} + S.FirstIndent) * twipsToPixels_));
  L.FirstIndent =
      S.TabPosition > 0 ? std::max(0, RVRTFRound(S.TabPosition * twipsToPixels_) - L.LeftIndent) : 0;
  L.StartFrom = S.Start;
  if (S.NoRestart) L.Options &= static_cast<TRVListLevelOptions>(~rvloLevelReset);
  if (S.Legal) L.Options |= rvloLegalStyleNumbering;
  L.MarkerAlignment = static_cast<TRVMarkerAlignment>(std::min<uint8_t>(S.Alignment, 2));
}

void TRVRTFReaderProperties::BuildListMap() {
  listMapBuilt_ = true;
  listMap_.clear();
  TRVListInfos& lists = style_->ListStyles();
  std::vector<char> taken(static_cast<size_t>(lists.Count()), 0);
  for (const TRVRTFList97& rtfList : reader_->ListTable()) {
    std::vector<std::unique_ptr<TRVListLevel>> levels;
    for (const auto& l : rtfList.Levels) {
      levels.push_back(std::make_unique<TRVListLevel>());
      FillLevelFromRTF(l, *levels.back());
    }
    int32_t found = -1;
    for (int i = 0; i < static_cast<int>(taken.size()) && found < 0; ++i) {
      if (taken[i] || lists[i].Levels().Count() < static_cast<int>(levels.size())) continue;
      bool same = true;
      for (size_t j = 0; j < levels.size() && same; ++j) same = sameLevel(lists[i].Levels()[j], *levels[j]);
      if (same) found = i;
    }
    if (found < 0 && !levels.empty()) {
      TRVListInfo* added = lists.AddStyle();
      added->Standard = false;
      for (const auto& l : levels) added->Levels().AddLevel()->Assign(l.get());
      found = lists.Count() - 1;
    } else if (found >= 0) {
      taken[found] = 1;
    }
    listMap_.push_back(found);
  }
}
