// Paragraph styles: TParaInfo (alignment, indents, spacing, line spacing, options, border and
// background) with its persistent parts TRVRect, TRVBooleanRect, TRVBorder and
// TRVBackgroundRect, and the collection TParaInfos with its substitute for bad indexes.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/core/Colors.h"
#include "platform/graphics/GraphicsTypes.h"
#include "richtext/core/RVFuncs.h"  // TRVColorMode, TRVFormatScale
#include "richtext/core/RVStyleInfo.h"

class TCanvas;

/// Four distances around a rectangle, in pixels. Published as Left, Right, Top, Bottom.
class TRVRect : public TPersistent {
  ZUK_PUBLISHED(TRVRect)

 public:
  std::string ClassName() const override { return "TRVRect"; }
  void Assign(const TPersistent* source) override;

  void SetAll(int32_t value);
  void AssignToRect(TRect& rect) const;
  /// Raises each side of `rect` to this side when it is smaller.
  void AssignToRectIfGreater(TRect& rect) const;
  /// Left -= Left, Top -= Top, Right += Right, Bottom += Bottom.
  void InflateRect(TRect& rect) const;
  /// InflateRect with each value scaled from the screen to the device.
  void InflateRectScaled(TRect& rect, const TRVFormatScale& resolution) const;
  bool IsEqual(const TRVRect& value) const;
  bool IsEqualEx(const TRVRect& value, bool ignoreLeft, bool ignoreTop, bool ignoreRight,
                 bool ignoreBottom) const;
  /// Sum over the four sides of RVIntegerSimilarity(this side, value's side, weight).
  int64_t SimilarityValue(const TRVRect& value, int32_t weight) const;

  int32_t Top = 0;
  int32_t Left = 0;
  int32_t Right = 0;
  int32_t Bottom = 0;
};

/// Four flags, one a side. Published as Left, Right, Top, Bottom (default True each).
class TRVBooleanRect : public TPersistent {
  ZUK_PUBLISHED(TRVBooleanRect)

 public:
  explicit TRVBooleanRect(bool value = true);
  std::string ClassName() const override { return "TRVBooleanRect"; }
  void Assign(const TPersistent* source) override;

  void SetAll(bool value);
  void SetValues(bool left, bool top, bool right, bool bottom);
  bool IsEqual(const TRVBooleanRect& value) const;
  bool IsEqualTo(bool left, bool top, bool right, bool bottom) const;
  /// True when all four flags equal `value`.
  bool IsAllEqual(bool value) const;
  bool IsEqualEx(const TRVBooleanRect& value, bool ignoreLeft, bool ignoreTop, bool ignoreRight,
                 bool ignoreBottom) const;

  bool Top = true;
  bool Left = true;
  bool Right = true;
  bool Bottom = true;
};

enum TRVBorderStyle : uint8_t {
  rvbNone = 0,
  rvbSingle = 1,
  rvbDouble = 2,
  rvbTriple = 3,
  rvbThickInside = 4,
  rvbThickOutside = 5,
};

/// Bits of TParaInfo::IsEqual's ignore list: bit n set skips property n.
enum TRVParaInfoProperty : int {
  rvpiFirstIndent = 0,
  rvpiLeftIndent = 1,
  rvpiRightIndent = 2,
  rvpiSpaceBefore = 3,
  rvpiSpaceAfter = 4,
  rvpiAlignment = 5,
  rvpiNextParaNo = 6,
  rvpiLineSpacing = 7,
  rvpiLineSpacingType = 8,
  rvpiBackground_Color = 9,
  rvpiBackground_BO_Left = 10,
  rvpiBackground_BO_Top = 11,
  rvpiBackground_BO_Right = 12,
  rvpiBackground_BO_Bottom = 13,
  rvpiBorder_Color = 14,
  rvpiBorder_Style = 15,
  rvpiBorder_Width = 16,
  rvpiBorder_InternalWidth = 17,
  rvpiBorder_BO_Left = 18,
  rvpiBorder_BO_Top = 19,
  rvpiBorder_BO_Right = 20,
  rvpiBorder_BO_Bottom = 21,
  rvpiBorder_Vis_Left = 22,
  rvpiBorder_Vis_Top = 23,
  rvpiBorder_Vis_Right = 24,
  rvpiBorder_Vis_Bottom = 25,
  rvpiNoWrap = 26,
  rvpiReadOnly = 27,
  rvpiStyleProtect = 28,
  rvpiDoNotWantReturns = 29,
  rvpiBiDiMode = 30,
};
using TRVParaInfoProperties = uint32_t;
/// Every property of TParaInfo::IsEqual.
constexpr TRVParaInfoProperties RVAllParaInfoProperties = 0x7FFFFFFF;

/// The border drawn around a paragraph.
class TRVBorder : public TPersistent {
  ZUK_PUBLISHED(TRVBorder)

 public:
  TRVBorder();
  ~TRVBorder() override;
  std::string ClassName() const override { return "TRVBorder"; }
  void Assign(const TPersistent* source) override;

  TRVBooleanRect& VisibleBorders() const { return *visibleBorders_; }
  void SetVisibleBorders(const TRVBooleanRect& value) { visibleBorders_->Assign(&value); }
  TRVRect& BorderOffsets() const { return *borderOffsets_; }
  void SetBorderOffsets(const TRVRect& value) { borderOffsets_->Assign(&value); }

  /// Draws the border around `rect` grown by the offsets (screen, colour mode 0).
  void Draw(TRect rect, TCanvas& canvas) const;
  /// The same on a device: offsets and widths scaled by its vertical pixels per inch.
  void DrawScaled(TRect rect, TCanvas& canvas, TRVColorMode colorMode,
                  const TRVFormatScale& resolution) const;
  /// The drawn width of all lines and gaps of one side.
  int32_t GetTotalWidth() const;
  bool IsEqual(const TRVBorder& value) const;
  /// Compares the border properties (bits 14 to 25) not set in `ignoreList`.
  bool IsEqualEx(const TRVBorder& value, TRVParaInfoProperties ignoreList) const;
  int64_t SimilarityValue(const TRVBorder& value) const;

  TColor Color = clWindowText;
  TRVBorderStyle Style = rvbNone;
  int32_t Width = 1;
  int32_t InternalWidth = 1;

 private:
  void DoDraw(TRect rect, TCanvas& canvas, int32_t width, int32_t internalWidth, int32_t onePixel,
              TRVColorMode colorMode) const;

  std::unique_ptr<TRVBooleanRect> visibleBorders_;
  std::unique_ptr<TRVRect> borderOffsets_;
};

/// The background filled behind a paragraph.
class TRVBackgroundRect : public TPersistent {
  ZUK_PUBLISHED(TRVBackgroundRect)

 public:
  TRVBackgroundRect();
  ~TRVBackgroundRect() override;
  std::string ClassName() const override { return "TRVBackgroundRect"; }
  void Assign(const TPersistent* source) override;

  TRVRect& BorderOffsets() const { return *borderOffsets_; }
  void SetBorderOffsets(const TRVRect& value) { borderOffsets_->Assign(&value); }

  void ExpandRect(TRect& rect) const { borderOffsets_->InflateRect(rect); }
  void ExpandRectScaled(TRect& rect, const TRVFormatScale& resolution) const {
    borderOffsets_->InflateRectScaled(rect, resolution);
  }
  /// Fills `rect` (its right and bottom one pixel larger) with the colour; nothing for
  /// clNone, or when printing in colour modes 3 and 4.
  void Draw(TRect rect, TCanvas& canvas, bool printing, TRVColorMode colorMode) const;
  bool IsEqual(const TRVBackgroundRect& value) const;
  /// Compares the background properties (bits 9 to 13) not set in `ignoreList`.
  bool IsEqualEx(const TRVBackgroundRect& value, TRVParaInfoProperties ignoreList) const;
  int64_t SimilarityValue(const TRVBackgroundRect& value) const;

  TColor Color = clNone;

 private:
  std::unique_ptr<TRVRect> borderOffsets_;
};

enum TRVLineSpacingType : uint8_t {
  rvlsPercent = 0,       // LineSpacing is a percentage of the line height
  rvlsSpaceBetween = 1,  // LineSpacing is extra pixels between lines
};

enum TRVAlignment : uint8_t { rvaLeft = 0, rvaRight = 1, rvaCenter = 2, rvaJustify = 3 };

/// Paragraph options (bits).
using TRVParaOptions = uint8_t;
constexpr TRVParaOptions rvpaoNoWrap = 0x01;
constexpr TRVParaOptions rvpaoReadOnly = 0x02;
constexpr TRVParaOptions rvpaoStyleProtect = 0x04;
constexpr TRVParaOptions rvpaoDoNotWantReturns = 0x08;

/// A paragraph style. Its published properties, nested ones included ("Border.Width"), are
/// a stored format.
class TParaInfo : public TCustomRVInfo {
  ZUK_PUBLISHED(TParaInfo)

 public:
  TParaInfo();
  ~TParaInfo() override;
  std::string ClassName() const override { return "TParaInfo"; }

  /// From a TParaInfo every field (border and background by value); otherwise only the
  /// inherited assignment.
  void Assign(const TPersistent* source) override;

  TRVBorder& Border() const { return *border_; }
  void SetBorder(const TRVBorder& value) { border_->Assign(&value); }
  TRVBackgroundRect& Background() const { return *background_; }
  void SetBackground(const TRVBackgroundRect& value) { background_->Assign(&value); }

  bool SameAs(const TCustomRVInfo& value, bool ignoreNextParaNo) const override;
  bool SameAsWithMap(const TCustomRVInfo& value, const TRVIntegerList& mapping) const override;
  int64_t SimilarityScore(const TCustomRVInfo& value) const override;
  bool IsEqual(const TParaInfo& value, TRVParaInfoProperties ignoreList) const;
  void RemapReferences(const TRVIntegerList& mapping) override;
  /// True when lines are spaced wider than single spacing.
  bool ExtraLineSpacing() const;

  // Fields in declaration order (the published order is in ClassProperties).
  int32_t FirstIndent = 0;
  int32_t LeftIndent = 0;
  int32_t RightIndent = 0;
  int32_t SpaceBefore = 0;
  int32_t SpaceAfter = 0;
  int32_t LineSpacing = 100;
  TRVLineSpacingType LineSpacingType = rvlsPercent;
  TRVAlignment Alignment = rvaLeft;
  int32_t NextParaNo = -1;
  TRVParaOptions Options = 0;
  TRVBiDiMode BiDiMode = rvbdUnspecified;

 private:
  std::unique_ptr<TRVBorder> border_;
  std::unique_ptr<TRVBackgroundRect> background_;
};

/// The paragraph styles of a style sheet.
class TParaInfos : public TCustomRVInfos {
 public:
  TParaInfos(TCollectionItemClass itemClass, TComponent* owner);
  ~TParaInfos() override;
  std::string ClassName() const override { return "TParaInfos"; }

  /// The style at `index`, or the substitute (style 0 with a red two-pixel border and
  /// one-pixel indents and spacing) outside 0..Count-1. Never null.
  TParaInfo* Items(int index) const;
  TParaInfo& operator[](int index) const { return *Items(index); }
  TParaInfo* AddStyle();
  /// `baseStyle` when `style` equals it in the properties of `mask`, else the first other
  /// such index, else -1.
  int FindStyleLike(int baseStyle, const TParaInfo& style, TRVParaInfoProperties mask) const;

 private:
  mutable std::unique_ptr<TParaInfo> invalidItem_;
};
