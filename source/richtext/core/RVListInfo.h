// List styles: TRVListInfo with its levels (TRVListLevel in a TRVListLevelCollection), the
// marker font TRVMarkerFont and the collection TRVListInfos; and the counter texts of
// numbered markers (decimal, letters, roman numerals) with the safe filling of a level's
// number template.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>

#include "platform/graphics/Font.h"
#include "richtext/core/RVStyleInfo.h"

class TCustomImageList;
class TCustomRVData;
class TPicture;
class TRVListInfo;
class TRVListInfos;
class TStream;

enum TRVListType : uint8_t {
  rvlstBullet = 0,            // FormatString drawn as it is
  rvlstPicture = 1,           // the level's Picture
  rvlstImageList = 2,         // image ImageIndex of ImageList
  rvlstDecimal = 3,           // 1, 2, 3
  rvlstLowerAlpha = 4,        // a, b, c
  rvlstUpperAlpha = 5,        // A, B, C
  rvlstLowerRoman = 6,        // i, ii, iii
  rvlstUpperRoman = 7,        // I, II, III
  rvlstImageListCounter = 8,  // image ImageIndex + counter - 1
  rvlstUnicodeBullet = 9,     // FormatStringW drawn as it is
};

enum TRVMarkerAlignment : uint8_t { rvmaLeft = 0, rvmaRight = 1, rvmaCenter = 2 };

/// Numbering behaviour of a level (bits).
using TRVListLevelOptions = uint8_t;
constexpr TRVListLevelOptions rvloContinuous = 0x01;
constexpr TRVListLevelOptions rvloLevelReset = 0x02;
constexpr TRVListLevelOptions rvloLegalStyleNumbering = 0x04;

/// Most levels a list style's numbering looks at (template arguments 0..255).
constexpr int RVMaxListLevels = 256;

/// The font of a level's marker: "Arial" 8 pt by default; the name is stored only when it
/// is not "Arial", the height only when the size is not 8.
class TRVMarkerFont : public TFont {
  ZUK_PUBLISHED(TRVMarkerFont)

 public:
  TRVMarkerFont();
  std::string ClassName() const override { return "TRVMarkerFont"; }
  /// Size 8, clWindowText, DEFAULT_CHARSET, no style, name "Arial" (any case).
  bool IsDefault() const;
  /// Equal height, style, colour, charset and name (case-insensitive).
  bool IsEqual(const TRVMarkerFont& value) const;
};

/// One level of a list style.
class TRVListLevel : public TCollectionItem {
  ZUK_PUBLISHED(TRVListLevel)

 public:
  TRVListLevel();
  ~TRVListLevel() override;
  std::string ClassName() const override { return "TRVListLevel"; }

  void Assign(const TPersistent* source) override;
  /// "List Level n".
  std::string GetDisplayName() const override;
  /// "ILTag" (while linked to a document), "FormatStringWCode", "FormatStringCode".
  void DefineProperties(TFiler& filer) override;

  /// The marker picture, made on first use.
  TPicture& Picture();
  /// The picture if one was made, else null.
  TPicture* PictureIfAny() const { return picture_.get(); }
  /// Copies a picture with a graphic (the copy drawn transparent); null or one without a
  /// graphic frees the level's picture.
  void SetPicture(const TPicture* value);
  /// The marker font, made on first use.
  TRVMarkerFont& Font();
  TRVMarkerFont* FontIfAny() const { return font_.get(); }
  /// Copies the font; null frees the level's font.
  void SetFont(const TFont* value);

  bool HasPicture() const;
  bool HasNumbering() const { return ListType >= rvlstDecimal && ListType <= rvlstImageListCounter; }
  bool HasTextNumbering() const { return ListType >= rvlstDecimal && ListType <= rvlstUpperRoman; }
  bool UsesFont() const {
    return ListType == rvlstBullet || HasTextNumbering() || ListType == rvlstUnicodeBullet;
  }
  /// A bullet level whose text is empty or blank: its paragraphs show no marker.
  bool HasNoMarker() const {
    return ListType == rvlstBullet && FormatString.find_first_not_of(' ') == std::string::npos;
  }
  /// "text-indent: Npx; margin-left: Npx;" for the HTML writer.
  std::string GetIndentCSS() const;
  /// Writes "<OL ...>" or "<UL ...>" (no line break).
  void HTMLOpenTag(TStream& stream, bool useCSS) const;
  void HTMLCloseTag(TStream& stream) const;
  bool IsSimpleEqual(const TRVListLevel& value) const;
  int64_t SimilarityValue(const TRVListLevel& value) const;

  /// The list style collection this level belongs to, or null.
  TRVListInfos* ListInfos() const;

  // Fields in declaration order (the published order is in ClassProperties).
  TRVListType ListType = rvlstBullet;
  TCustomImageList* ImageList = nullptr;
  int32_t ImageIndex = 0;
  std::string FormatString = "\xB7";
  std::u16string FormatStringW;
  int32_t LeftIndent = 0;
  int32_t FirstIndent = 10;
  int32_t MarkerIndent = 0;
  TRVMarkerAlignment MarkerAlignment = rvmaLeft;
  TRVListLevelOptions Options = rvloContinuous | rvloLevelReset;
  int32_t StartFrom = 1;

 private:
  std::unique_ptr<TPicture> picture_;
  std::unique_ptr<TRVMarkerFont> font_;
};

/// The levels of a list style.
class TRVListLevelCollection : public TCollection {
 public:
  explicit TRVListLevelCollection(TRVListInfo* owner);
  std::string ClassName() const override { return "TRVListLevelCollection"; }
  TPersistent* GetOwner() const override;

  /// The level at `index`; EListError outside 0..Count-1.
  TRVListLevel* Items(int index) const;
  TRVListLevel& operator[](int index) const { return *Items(index); }
  TRVListLevel* AddLevel();
  /// Same count and every level pairwise IsSimpleEqual.
  bool IsSimpleEqual(const TRVListLevelCollection& value) const;

 private:
  TRVListInfo* owner_;
};

/// A list style.
class TRVListInfo : public TCustomRVInfo {
  ZUK_PUBLISHED(TRVListInfo)

 public:
  TRVListInfo();
  ~TRVListInfo() override;
  std::string ClassName() const override { return "TRVListInfo"; }
  void Assign(const TPersistent* source) override;

  TRVListLevelCollection& Levels() const { return *levels_; }
  void SetLevels(const TRVListLevelCollection& value) { levels_->Assign(&value); }

  bool SameAs(const TCustomRVInfo& value, bool ignoreID) const override;
  bool SameAsWithMap(const TCustomRVInfo& value, const TRVIntegerList& mapping) const override;
  int64_t SimilarityScore(const TCustomRVInfo& value) const override;
  bool HasNumberedLevel() const override;
  bool HasTextNumberedLevel() const;

  bool OneLevelPreview = false;

 private:
  std::unique_ptr<TRVListLevelCollection> levels_;
};

/// Finds the image list a document knows under a tag (the document's image-list request).
using TRVImageListNeeded = std::function<TCustomImageList*(int32_t tag)>;

/// The list styles of a style sheet.
class TRVListInfos : public TCustomRVInfos {
 public:
  TRVListInfos(TCollectionItemClass itemClass, TComponent* owner);
  std::string ClassName() const override { return "TRVListInfos"; }

  /// The style at `index`; EListError outside 0..Count-1.
  TRVListInfo* Items(int index) const;
  TRVListInfo& operator[](int index) const { return *Items(index); }
  TRVListInfo* AddStyle();
  /// Clears ImageList in every level that refers to `imageList`.
  void RemoveImageList(const TCustomImageList* imageList);
  /// The same for a component that is being destroyed (and so may no longer be known as an
  /// image list): levels are matched by address.
  void RemoveImageList(const TComponent* component);

  /// Links the collection to a document while it is written or read as RVF: levels then
  /// store their image lists as "ILTag" and find them through `imageListNeeded`.
  void LinkToData(TCustomRVData* data, TRVImageListNeeded imageListNeeded);
  void UnlinkData();
  bool Linked() const { return linked_; }
  TCustomRVData* RVData() const { return rvData_; }
  const TRVImageListNeeded& ImageListNeeded() const { return imageListNeeded_; }

 protected:
  /// -1: a marker whose list does not exist has no list.
  int MapIndexWhenEmpty() const override { return -1; }

 private:
  TCustomRVData* rvData_ = nullptr;
  TRVImageListNeeded imageListNeeded_;
  bool linked_ = false;
};

// ---------------------------------------------------------------------------------------
// Counter texts of numbered markers.

/// Roman numerals of `value`: "?" below 1; decimal above 4999, where roman numerals would
/// only repeat M.
std::string RVIntToRoman(int32_t value);
/// The counter as the list type writes it: decimal (also for image-list counters), letters
/// (bijective base 26; empty below 1), roman; empty for the other types.
std::string RVMarkerCounterText(int32_t counter, TRVListType listType);
/// Fills a level's number template: `args[n]` is the counter text of level n (at most
/// RVMaxListLevels arguments). The template goes through the safe Format subset; a template
/// that does not fit its arguments, or asks for a field wider than 1000 characters, yields
/// the text of the deepest argument given.
std::string RVFormatMarkerText(const std::string& formatString, std::span<const std::string> args);
