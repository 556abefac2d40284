// TRVStyle: the style sheet component every document refers to. It owns the text,
// paragraph and list styles, the colours of selection, hover, checkpoints and page breaks,
// the jump cursor and the invalid-picture image; it draws text, backgrounds, checkpoints and
// page breaks (each overridable through an event) and writes itself as CSS.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "platform/core/Classes.h"
#include "platform/core/Colors.h"
#include "platform/graphics/Cursors.h"
#include "platform/graphics/GraphicsTypes.h"
#include "richtext/core/RVFontInfo.h"
#include "richtext/core/RVListInfo.h"
#include "richtext/core/RVParaInfo.h"
#include "richtext/core/RVUni.h"  // TRVCodePage

class TCanvas;
class TCustomRVData;
class TPicture;
class TStream;

/// The cursor number the sheet registers for jumps and gives its default jump styles.
constexpr TCursor crJump = 101;

/// Kind of a page break: 1 an explicit break, anything else a soft one.
using TRVPageBreakType = uint8_t;
constexpr TRVPageBreakType rvpbSoftPageBreak = 0;
constexpr TRVPageBreakType rvpbPageBreak = 1;

/// Options of TRVStyle::SaveCSSToStream (bits).
using TRVSaveCSSOptions = uint8_t;
constexpr TRVSaveCSSOptions rvcssUseBaseStyles = 0x01;      // compare with BaseStyleNo's style
constexpr TRVSaveCSSOptions rvcssSkipLeftAlignment = 0x02;  // no text-align: left without reference

class TRVStyle;

// Events; `sender` is the sheet. A handler that clears `doDefault` replaces the default.
using TRVApplyStyleEvent =
    std::function<void(TRVStyle& sender, TCanvas& canvas, int styleNo, bool& doDefault)>;
using TRVApplyStyleColorEvent = std::function<void(TRVStyle& sender, TCanvas& canvas, int styleNo,
                                                   TRVTextDrawStates drawState, bool& doDefault)>;
using TRVDrawStyleTextEvent = std::function<void(
    TRVStyle& sender, const std::string& s, TCanvas& canvas, int styleNo, int32_t spaceBefore, int32_t left,
    int32_t top, int32_t width, int32_t height, TRVTextDrawStates drawState, bool& doDefault)>;
using TRVStyleHoverSensitiveEvent = std::function<void(TRVStyle& sender, int styleNo, bool& sensitive)>;
using TRVDrawTextBackEvent =
    std::function<void(TRVStyle& sender, TCanvas& canvas, int styleNo, int32_t left, int32_t top,
                       int32_t width, int32_t height, TRVTextDrawStates drawState, bool& doDefault)>;
using TRVDrawCheckpointEvent =
    std::function<void(TRVStyle& sender, TCanvas& canvas, int32_t x, int32_t y, int itemNo, int32_t xShift,
                       bool raiseEvent, TObject* control, bool& doDefault)>;
using TRVDrawPageBreakEvent =
    std::function<void(TRVStyle& sender, TCanvas& canvas, int32_t y, int32_t xShift,
                       TRVPageBreakType pageBreakType, TObject* control, bool& doDefault)>;
using TRVDrawParaRectEvent =
    std::function<void(TRVStyle& sender, TCanvas& canvas, int paraNo, const TRect& rect, bool& doDefault)>;

class TRVStyle : public TComponent {
  ZUK_PUBLISHED(TRVStyle)

 public:
  /// Registers the jump cursor, sets the defaults and makes the six default text styles and
  /// the two default paragraph styles (no list styles).
  explicit TRVStyle(TComponent* owner = nullptr);
  ~TRVStyle() override;
  std::string ClassName() const override { return "TRVStyle"; }

  // Style classes; a descendant sheet may return subclasses. The collections make every new
  // item with them; the default styles made by this class's constructor are of the base
  // classes, so a descendant that needs its own classes there calls ResetParaStyles and
  // ResetTextStyles in its constructor.
  virtual TCollectionItemClass GetTextStyleClass() const;
  virtual TCollectionItemClass GetParaStyleClass() const;
  virtual TCollectionItemClass GetListStyleClass() const;

  TFontInfos& TextStyles() const { return *textStyles_; }
  TParaInfos& ParaStyles() const { return *paraStyles_; }
  TRVListInfos& ListStyles() const { return *listStyles_; }
  /// Copies `value` into the sheet's own collection (nothing when it is that collection).
  void SetTextStyles(const TFontInfos& value);
  void SetParaStyles(const TParaInfos& value);
  void SetListStyles(const TRVListInfos& value);

  /// The picture drawn for pictures that cannot be read; made from the bitmap resource
  /// "RV_BAD_PICTURE" on first use.
  TPicture& InvalidPicture();
  TPicture* InvalidPictureIfAny() const { return invalidPicture_.get(); }
  /// Null frees the held picture; another picture is copied.
  void SetInvalidPicture(const TPicture* value);

  /// Clears TextStyles and adds the six default text styles.
  void ResetTextStyles();
  /// Clears ParaStyles and adds the two default paragraph styles.
  void ResetParaStyles();

  // Drawing services: each fires its event first; the default runs unless it declines.
  void ApplyStyle(TCanvas& canvas, int styleNo, TRVBiDiMode defBiDiMode);
  void ApplyStyleColor(TCanvas& canvas, int styleNo, TRVTextDrawStates drawState, bool printing,
                       TRVColorMode colorMode);
  /// `s` is UTF-16 bytes for a Unicode style; `rvData` the document being drawn.
  void DrawStyleText(const std::string& s, TCanvas& canvas, int itemNo, int offsetInItem, int styleNo,
                     TCustomRVData* rvData, int32_t spaceBefore, int32_t left, int32_t top, int32_t width,
                     int32_t height, TRVTextDrawStates drawState, bool printing, bool previewCorrection,
                     TRVColorMode colorMode, TRVBiDiMode defBiDiMode);
  /// Only the event draws text backgrounds; there is no default.
  void DrawTextBack(TCanvas& canvas, int itemNo, int styleNo, TCustomRVData* rvData, int32_t left,
                    int32_t top, int32_t width, int32_t height, TRVTextDrawStates drawState);
  bool IsStyleHoverSensitive(int styleNo);
  /// `color`, or HoverColor when `color` is clNone.
  TColor GetHoverColor(TColor color) const { return color == clNone ? HoverColor : color; }
  TColor GetHoverColorForStyle(int styleNo) const {
    return GetHoverColor(TextStyles().Items(styleNo)->HoverColor);
  }
  /// `controlWidth` is the width of `control`, up to which the dotted line runs.
  void DrawCheckpoint(TCanvas& canvas, int32_t x, int32_t y, int itemNo, int32_t xShift, bool raiseEvent,
                      TObject* control, int32_t controlWidth);
  /// `controlClientWidth` is the client width of `control`.
  void DrawPageBreak(TCanvas& canvas, int32_t y, int32_t xShift, TRVPageBreakType pageBreakType,
                     TObject* control, int32_t controlClientWidth);
  void DrawParaBack(TCanvas& canvas, int paraNo, const TRect& rect, bool printing, TRVColorMode colorMode);

  /// Writes the sheet as CSS rules (class names RVTS<n> and RVPS<n>).
  void SaveCSSToStream(TStream& stream, TRVSaveCSSOptions options) const;

  // Published properties (the collections and the picture above).
  int16_t SpacesInTab = 8;
  TCursor JumpCursor = crJump;
  bool FullRedraw = false;
  bool UseSound = true;
  TColor Color = clWindow;
  TColor HoverColor = clNone;
  TColor SelColor = clHighlight;
  TColor SelTextColor = clHighlightText;
  TColor InactiveSelColor = clHighlight;
  TColor InactiveSelTextColor = clHighlightText;
  TColor CheckpointColor = clGreen;
  TColor CheckpointEvColor = clLime;
  TColor PageBreakColor = clBtnShadow;
  TColor SoftPageBreakColor = clBtnFace;
  int32_t DefUnicodeStyle = -1;
  TRVCodePage DefCodePage = 0;

  TRVApplyStyleEvent OnApplyStyle;
  TRVApplyStyleColorEvent OnApplyStyleColor;
  TRVDrawStyleTextEvent OnDrawStyleText;
  TRVStyleHoverSensitiveEvent OnStyleHoverSensitive;
  TRVDrawTextBackEvent OnDrawTextBack;
  TRVDrawCheckpointEvent OnDrawCheckpoint;
  TRVDrawPageBreakEvent OnDrawPageBreak;
  TRVDrawParaRectEvent OnDrawParaBack;

  // What is being drawn, set just before OnDrawStyleText / OnDrawTextBack fire.
  int ItemNo = -1;
  int OffsetInItem = 0;
  TCustomRVData* RVData = nullptr;

 protected:
  /// Clears a removed image list from every list level that refers to it.
  void Notification(TComponent* component, TOperation operation) override;

 private:
  void RegisterJumpCursor();
  void WriteTextStylesCSS(TStream& stream, TRVSaveCSSOptions options) const;
  void WriteParaStylesCSS(TStream& stream, TRVSaveCSSOptions options) const;

  std::unique_ptr<TFontInfos> textStyles_;
  std::unique_ptr<TParaInfos> paraStyles_;
  std::unique_ptr<TRVListInfos> listStyles_;
  std::unique_ptr<TPicture> invalidPicture_;
};

/// Writes the bytes of `s`.
void RVWriteString(TStream& stream, std::string_view s);
/// Writes `s` and CR LF.
void RVWriteLine(TStream& stream, std::string_view s);
