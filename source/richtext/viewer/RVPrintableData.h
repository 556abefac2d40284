// Printable document data: a document formatted at a printer's resolution and drawn page by
// page onto a device canvas. TCustomPrintableRVData holds the page drawing; the main
// printable document TCustomMainPtblRVData keeps the list of pages its owner filled;
// TRectPtblRVData is a document drawn inside a rectangle of another printable document (the
// base of printable table cells). Printable data never owns items: it shows the items of the
// document it prints, and it has no window (no scrolling, no controls placed, no events).
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/core/Classes.h"
#include "richtext/viewer/RVRVData.h"

class TBitmap;
class TCustomMainPtblRVData;
class TRVBackground;

/// Where a page starts in the formatted document.
class TRVPageInfo : public TCollectionItem {
 public:
  std::string ClassName() const override { return "TRVPageInfo"; }
  /// Copies where another TRVPageInfo starts (StartY and StartDrawItemNo); the split-part
  /// fields stay as they are. Other sources go to the inherited Assign.
  void Assign(const TPersistent* Source) override;

  int32_t StartY = 0;           // document Y at which the page starts
  int32_t StartDrawItemNo = 0;  // first drawn piece of the page
  int32_t StartPart = 0;        // 1-based part of that piece when it is split; 0 when it is not
  int32_t StartY2 = 0;          // document Y the rest of the page is placed from after that part
};

/// Items that print in parts (split pictures, tables) make TRVMultiDrawItemInfo pieces in
/// CreateDrawItem (they are told the printable data as RVData); a page shows the part its
/// range names, passed to PrintToBitmap or PrintDirect as PartIndex.
class TCustomPrintableRVData : public TRVViewerRVData {
 public:
  /// Viewer (never null) supplies the style sheet, options, colour and background.
  explicit TCustomPrintableRVData(TCustomRVViewer* Viewer);
  ~TCustomPrintableRVData() override;
  std::string ClassName() const override { return "TCustomPrintableRVData"; }

  // ---- the page-drawing hooks ------------------------------------------------------------

  /// The background drawn under every page; none here.
  virtual TRVBackground* GetPageBackground() const { return nullptr; }
  /// Document Y that the top of the printable area shows on page PageNo.
  virtual int32_t GetPageTop(int PageNo);
  /// The same for what follows a split piece at the top of the page.
  virtual int32_t GetPageTopAfterSplit(int PageNo);
  /// Device position of the printable area on the canvas.
  virtual int32_t GetPrintableTop() const { return 0; }
  virtual int32_t GetPrintableLeft() const { return 0; }
  /// Run before anything of page PageNo is drawn, and at the end of DrawPage.
  virtual void PagePrepaint(int PageNo, TCanvas& Canvas, bool Preview);
  virtual void PagePostpaint(int PageNo, TCanvas& Canvas, bool Preview);
  /// The drawn pieces of the page: StartNo..EndNo, StartPart the 0-based part of StartNo the
  /// page starts with (-1 when the page starts at the top of StartNo). The whole document here.
  virtual void GetDrawItemsRange(int PageNo, int& StartNo, int& StartPart, int& EndNo);
  virtual void CheckPageNo(int PageNo) { (void)PageNo; }
  /// 0 colours as they are, 1 system colours fixed for paper, 2 grey, 3 black and white.
  virtual TRVColorMode GetColorMode() const { return 1; }
  /// Draws page PageNo on Canvas. Raises ERVError without a style sheet.
  virtual void DrawPage(int PageNo, TCanvas& Canvas, bool Preview, bool Correction);
  /// Fills Bitmap with what lies behind the current drawn piece at screen position (X, Y)
  /// of the page (shifted by the piece with ItemBack); a PartSelector other than 0 lets the
  /// piece's item add its own background.
  virtual void DrawBackToBitmap(int32_t X, int32_t Y, bool ItemBack, int PartSelector,
                                const TRVFormatScale& DeviceRes, TBitmap& Bitmap);

  int CurrentPageNo() const { return PageNo_; }
  int CurrentDrawItemNo() const { return CurrentDrawItem_; }

  // ---- a document without a window ------------------------------------------------------------

  bool ShareItems() const override { return true; }
  TCanvas* GetCanvas() override { return nullptr; }
  uint16_t GetViewerState() const override { return ViewerState_; }
  void SetViewerState(uint16_t Value) override { ViewerState_ = Value; }
  int32_t GetAreaWidth() const override { return GetWidth(); }
  int32_t GetHOffs() const override { return 0; }
  int32_t GetVOffs() const override { return 0; }
  void VScrollTo(int32_t Y, bool Redraw) override { (void)Y, (void)Redraw; }
  void HScrollTo(int32_t X) override { (void)X; }
  void AdjustVScrollUnits() override {}
  void SetDocumentAreaSize(int32_t Width, int32_t Height, bool UpdateH) override {
    (void)Width, (void)Height, (void)UpdateH;
  }
  void InvalidateControl() override {}
  void RefreshControl() override {}
  void UpdateControl() override {}
  void DoSelect() override {}

 protected:
  /// Device length of a screen length, and back (a device resolution of 0 counts as the
  /// screen's).
  int32_t ToDeviceX(int32_t Value) const;
  int32_t ToDeviceY(int32_t Value) const;
  int32_t ToScreenX(int32_t Value) const;
  int32_t ToScreenY(int32_t Value) const;

  int PageNo_ = 0;
  int CurrentDrawItem_ = -1;
  /// The page background rendered at screen size while a page is drawn.
  std::unique_ptr<TBitmap> PageBackgroundBitmap_;
  TRVFormatScale DeviceResolution_;
  /// Device Y of the current piece's top on the page, kept for DrawBackToBitmap.
  int32_t CurrentItemTop_ = 0;

 private:
  struct TPageContext;
  void DrawPageBackground(TCanvas& Canvas, bool Preview);
  void DrawParagraphBack(TCanvas& Canvas, const TPageContext& Page, int DItemNo);
  void PrintNonText(TCanvas& Canvas, const TPageContext& Page, int DItemNo, TBitmap& Work);
  void PrintText(TCanvas& Canvas, const TPageContext& Page, int DItemNo);

  uint16_t ViewerState_;
};

/// The main printable document: pages, colour mode and the printable area on the device.
class TCustomMainPtblRVData : public TCustomPrintableRVData {
 public:
  explicit TCustomMainPtblRVData(TCustomRVViewer* Viewer);
  ~TCustomMainPtblRVData() override;
  std::string ClassName() const override { return "TCustomMainPtblRVData"; }

  TCollection& Pages() { return *Pages_; }
  const TCollection& Pages() const { return *Pages_; }
  int PageCount() const { return Pages_->Count(); }
  /// The page PageNo (1-based); ERVError "Invalid page number is specified for printing"
  /// outside 1..PageCount.
  TRVPageInfo& Page(int PageNo) const;

  /// Reads the device resolution of Canvas (the canvas the document is formatted and
  /// printed on from now on) and converts the left and right margins to screen pixels.
  /// Null forgets the canvas (formatting then does nothing).
  void Prepare(TCanvas* Canvas);

  void GetDrawItemsRange(int PageNo, int& StartNo, int& StartPart, int& EndNo) override;
  /// What page PageNo shows, in item coordinates: from the start of its first drawn piece to
  /// the end of its last. An item split across the page's top (StartPartial) or bottom
  /// (EndPartial) is named there, null when the page starts or ends with a whole piece.
  void GetPageSelectionBounds(int PageNo, int& StartItemNo, int& StartOffs, int& EndItemNo, int& EndOffs,
                              TCustomRVItemInfo*& StartPartial, TCustomRVItemInfo*& EndPartial);
  int32_t GetPageTop(int PageNo) override;
  int32_t GetPageTopAfterSplit(int PageNo) override;
  void CheckPageNo(int PageNo) override;
  /// Draws nothing for a page number outside 1..PageCount.
  void DrawPage(int PageNo, TCanvas& Canvas, bool Preview, bool Correction) override;
  TRVColorMode GetColorMode() const override { return ColorMode; }
  int32_t GetPrintableLeft() const override { return PrintableLeft; }
  int32_t GetPrintableTop() const override { return PrintableTop; }
  TRVBackground* GetPageBackground() const override { return GetBackground(); }
  TColor GetColor() const override;
  void Clear() override;
  bool GetStoredItemRange(int& First, int& Last) const override;
  /// Limits what the item-range question answers to First..Last (for printing a part of
  /// the document); Last below First goes back to the whole document.
  void StoreItemRange(int First, int Last);
  void GetScreenAndDeviceInfo(TCanvas* Canvas, TRVFormatScale& Scale) override;
  TCanvas* GetCanvas() override { return Canvas_; }
  int32_t GetWidth() const override { return PrintableWidth; }
  int32_t GetHeight() const override { return PrintableHeight; }
  int32_t GetLeftMargin() const override { return ScreenLeftMargin_; }
  int32_t GetRightMargin() const override { return ScreenRightMargin_; }
  int32_t GetTopMargin() const override { return 0; }
  int32_t GetBottomMargin() const override { return 0; }

  TRVColorMode ColorMode = 1;
  /// While set the document has no colour of its own: nothing is filled behind it.
  bool Transparent = false;
  /// The printable area on the device, in device pixels.
  int32_t PrintableLeft = 0;
  int32_t PrintableTop = 0;
  int32_t PrintableWidth = 0;
  int32_t PrintableHeight = 0;
  /// Text margins inside the printable area, in device pixels.
  int32_t LeftMarginPx = 0;
  int32_t RightMarginPx = 0;

 private:
  std::unique_ptr<TCollection> Pages_;
  TCanvas* Canvas_ = nullptr;
  int32_t ScreenLeftMargin_ = 0;
  int32_t ScreenRightMargin_ = 0;
  int StoredFirstItem_ = -1;
  int StoredLastItem_ = -1;
};

/// A printable document drawn inside a rectangle of another printable document.
class TRectPtblRVData : public TCustomPrintableRVData {
 public:
  TRectPtblRVData(TCustomRVViewer* Viewer, TCustomPrintableRVData* ParentPtblData, TCustomRVData* SourceData);
  std::string ClassName() const override { return "TRectPtblRVData"; }

  int32_t GetPrintableLeft() const override { return Left + DX; }
  int32_t GetPrintableTop() const override { return Top + DY; }
  int32_t GetPageTop(int PageNo) override;
  int32_t GetWidth() const override { return Width; }
  int32_t GetHeight() const override { return Height; }
  TCanvas* GetCanvas() override;
  TRVColorMode GetColorMode() const override;
  TCustomRVData* GetParentData() const override { return Parent_; }
  TCustomRVData* GetRootData() override;
  int32_t GetLeftMargin() const override { return 0; }
  int32_t GetRightMargin() const override { return 0; }
  int32_t GetTopMargin() const override { return 0; }
  int32_t GetBottomMargin() const override { return 0; }
  TColor GetColor() const override { return Color; }
  void GetScreenAndDeviceInfo(TCanvas* Canvas, TRVFormatScale& Scale) override;
  void DrawBackToBitmap(int32_t X, int32_t Y, bool ItemBack, int PartSelector,
                        const TRVFormatScale& DeviceRes, TBitmap& Bitmap) override;

  /// The main printable document this rectangle finally lies in.
  TCustomMainPtblRVData* MainData() const;
  TCustomPrintableRVData* ParentPtblData() const { return Parent_; }
  TCustomRVData* SourceData() const { return Source_; }

  /// Device position of the rectangle on the canvas: Left and Top place the parent's item
  /// (a table part), DX and DY the rectangle inside it. Width and Height are its size.
  int32_t Left = 0;
  int32_t Top = 0;
  int32_t DX = 0;
  int32_t DY = 0;
  int32_t Width = 0;
  int32_t Height = 0;
  TColor Color = clNone;
  /// Behind pictures, the parent's background shows through where the paragraph has no
  /// colour (otherwise the rectangle's own colour, or white).
  bool DrawOnParentBack = false;

 private:
  TCustomPrintableRVData* Parent_;
  TCustomRVData* Source_;
};
