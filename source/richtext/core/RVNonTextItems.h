// The document items that carry no text of their own: the horizontal line (break),
// pictures and hypertext pictures, image-list images (bullets) and their hypertext form
// (hotspots), and embedded controls. Each kind answers the sizes formatting asks for, draws
// itself with its selection and hover frames, answers the feature queries, and reads and
// sets its integer properties by code (the RVF extra properties).
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "richtext/core/RVItem.h"

class TControl;
class TCustomImageList;
class TGraphic;

/// The rich-text core's start-up call: installs the classes above (and the list marker) as
/// the factory's built-in kinds, after the built-in graphic classes. Calling it again does
/// nothing new.
void RVRegisterNonTextItemClasses();

/// Horizontal line across the whole line, StyleNo -1.
class TRVBreakItemInfo : public TRVFullLineItemInfo {
  ZUK_RV_ITEM_CLASS(TRVBreakItemInfo)

 public:
  explicit TRVBreakItemInfo(TCustomRVData* RVData);
  /// A break of the given look, with StyleNo -1.
  static std::unique_ptr<TRVBreakItemInfo> CreateEx(TCustomRVData* RVData, uint8_t LineWidth, uint8_t Style,
                                                    TColor Color);

  /// No data lines in RVF.
  bool QueryFeature(int Code) const override;
  /// Printed directly, never through a bitmap.
  bool QueryFeatureForStyle(int Code, TRVStyle* Style) const override;
  /// The rule at Top + 5 from Left + 5 to Right - 5; selection lines above and below it.
  void PaintFullWidth(int32_t Left, int32_t Right, int32_t Top, TCanvas& Canvas, TRVItemDrawStates State,
                      TRVStyle* Style, const TRect& ClipRect, TRVDrawLineInfo* DrawItem) override;
  /// The rule on a printer canvas: (X, Y) is the piece's corner on the page, the piece's
  /// width the length of the line; sizes scale to the canvas's resolution (RVItemPrint.cpp).
  void PrintDirect(TCanvas& Canvas, int32_t X, int32_t Y, bool Preview, bool Correction,
                   TCustomRVData* RVData, TRVColorMode ColorMode, int PartIndex,
                   TRVDrawLineInfo* DrawItem) override;
  /// "Color Style LineWidth".
  std::string GetRVFHeaderParams(TCustomRVData* RVData) const override;
  bool ReadRVFHeaderParams(std::string_view& P, TCustomRVData* RVData) override;
  void SaveRVF(TStream& Stream, TCustomRVData* RVData, int ItemNo, int32_t ParaNo, const std::string& Name,
               const TRVMultiDrawItemPart* Part, bool ForceSameAsPrev) override;
  /// RTF: see RVItemRTF.cpp.
  void SaveRTF(TStream& Stream, TCustomRVData* RVData, int ItemNo, const std::string& Text, double tpp,
               int Level, TRVColorList& ColorList, TRVIntegerList& StyleToFont,
               TRVIntegerList& ListOverrideCounts, TRVIntegerList& ListOverrideOffsets,
               TRVRTFFontTable& FontTable) override;
  void FillRTFTables(TRVColorList& ColorList, TRVIntegerList& ListOverrideCounts,
                     TCustomRVData* RVData) override;
  void CopyProperties(const TCustomRVItemInfo& Source) override;
  /// HTML: see RVItemHTML.cpp.
  bool SaveHTML(TStream& Stream, TCustomRVData* RVData, int ItemNo, const std::string& Text,
                const std::string& Path, const std::string& ImagesPrefix, int& imgSaveNo,
                TColor CurrentFileColor, TRVHTMLSaveOptions Options, bool UseCSS,
                TRVHTMLBulletList* Bullets) override;
  /// LineWidth (at least 1) times "-" for a line thinner than 2 pixels, else "=".
  std::string GetPlainText(int32_t LineWidth, TCustomRVData* RVData, const std::string& Text,
                           const std::string& Path, bool TextOnly, bool Unicode) override;

  /// The colour the rule is drawn in: Color, or text style 0's colour for clNone.
  TColor GetLineColor(TRVStyle* Style) const;

  uint8_t LineWidth = 1;  // pen width in screen pixels
  uint8_t Style = 0;      // break style number, kept and saved as it is
  TColor Color = clNone;  // clNone: the colour of text style 0
};

/// A picture, StyleNo -3. Owns its picture and the palette copy of it.
class TRVGraphicItemInfo : public TRVRectItemInfo {
  ZUK_RV_ITEM_CLASS(TRVGraphicItemInfo)

 public:
  explicit TRVGraphicItemInfo(TCustomRVData* RVData);
  ~TRVGraphicItemInfo() override;
  /// A picture item (StyleNo -3) holding Picture, with vertical alignment VAlign.
  static std::unique_ptr<TRVGraphicItemInfo> CreateWithPicture(TCustomRVData* RVData,
                                                               std::unique_ptr<TGraphic> Picture,
                                                               uint8_t VAlign);

  int32_t GetMinimumWidth(const TRVFormatScale* ScreenAndDevice, TCanvas* Canvas) override;
  TGraphic* GetItemPicture() override { return Image.get(); }
  bool QueryFeature(int Code) const override;
  bool QueryFeatureForStyle(int Code, TRVStyle* Style) const override;
  void Paint(int32_t X, int32_t Y, TCanvas& Canvas, TRVItemDrawStates State, TRVStyle* Style,
             TRVDrawLineInfo* DrawItem) override;
  /// ImageWidth (ImageHeight) when 1 or more, else the picture's own (0 without one).
  /// Printing (RVItemPrint.cpp): the picture into a bitmap sized for it (a part of a split
  /// picture shifted up by the part's first row), or stretched straight onto the canvas.
  bool PrintToBitmap(TBitmap& Bitmap, bool Preview, TCustomRVData* RVData, TRVColorMode ColorMode,
                     int PartIndex, TRVDrawLineInfo* DrawItem) override;
  void PrintDirect(TCanvas& Canvas, int32_t X, int32_t Y, bool Preview, bool Correction,
                   TCustomRVData* RVData, TRVColorMode ColorMode, int PartIndex,
                   TRVDrawLineInfo* DrawItem) override;
  /// A piece that can be split across pages when MinHeightOnPage is set and the picture is
  /// not shown at another height.
  std::unique_ptr<TRVDrawLineInfo> CreateDrawItem(TCustomRVData* RVData,
                                                  const TRVFormatScale* ScreenAndDevice) override;
  int32_t GetImageWidth(TRVStyle* Style) const override;
  int32_t GetImageHeight(TRVStyle* Style) const override;
  int32_t GetTotalWidth() const override { return GetImageWidth(nullptr) + 2 * Spacing; }
  int32_t GetTotalHeight() const override { return GetImageHeight(nullptr) + 2 * Spacing; }
  /// "VAlign".
  std::string GetRVFHeaderParams(TCustomRVData* RVData) const override;
  bool ReadRVFLine(std::string_view S, TRVFLineContext& Context) override;
  void SaveRVF(TStream& Stream, TCustomRVData* RVData, int ItemNo, int32_t ParaNo, const std::string& Name,
               const TRVMultiDrawItemPart* Part, bool ForceSameAsPrev) override;
  int CountRVFExtraProperties() const override;
  void SaveRVFExtraProperties(TStream& Stream) const override;
  /// RTF: see RVItemRTF.cpp.
  void SaveRTF(TStream& Stream, TCustomRVData* RVData, int ItemNo, const std::string& Text, double tpp,
               int Level, TRVColorList& ColorList, TRVIntegerList& StyleToFont,
               TRVIntegerList& ListOverrideCounts, TRVIntegerList& ListOverrideOffsets,
               TRVRTFFontTable& FontTable) override;
  /// Copies the pictures (as new graphics of their classes) and the display size.
  void CopyProperties(const TCustomRVItemInfo& Source) override;
  void UpdatePaletteInfo(TRVPaletteAction Action, bool ForceRecreateCopy, TRVPalette Palette) override;
  /// Frees the palette copy, then the base detach.
  void DetachFromData(TCustomRVData* RVData, int ItemNo) override;
  bool SetIntPropertyByCode(int Code, int32_t Value) override;
  bool GetIntPropertyByCode(int Code, int32_t& Value) const override;
  /// HTML: see RVItemHTML.cpp.
  bool SaveHTML(TStream& Stream, TCustomRVData* RVData, int ItemNo, const std::string& Text,
                const std::string& Path, const std::string& ImagesPrefix, int& imgSaveNo,
                TColor CurrentFileColor, TRVHTMLSaveOptions Options, bool UseCSS,
                TRVHTMLBulletList* Bullets) override;

  std::unique_ptr<TGraphic> Image;
  std::unique_ptr<TGraphic> ImageCopy;  // palette-adjusted copy used for drawing; may be null
  int32_t ImageWidth = 0;               // below 1: the picture's own width
  int32_t ImageHeight = 0;              // below 1: the picture's own height
};

/// A hypertext picture, StyleNo -10: a picture that answers as a hyperlink.
class TRVHotGraphicItemInfo : public TRVGraphicItemInfo {
  ZUK_RV_ITEM_CLASS(TRVHotGraphicItemInfo)

 public:
  explicit TRVHotGraphicItemInfo(TCustomRVData* RVData) : TRVGraphicItemInfo(RVData) {}
  /// A hypertext picture (StyleNo -10) holding Picture.
  static std::unique_ptr<TRVHotGraphicItemInfo> CreateWithPicture(TCustomRVData* RVData,
                                                                  std::unique_ptr<TGraphic> Picture,
                                                                  uint8_t VAlign);

  bool QueryFeatureForStyle(int Code, TRVStyle* Style) const override;
  void FireJump(TCustomRVData* RVData) override;
};

/// An image of an image list, StyleNo -6. The image list belongs to someone else.
class TRVBulletItemInfo : public TRVRectItemInfo {
  ZUK_RV_ITEM_CLASS(TRVBulletItemInfo)

 public:
  explicit TRVBulletItemInfo(TCustomRVData* RVData) : TRVRectItemInfo(RVData) {}
  /// A bullet (StyleNo -6) showing image ImageIndex of ImageList.
  static std::unique_ptr<TRVBulletItemInfo> CreateEx(TCustomRVData* RVData, TCustomImageList* ImageList,
                                                     int32_t ImageIndex, uint8_t VAlign);

  int32_t GetMinimumWidth(const TRVFormatScale* ScreenAndDevice, TCanvas* Canvas) override;
  bool QueryFeature(int Code) const override;
  /// Draws image GetImageIndexToDraw at (X + S, Y + S), blended with the selection colour
  /// when selected; a hover frame on the spacing rectangle.
  void Paint(int32_t X, int32_t Y, TCanvas& Canvas, TRVItemDrawStates State, TRVStyle* Style,
             TRVDrawLineInfo* DrawItem) override;
  /// The image list's image size (0 without a list).
  int32_t GetImageWidth(TRVStyle* Style) const override;
  int32_t GetImageHeight(TRVStyle* Style) const override;
  int32_t GetTotalWidth() const override { return GetImageWidth(nullptr) + 2 * Spacing; }
  int32_t GetTotalHeight() const override { return GetImageHeight(nullptr) + 2 * Spacing; }
  /// Prints image ImageIndex at the bitmap's corner (RVItemPrint.cpp).
  bool PrintToBitmap(TBitmap& Bitmap, bool Preview, TCustomRVData* RVData, TRVColorMode ColorMode,
                     int PartIndex, TRVDrawLineInfo* DrawItem) override;
  /// The image drawn: ImageIndex (a hotspot shows HotImageIndex while Hot).
  virtual int32_t GetImageIndexToDraw(bool Hot) const {
    (void)Hot;
    return ImageIndex;
  }
  /// True when the image to draw exists in the list (0 <= index < Count).
  bool HasImageToDraw(bool Hot) const;
  /// "ImageListTag ImageIndex" (the image list's Tag, 0 without a list).
  std::string GetRVFHeaderParams(TCustomRVData* RVData) const override;
  bool ReadRVFHeaderParams(std::string_view& P, TCustomRVData* RVData) override;
  bool ReadRVFLine(std::string_view S, TRVFLineContext& Context) override;
  void SaveRVF(TStream& Stream, TCustomRVData* RVData, int ItemNo, int32_t ParaNo, const std::string& Name,
               const TRVMultiDrawItemPart* Part, bool ForceSameAsPrev) override;
  /// Checks an image index read from RVF against the image list: one outside it warns and
  /// becomes 0 with rvfoConvLargeImageIdxToZero, else fails.
  bool CheckRVFImageIndex(int32_t& Index, TCustomRVData* RVData) const;
  /// RTF: see RVItemRTF.cpp.
  void SaveRTF(TStream& Stream, TCustomRVData* RVData, int ItemNo, const std::string& Text, double tpp,
               int Level, TRVColorList& ColorList, TRVIntegerList& StyleToFont,
               TRVIntegerList& ListOverrideCounts, TRVIntegerList& ListOverrideOffsets,
               TRVRTFFontTable& FontTable) override;
  void CopyProperties(const TCustomRVItemInfo& Source) override;
  /// HTML: see RVItemHTML.cpp.
  bool SaveHTML(TStream& Stream, TCustomRVData* RVData, int ItemNo, const std::string& Text,
                const std::string& Path, const std::string& ImagesPrefix, int& imgSaveNo,
                TColor CurrentFileColor, TRVHTMLSaveOptions Options, bool UseCSS,
                TRVHTMLBulletList* Bullets) override;

  TCustomImageList* ImageList = nullptr;
  int32_t ImageIndex = 0;
};

/// A hypertext image-list image, StyleNo -4, with another image under the mouse.
class TRVHotspotItemInfo : public TRVBulletItemInfo {
  ZUK_RV_ITEM_CLASS(TRVHotspotItemInfo)

 public:
  explicit TRVHotspotItemInfo(TCustomRVData* RVData) : TRVBulletItemInfo(RVData) {}
  /// A hotspot (StyleNo -4) of ImageList showing ImageIndex, and HotImageIndex under the
  /// mouse.
  static std::unique_ptr<TRVHotspotItemInfo> CreateEx(TCustomRVData* RVData, TCustomImageList* ImageList,
                                                      int32_t ImageIndex, int32_t HotImageIndex,
                                                      uint8_t VAlign);

  bool QueryFeatureForStyle(int Code, TRVStyle* Style) const override;
  int32_t GetImageIndexToDraw(bool Hot) const override { return Hot ? HotImageIndex : ImageIndex; }
  /// "ImageListTag ImageIndex HotImageIndex".
  std::string GetRVFHeaderParams(TCustomRVData* RVData) const override;
  bool ReadRVFHeaderParams(std::string_view& P, TCustomRVData* RVData) override;
  void SaveRVF(TStream& Stream, TCustomRVData* RVData, int ItemNo, int32_t ParaNo, const std::string& Name,
               const TRVMultiDrawItemPart* Part, bool ForceSameAsPrev) override;
  void CopyProperties(const TCustomRVItemInfo& Source) override;
  void FireJump(TCustomRVData* RVData) override;

  int32_t HotImageIndex = 0;
};

/// An embedded control, StyleNo -5. Owns its control; the control paints itself.
class TRVControlItemInfo : public TRVRectItemInfo {
  ZUK_RV_ITEM_CLASS(TRVControlItemInfo)

 public:
  explicit TRVControlItemInfo(TCustomRVData* RVData);
  ~TRVControlItemInfo() override;
  /// A control item (StyleNo -5) holding Control, with vertical alignment VAlign. A control
  /// that has an owner component is taken from it: the item alone owns its control.
  static std::unique_ptr<TRVControlItemInfo> CreateEx(TCustomRVData* RVData,
                                                      std::unique_ptr<TControl> Control, uint8_t VAlign);

  /// The control's width plus twice the spacing; 20 when the width follows the line.
  int32_t GetMinimumWidth(const TRVFormatScale* ScreenAndDevice, TCanvas* Canvas) override;
  bool QueryFeature(int Code) const override;
  bool QueryFeatureForStyle(int Code, TRVStyle* Style) const override;
  /// Only the hover and selection frames: the control paints itself.
  void Paint(int32_t X, int32_t Y, TCanvas& Canvas, TRVItemDrawStates State, TRVStyle* Style,
             TRVDrawLineInfo* DrawItem) override;
  /// Printing (RVItemPrint.cpp): a picture of the control, split like a picture when
  /// MinHeightOnPage is set, else centred in the bitmap; false when it has no picture.
  bool PrintToBitmap(TBitmap& Bitmap, bool Preview, TCustomRVData* RVData, TRVColorMode ColorMode,
                     int PartIndex, TRVDrawLineInfo* DrawItem) override;
  std::unique_ptr<TRVDrawLineInfo> CreateDrawItem(TCustomRVData* RVData,
                                                  const TRVFormatScale* ScreenAndDevice) override;
  int32_t GetImageWidth(TRVStyle* Style) const override;
  int32_t GetImageHeight(TRVStyle* Style) const override;
  int32_t GetTotalWidth() const override { return GetImageWidth(nullptr) + 2 * Spacing; }
  int32_t GetTotalHeight() const override { return GetImageHeight(nullptr) + 2 * Spacing; }
  /// Hides the control and puts it on the document's parent control (none while clearing).
  void Inserting(TCustomRVData* RVData, bool Clearing) override;
  /// With PercentWidth 1..100 the control's width becomes Width * PercentWidth div 100 - 2.
  /// Descent is the spacing, Offset 0.
  void GetWidthRequirements(int32_t Width, TRVDrawLineInfo* DrawItem, bool Printing, TCanvas* Canvas,
                            TCustomRVData* RVData, const TRVFormatScale* ScreenAndDevice, bool FormatFlag,
                            int32_t& Descent, int32_t& Offset) override;
  /// Places the control at (Left + S, Top + S) (the top kept in the control's Tag and set
  /// only with RestoreTop) and shows it.
  void SetControlPosition(int32_t Left, int32_t Top, bool RestoreTop) override;
  /// "VAlign".
  std::string GetRVFHeaderParams(TCustomRVData* RVData) const override;
  bool ReadRVFLine(std::string_view S, TRVFLineContext& Context) override;
  void SaveRVF(TStream& Stream, TCustomRVData* RVData, int ItemNo, int32_t ParaNo, const std::string& Name,
               const TRVMultiDrawItemPart* Part, bool ForceSameAsPrev) override;
  int CountRVFExtraProperties() const override;
  void SaveRVFExtraProperties(TStream& Stream) const override;
  /// RTF: see RVItemRTF.cpp.
  void SaveRTF(TStream& Stream, TCustomRVData* RVData, int ItemNo, const std::string& Text, double tpp,
               int Level, TRVColorList& ColorList, TRVIntegerList& StyleToFont,
               TRVIntegerList& ListOverrideCounts, TRVIntegerList& ListOverrideOffsets,
               TRVRTFFontTable& FontTable) override;
  /// Copies PercentWidth and Resizable (never the control).
  void CopyProperties(const TCustomRVItemInfo& Source) override;
  bool OwnsControl(const TObject* AControl) const override;
  void DetachFromData(TCustomRVData* RVData, int ItemNo) override;
  void AttachToData(TCustomRVData* RVData, int ItemNo) override;
  void Focus() override;
  bool SetIntPropertyByCode(int Code, int32_t Value) override;
  bool GetIntPropertyByCode(int Code, int32_t& Value) const override;
  /// HTML: see RVItemHTML.cpp.
  bool SaveHTML(TStream& Stream, TCustomRVData* RVData, int ItemNo, const std::string& Text,
                const std::string& Path, const std::string& ImagesPrefix, int& imgSaveNo,
                TColor CurrentFileColor, TRVHTMLSaveOptions Options, bool UseCSS,
                TRVHTMLBulletList* Bullets) override;
  /// The text RVData's SaveComponentToFile gives for the control as plain text.
  std::string GetPlainText(int32_t LineWidth, TCustomRVData* RVData, const std::string& Text,
                           const std::string& Path, bool TextOnly, bool Unicode) override;

  std::unique_ptr<TControl> Control;
  int32_t PercentWidth = 0;  // 1..100: the width follows this percent of the line width
  bool Resizable = false;
};

/// Draws the hover and selection frames of an inline item whose content rectangle (its
/// spacing rectangle shrunk by Spacing) starts at (X + Spacing, Y + Spacing). Pictures and
/// controls put the hover frame one pixel outside the spacing rectangle
/// (HoverOutside), bullets on it, and show selection by a frame only when SelectionFrame.
void RVDrawItemFrames(TCanvas& Canvas, const TRect& SpacingRect, TRVItemDrawStates State, TRVStyle* Style,
                      bool HoverOutside, bool SelectionFrame);
