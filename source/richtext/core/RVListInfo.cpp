#include "richtext/core/RVListInfo.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <vector>

#include "platform/core/ComponentStreaming.h"
#include "platform/core/Streams.h"
#include "platform/core/SysUtils.h"
#include "platform/core/TypInfo.h"
#include "platform/graphics/Graphic.h"
#include "platform/graphics/ImageList.h"
#include "platform/graphics/Picture.h"
#include "richtext/core/RVStyle.h"

namespace {

const std::vector<std::string> kListTypeNames = {
    "rvlstBullet",     "rvlstPicture",    "rvlstImageList",  "rvlstDecimal",          "rvlstLowerAlpha",
    "rvlstUpperAlpha", "rvlstLowerRoman", "rvlstUpperRoman", "rvlstImageListCounter", "rvlstUnicodeBullet"};
const std::vector<std::string> kMarkerAlignmentNames = {"rvmaLeft", "rvmaRight", "rvmaCenter"};
const std::vector<std::string> kLevelOptionNames = {"rvloContinuous", "rvloLevelReset",
                                                    "rvloLegalStyleNumbering"};

const std::string kDefaultFormatString = "\xB7";

// Hexadecimal text of stored templates: upper-case digits, high digit first.
constexpr char kHexDigits[] = "0123456789ABCDEF";

std::string BytesToHex(std::string_view bytes) {
  std::string hex;
  hex.reserve(bytes.size() * 2);
  for (unsigned char b : bytes) {
    hex += kHexDigits[b >> 4];
    hex += kHexDigits[b & 15];
  }
  return hex;
}

std::string WideToHex(std::u16string_view text) {
  std::string hex;
  hex.reserve(text.size() * 4);
  for (char16_t c : text)
    for (int shift = 12; shift >= 0; shift -= 4) hex += kHexDigits[(c >> shift) & 15];
  return hex;
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// Decodes hex text in groups of `digits`; raises EReadError for an odd length or a bad digit.
std::vector<uint32_t> DecodeHex(std::string_view hex, size_t digits, const char* property) {
  if (hex.size() % digits != 0) throw EReadError(std::string("Invalid hexadecimal text in ") + property);
  std::vector<uint32_t> values;
  values.reserve(hex.size() / digits);
  for (size_t i = 0; i < hex.size(); i += digits) {
    uint32_t value = 0;
    for (size_t j = 0; j < digits; ++j) {
      const int digit = HexValue(hex[i + j]);
      if (digit < 0) throw EReadError(std::string("Invalid hexadecimal text in ") + property);
      value = value * 16 + static_cast<uint32_t>(digit);
    }
    values.push_back(value);
  }
  return values;
}

std::string PictureBytes(TGraphic& graphic) {
  TMemoryStream stream;
  graphic.SaveToStream(stream);
  return stream.DataString();
}

// Pictures are equal when neither has a graphic, or both have graphics of the same size
// that save to the same bytes.
bool SamePictures(TPicture* a, TPicture* b) {
  TGraphic* ga = a != nullptr ? a->Graphic() : nullptr;
  TGraphic* gb = b != nullptr ? b->Graphic() : nullptr;
  if (ga == nullptr || gb == nullptr) return ga == gb;
  if (ga->Width() != gb->Width() || ga->Height() != gb->Height()) return false;
  return PictureBytes(*ga) == PictureBytes(*gb);
}

bool SameFonts(const TRVMarkerFont* a, const TRVMarkerFont* b) {
  const bool aDefault = a == nullptr || a->IsDefault();
  const bool bDefault = b == nullptr || b->IsDefault();
  if (aDefault && bDefault) return true;
  return a != nullptr && b != nullptr && a->IsEqual(*b);
}

}  // namespace

// ---------------------------------------------------------------------------------------
// TRVMarkerFont

TRVMarkerFont::TRVMarkerFont() {
  SetName("Arial");
  SetSize(8);
}

const TPropertyList& TRVMarkerFont::ClassProperties() {
  static const TPropertyList list = [] {
    const TPropertyList& parent = TFont::ClassProperties();
    std::vector<TPropInfo> props(parent.begin(), parent.end());
    for (TPropInfo& p : props) {
      if (SameText(p.Name, "Name"))
        p.IsStored = [](TPersistent& o) { return static_cast<TRVMarkerFont&>(o).Name() != "Arial"; };
      else if (SameText(p.Name, "Height"))
        p.IsStored = [](TPersistent& o) { return static_cast<TRVMarkerFont&>(o).Size() != 8; };
    }
    return TPropertyList(std::move(props));
  }();
  return list;
}

bool TRVMarkerFont::IsDefault() const {
  return Size() == 8 && Color() == clWindowText && Charset() == DEFAULT_CHARSET && Style().Empty() &&
         SameText(Name(), "Arial");
}

bool TRVMarkerFont::IsEqual(const TRVMarkerFont& value) const {
  return Height() == value.Height() && Style() == value.Style() && Color() == value.Color() &&
         Charset() == value.Charset() && SameText(Name(), value.Name());
}

// ---------------------------------------------------------------------------------------
// TRVListLevel

TRVListLevel::TRVListLevel() = default;
TRVListLevel::~TRVListLevel() = default;

const TPropertyList& TRVListLevel::ClassProperties() {
  using T = TRVListLevel;
  static const TPropertyList list =
      TPropertyBuilder<T>(TCollectionItem::ClassProperties())
          .Enum("ListType", &T::ListType, &T::ListType, kListTypeNames)
          .Default(rvlstBullet)
          .Integer("StartFrom", &T::StartFrom, &T::StartFrom)
          .Default(1)
          .Component("ImageList", &T::ImageList, &T::ImageList)
          .Stored([](T& level) {
            // Inside a document the image list travels as "ILTag".
            const TRVListInfos* infos = level.ListInfos();
            return infos == nullptr || !infos->Linked();
          })
          .Integer("ImageIndex", &T::ImageIndex, &T::ImageIndex)
          .Default(0)
          .String("FormatString", &T::FormatString, &T::FormatString)
          .Stored(false)
          .WideString("FormatStringW", &T::FormatStringW, &T::FormatStringW)
          .Stored(false)
          .Integer("LeftIndent", &T::LeftIndent, &T::LeftIndent)
          .Default(0)
          .Integer("FirstIndent", &T::FirstIndent, &T::FirstIndent)
          .Default(10)
          .Integer("MarkerIndent", &T::MarkerIndent, &T::MarkerIndent)
          .Default(0)
          .Enum("MarkerAlignment", &T::MarkerAlignment, &T::MarkerAlignment, kMarkerAlignmentNames)
          .Default(rvmaLeft)
          .Object(
              "Picture", [](T& level) { return level.PictureIfAny(); },
              [](T& level) -> TPicture* { return &level.Picture(); })
          .Object(
              "Font", [](T& level) { return level.FontIfAny(); },
              [](T& level) -> TRVMarkerFont* { return &level.Font(); })
          .Set("Options", &T::Options, &T::Options, kLevelOptionNames)
          .Default(rvloContinuous | rvloLevelReset)
          .Build();
  return list;
}

void TRVListLevel::DefineProperties(TFiler& filer) {
  TCollectionItem::DefineProperties(filer);
  const TRVListInfos* infos = ListInfos();
  const bool linked = infos != nullptr && infos->Linked();
  filer.DefineProperty(
      "ILTag",
      [this](TReader& reader) {
        const int32_t tag = reader.ReadInteger();
        const TRVListInfos* owner = ListInfos();
        ImageList = owner != nullptr && owner->ImageListNeeded() ? owner->ImageListNeeded()(tag) : nullptr;
      },
      [this](TWriter& writer) { writer.WriteInteger(ImageList->Tag()); }, linked && ImageList != nullptr);
  filer.DefineProperty(
      "FormatStringWCode",
      [this](TReader& reader) {
        const std::vector<uint32_t> chars = DecodeHex(reader.ReadString(), 4, "FormatStringWCode");
        FormatStringW.assign(chars.begin(), chars.end());
      },
      [this](TWriter& writer) { writer.WriteString(WideToHex(FormatStringW)); }, !FormatStringW.empty());
  filer.DefineProperty(
      "FormatStringCode",
      [this](TReader& reader) {
        const std::vector<uint32_t> bytes = DecodeHex(reader.ReadString(), 2, "FormatStringCode");
        FormatString.assign(bytes.begin(), bytes.end());
      },
      [this](TWriter& writer) { writer.WriteString(BytesToHex(FormatString)); },
      FormatString != kDefaultFormatString);
}

void TRVListLevel::Assign(const TPersistent* source) {
  if (const auto* l = dynamic_cast<const TRVListLevel*>(source)) {
    if (l == this) return;
    ListType = l->ListType;
    StartFrom = l->StartFrom;
    ImageList = l->ImageList;
    ImageIndex = l->ImageIndex;
    FormatString = l->FormatString;
    FormatStringW = l->FormatStringW;
    LeftIndent = l->LeftIndent;
    FirstIndent = l->FirstIndent;
    MarkerIndent = l->MarkerIndent;
    MarkerAlignment = l->MarkerAlignment;
    SetPicture(l->picture_.get());
    SetFont(l->font_.get());
    Options = l->Options;
    return;
  }
  TCollectionItem::Assign(source);
}

std::string TRVListLevel::GetDisplayName() const {
  return Format("List Level %d", {Index()});
}

TPicture& TRVListLevel::Picture() {
  if (!picture_) picture_ = std::make_unique<TPicture>();
  return *picture_;
}

void TRVListLevel::SetPicture(const TPicture* value) {
  if (value == picture_.get()) return;
  if (value != nullptr && value->Graphic() != nullptr) {
    Picture().Assign(value);
    if (picture_->Graphic() != nullptr) picture_->Graphic()->SetTransparent(true);
  } else {
    picture_.reset();
  }
}

TRVMarkerFont& TRVListLevel::Font() {
  if (!font_) font_ = std::make_unique<TRVMarkerFont>();
  return *font_;
}

void TRVListLevel::SetFont(const TFont* value) {
  if (value == font_.get()) return;
  if (value != nullptr)
    Font().Assign(*value);
  else
    font_.reset();
}

bool TRVListLevel::HasPicture() const {
  return picture_ && picture_->Graphic() != nullptr;
}

std::string TRVListLevel::GetIndentCSS() const {
  return Format("text-indent: %dpx; margin-left: %dpx;", {MarkerIndent - LeftIndent, LeftIndent});
}

void TRVListLevel::HTMLOpenTag(TStream& stream, bool useCSS) const {
  std::string attribute;
  if (useCSS) {
    // Only the position: the list-style shorthand would reset the numbering to bullets. An
    // outside marker stays where it is when the first line is indented, so a negative indent
    // would run the text into the marker; the text starts after it instead, as in the viewer.
    const std::string css = MarkerIndent < LeftIndent
                                ? Format("text-indent: %dpx; margin-left: %dpx; list-style-position:outside;",
                                         {std::max(FirstIndent, 0), LeftIndent})
                                : Format("text-indent: %dpx; margin-left: %dpx; list-style-position:inside;",
                                         {MarkerIndent - LeftIndent, LeftIndent});
    attribute = " style=\"" + css + (HasNoMarker() ? " list-style-type: none;" : "") + "\"";
  } else if (HasNoMarker()) {
    attribute = " type=none";
  }
  if (HasNumbering()) {
    std::string type;
    switch (ListType) {
      case rvlstLowerAlpha:
        type = " type=a";
        break;
      case rvlstUpperAlpha:
        type = " type=A";
        break;
      case rvlstLowerRoman:
        type = " type=i";
        break;
      case rvlstUpperRoman:
        type = " type=I";
        break;
      default:
        break;
    }
    RVWriteString(stream, Format("<OL%s%s>", {type, attribute}));
  } else {
    RVWriteString(stream, Format("<UL%s>", {attribute}));
  }
}

void TRVListLevel::HTMLCloseTag(TStream& stream) const {
  RVWriteString(stream, HasNumbering() ? "</OL>" : "</UL>");
}

bool TRVListLevel::IsSimpleEqual(const TRVListLevel& value) const {
  return ListType == value.ListType && StartFrom == value.StartFrom && ImageList == value.ImageList &&
         ImageIndex == value.ImageIndex && FormatString == value.FormatString &&
         FormatStringW == value.FormatStringW && LeftIndent == value.LeftIndent &&
         FirstIndent == value.FirstIndent && MarkerIndent == value.MarkerIndent &&
         MarkerAlignment == value.MarkerAlignment && SameFonts(font_.get(), value.font_.get()) &&
         Options == value.Options && SamePictures(picture_.get(), value.picture_.get());
}

int64_t TRVListLevel::SimilarityValue(const TRVListLevel& value) const {
  int64_t score = ListType == value.ListType ? 5000 : 0;
  const bool equal[] = {StartFrom == value.StartFrom,
                        ImageList == value.ImageList,
                        ImageIndex == value.ImageIndex,
                        FormatString == value.FormatString,
                        FormatStringW == value.FormatStringW,
                        LeftIndent == value.LeftIndent,
                        FirstIndent == value.FirstIndent,
                        MarkerIndent == value.MarkerIndent,
                        MarkerAlignment == value.MarkerAlignment,
                        Options == value.Options,
                        SameFonts(font_.get(), value.font_.get()),
                        SamePictures(picture_.get(), value.picture_.get())};
  for (bool e : equal)
    if (e) score += 100;
  return score;
}

TRVListInfos* TRVListLevel::ListInfos() const {
  auto* levels = dynamic_cast<TRVListLevelCollection*>(Collection());
  if (levels == nullptr) return nullptr;
  auto* list = dynamic_cast<TRVListInfo*>(levels->GetOwner());
  if (list == nullptr) return nullptr;
  return dynamic_cast<TRVListInfos*>(list->Collection());
}

// ---------------------------------------------------------------------------------------
// TRVListLevelCollection

TRVListLevelCollection::TRVListLevelCollection(TRVListInfo* owner)
    : TCollection(CollectionItemClass<TRVListLevel>()), owner_(owner) {}

TPersistent* TRVListLevelCollection::GetOwner() const {
  return owner_;
}

TRVListLevel* TRVListLevelCollection::Items(int index) const {
  return static_cast<TRVListLevel*>(TCollection::Items(index));
}

TRVListLevel* TRVListLevelCollection::AddLevel() {
  return static_cast<TRVListLevel*>(Add());
}

bool TRVListLevelCollection::IsSimpleEqual(const TRVListLevelCollection& value) const {
  if (Count() != value.Count()) return false;
  for (int i = 0; i < Count(); ++i)
    if (!Items(i)->IsSimpleEqual(*value.Items(i))) return false;
  return true;
}

// ---------------------------------------------------------------------------------------
// TRVListInfo

TRVListInfo::TRVListInfo() : levels_(std::make_unique<TRVListLevelCollection>(this)) {
  StyleName = "List Style";
  levels_->SetPropName("Levels");
}

TRVListInfo::~TRVListInfo() = default;

const TPropertyList& TRVListInfo::ClassProperties() {
  using T = TRVListInfo;
  static const TPropertyList list =
      TPropertyBuilder<T>(TCustomRVInfo::ClassProperties())
          .Object("Levels", [](T& l) -> TRVListLevelCollection* { return &l.Levels(); })
          .Boolean("OneLevelPreview", &T::OneLevelPreview, &T::OneLevelPreview)
          .Default(false)
          .Build();
  return list;
}

void TRVListInfo::Assign(const TPersistent* source) {
  if (const auto* l = dynamic_cast<const TRVListInfo*>(source)) {
    if (l != this) levels_->Assign(l->levels_.get());
    OneLevelPreview = l->OneLevelPreview;
  }
  TCustomRVInfo::Assign(source);
}

bool TRVListInfo::SameAs(const TCustomRVInfo& value, bool ignoreID) const {
  (void)ignoreID;
  const auto* l = dynamic_cast<const TRVListInfo*>(&value);
  return l != nullptr && OneLevelPreview == l->OneLevelPreview && levels_->IsSimpleEqual(*l->levels_);
}

bool TRVListInfo::SameAsWithMap(const TCustomRVInfo& value, const TRVIntegerList& mapping) const {
  (void)mapping;
  return SameAs(value, true);
}

int64_t TRVListInfo::SimilarityScore(const TCustomRVInfo& value) const {
  const auto* l = dynamic_cast<const TRVListInfo*>(&value);
  if (l == nullptr) return 0;
  int64_t score = OneLevelPreview == l->OneLevelPreview ? 100 : 0;
  const int common = std::min(levels_->Count(), l->levels_->Count());
  for (int i = 0; i < common; ++i) score += levels_->Items(i)->SimilarityValue(*l->levels_->Items(i));
  score -= 100 * static_cast<int64_t>(std::abs(levels_->Count() - l->levels_->Count()));
  return score;
}

bool TRVListInfo::HasNumberedLevel() const {
  for (int i = 0; i < levels_->Count(); ++i)
    if (levels_->Items(i)->HasNumbering()) return true;
  return false;
}

bool TRVListInfo::HasTextNumberedLevel() const {
  for (int i = 0; i < levels_->Count(); ++i)
    if (levels_->Items(i)->HasTextNumbering()) return true;
  return false;
}

// ---------------------------------------------------------------------------------------
// TRVListInfos

TRVListInfos::TRVListInfos(TCollectionItemClass itemClass, TComponent* owner)
    : TCustomRVInfos(std::move(itemClass), owner) {}

TRVListInfo* TRVListInfos::Items(int index) const {
  return static_cast<TRVListInfo*>(TCollection::Items(index));
}

TRVListInfo* TRVListInfos::AddStyle() {
  return static_cast<TRVListInfo*>(Add());
}

void TRVListInfos::RemoveImageList(const TCustomImageList* imageList) {
  RemoveImageList(static_cast<const TComponent*>(imageList));
}

void TRVListInfos::RemoveImageList(const TComponent* component) {
  if (component == nullptr) return;
  for (int i = 0; i < Count(); ++i) {
    TRVListLevelCollection& levels = Items(i)->Levels();
    for (int j = 0; j < levels.Count(); ++j) {
      TRVListLevel& level = *levels.Items(j);
      if (level.ImageList != nullptr && static_cast<const TComponent*>(level.ImageList) == component)
        level.ImageList = nullptr;
    }
  }
}

void TRVListInfos::LinkToData(TCustomRVData* data, TRVImageListNeeded imageListNeeded) {
  rvData_ = data;
  imageListNeeded_ = std::move(imageListNeeded);
  linked_ = true;
}

void TRVListInfos::UnlinkData() {
  rvData_ = nullptr;
  imageListNeeded_ = nullptr;
  linked_ = false;
}

// ---------------------------------------------------------------------------------------
// Counter texts

std::string RVIntToRoman(int32_t value) {
  if (value < 1) return "?";
  // Beyond 4999 roman numerals are only a run of M's: write the number instead.
  if (value > 4999) return IntToStr(value);
  static const struct {
    int32_t value;
    const char* letters;
  } kRoman[] = {{1000, "M"}, {900, "CM"}, {500, "D"}, {400, "CD"}, {100, "C"}, {90, "XC"}, {50, "L"},
                {40, "XL"},  {10, "X"},   {9, "IX"},  {5, "V"},    {4, "IV"},  {1, "I"}};
  std::string text;
  for (const auto& entry : kRoman)
    while (value >= entry.value) {
      text += entry.letters;
      value -= entry.value;
    }
  return text;
}

std::string RVMarkerCounterText(int32_t counter, TRVListType listType) {
  switch (listType) {
    case rvlstDecimal:
    case rvlstImageListCounter:
      return IntToStr(counter);
    case rvlstLowerAlpha:
    case rvlstUpperAlpha: {
      const char first = listType == rvlstLowerAlpha ? 'a' : 'A';
      std::string text;
      int64_t c = counter;
      while (c > 0) {
        text.insert(text.begin(), static_cast<char>(first + (c - 1) % 26));
        c = (c - 1) / 26;
      }
      return text;
    }
    case rvlstLowerRoman:
      return LowerCase(RVIntToRoman(counter));
    case rvlstUpperRoman:
      return RVIntToRoman(counter);
    default:
      return {};
  }
}

namespace {

// True when a directive of the template asks for a field wider than `limit` characters
// (a width or a precision), which a marker never needs.
bool HasOversizedField(std::string_view fmt, int limit) {
  for (size_t i = 0; i < fmt.size(); ++i) {
    if (fmt[i] != '%') continue;
    ++i;
    while (i < fmt.size() && fmt[i] != '%' && !std::isalpha(static_cast<unsigned char>(fmt[i]))) {
      if (std::isdigit(static_cast<unsigned char>(fmt[i]))) {
        int64_t number = 0;
        while (i < fmt.size() && std::isdigit(static_cast<unsigned char>(fmt[i]))) {
          number = std::min<int64_t>(number * 10 + (fmt[i] - '0'), 1'000'000);
          ++i;
        }
        // An argument index ("%3:s") is not a width.
        if (number > limit && (i >= fmt.size() || fmt[i] != ':')) return true;
        continue;
      }
      ++i;
    }
  }
  return false;
}

}  // namespace

std::string RVFormatMarkerText(const std::string& formatString, std::span<const std::string> args) {
  const size_t count = std::min(args.size(), static_cast<size_t>(RVMaxListLevels));
  const std::string fallback = count > 0 ? args[count - 1] : std::string();
  if (HasOversizedField(formatString, 1000)) return fallback;
  std::vector<FormatArg> formatArgs(args.begin(), args.begin() + static_cast<std::ptrdiff_t>(count));
  try {
    return Format(formatString, formatArgs);
  } catch (const EConvertError&) {
    return fallback;
  }
}
