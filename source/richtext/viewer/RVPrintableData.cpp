// Drawing a formatted document page by page. The drawn pieces are laid out in device pixels
// (the document was formatted on the printer's canvas); lengths of the style sheet are
// screen pixels and are converted with the device resolution record. Pictures and controls
// are rendered into a work bitmap first, on what lies behind them on the page, and that
// bitmap is stretched into place.
#include "richtext/viewer/RVPrintableData.h"

#include <algorithm>
#include <cmath>

#include "platform/core/SysUtils.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Graphic.h"
#include "platform/graphics/GraphicsTypes.h"
#include "richtext/core/RVBack.h"
#include "richtext/core/RVError.h"
#include "richtext/core/RVFontInfo.h"
#include "richtext/core/RVGraphicFuncs.h"
#include "richtext/core/RVItem.h"
#include "richtext/core/RVItemPrint.h"
#include "richtext/core/RVParaInfo.h"
#include "richtext/core/RVStyle.h"
#include "richtext/viewer/RVViewer.h"

namespace {

// Viewer flags of a printable document: controls stay where they are on the screen, items
// make their own drawn pieces (split pictures), and items know they are being printed.
constexpr uint16_t rvflNoControlPlacement = 4;
constexpr uint16_t rvflItemDrawItems = 32;
constexpr uint16_t rvflPrinting = 64;

// While set, the item range the data answers is the stored one.
constexpr TRVDataStates rvstStoredItemRange = 1u << 16;

/// Scales by Num / Den; a denominator of 0 leaves the value as it is.
int32_t Scale(int32_t Value, int32_t Num, int32_t Den) {
  return Den > 0 && Num > 0 ? MulDiv(Value, Num, Den) : Value;
}

/// Fills the whole bitmap with one colour.
void FillBitmap(TBitmap& Bitmap, TColor Color) {
  TCanvas& canvas = Bitmap.Canvas();
  canvas.Brush().SetStyle(bsSolid);
  canvas.Brush().SetColor(Color);
  canvas.FillRect(Rect(0, 0, Bitmap.Width(), Bitmap.Height()));
}

/// Pixels a work bitmap holds at most, unless the item's own picture is larger.
constexpr int64_t kWorkBitmapPixels = 16'000'000;

/// The size of the work bitmap for Item shown Width x Height screen pixels. A display size
/// read from a file may be far larger than any picture: the bitmap then keeps the item's
/// proportions within the budget and is stretched to the item's size. A picture shown at
/// its own size always gets a bitmap of that size.
TSize WorkBitmapSize(TCustomRVItemInfo& Item, int32_t Width, int32_t Height) {
  int64_t budget = kWorkBitmapPixels;
  if (const TGraphic* picture = Item.GetItemPicture())
    budget = std::max<int64_t>(budget, static_cast<int64_t>(picture->Width()) * picture->Height());
  const double pixels = static_cast<double>(Width) * Height;
  double scale = pixels > static_cast<double>(budget) ? std::sqrt(static_cast<double>(budget) / pixels) : 1.0;
  scale = std::min(
      {scale, static_cast<double>(kMaxPictureSide) / Width, static_cast<double>(kMaxPictureSide) / Height});
  if (scale >= 1) return TSize{Width, Height};
  return TSize{std::max(1, static_cast<int32_t>(Width * scale)),
               std::max(1, static_cast<int32_t>(Height * scale))};
}

/// A background colour through the colour mode, with white for no colour.
TColor PaperColor(TColor Color, TRVColorMode Mode) {
  return Color == clNone ? clWhite : RVBackColorForColorMode(Color, Mode);
}

}  // namespace

// ---- pages --------------------------------------------------------------------------------------

void TRVPageInfo::Assign(const TPersistent* Source) {
  if (const auto* page = dynamic_cast<const TRVPageInfo*>(Source)) {
    StartY = page->StartY;
    StartDrawItemNo = page->StartDrawItemNo;
    return;
  }
  TCollectionItem::Assign(Source);
}

// ---- the page drawing ---------------------------------------------------------------------------

/// What stays the same while one page is drawn.
struct TCustomPrintableRVData::TPageContext {
  TRVStyle* Style = nullptr;
  int StartNo = 0;
  int StartPart = -1;
  int EndNo = -1;
  int32_t PageTop = 0;
  int32_t PrintableLeft = 0;
  TRVColorMode ColorMode = 1;
  bool Preview = false;
  bool Correction = false;

  /// The page begins inside piece DItemNo (with one of its parts).
  bool StartsInside(int DItemNo) const { return DItemNo == StartNo && StartPart >= 0; }
};

TCustomPrintableRVData::TCustomPrintableRVData(TCustomRVViewer* Viewer)
    : TRVViewerRVData(Viewer),
      ViewerState_(static_cast<uint16_t>(Viewer->ViewerFlags() | rvflNoControlPlacement | rvflItemDrawItems |
                                         rvflPrinting)) {}

TCustomPrintableRVData::~TCustomPrintableRVData() = default;

int32_t TCustomPrintableRVData::ToDeviceX(int32_t Value) const {
  return Scale(Value, DeviceResolution_.DevicePPIX, DeviceResolution_.ScreenPPIX);
}
int32_t TCustomPrintableRVData::ToDeviceY(int32_t Value) const {
  return Scale(Value, DeviceResolution_.DevicePPIY, DeviceResolution_.ScreenPPIY);
}
int32_t TCustomPrintableRVData::ToScreenX(int32_t Value) const {
  return Scale(Value, DeviceResolution_.ScreenPPIX, DeviceResolution_.DevicePPIX);
}
int32_t TCustomPrintableRVData::ToScreenY(int32_t Value) const {
  return Scale(Value, DeviceResolution_.ScreenPPIY, DeviceResolution_.DevicePPIY);
}

int32_t TCustomPrintableRVData::GetPageTop(int PageNo) {
  (void)PageNo;
  return 0;
}

int32_t TCustomPrintableRVData::GetPageTopAfterSplit(int PageNo) {
  (void)PageNo;
  return 0;
}

void TCustomPrintableRVData::PagePrepaint(int PageNo, TCanvas& Canvas, bool Preview) {
  (void)PageNo, (void)Canvas, (void)Preview;
}

void TCustomPrintableRVData::PagePostpaint(int PageNo, TCanvas& Canvas, bool Preview) {
  (void)PageNo, (void)Canvas, (void)Preview;
}

void TCustomPrintableRVData::GetDrawItemsRange(int PageNo, int& StartNo, int& StartPart, int& EndNo) {
  (void)PageNo;
  StartNo = 0;
  StartPart = -1;
  EndNo = DrawItems().Count() - 1;
}

namespace {

/// The piece's item begins a paragraph here (its first piece, at a paragraph start).
bool BeginsParagraphAt(const TCustomRVFormattedData& Data, int DItemNo) {
  const TRVDrawLines& pieces = Data.DrawItems();
  const int itemNo = pieces[DItemNo]->ItemNo;
  return (DItemNo == 0 || pieces[DItemNo - 1]->ItemNo != itemNo) && Data.GetItem(itemNo)->IsParaStart();
}

/// The paragraph style of an item, clamped to the sheet.
int ParaNoOf(const TRVStyle& Style, const TCustomRVItemInfo& Item) {
  return std::clamp<int>(Item.ParaNo, 0, Style.ParaStyles().Count() - 1);
}

/// The parts of a split piece; null for a plain one or one not split yet.
const TRVMultiDrawItemInfo* SplitPiece(const TRVDrawLineInfo* Piece) {
  const auto* multi = dynamic_cast<const TRVMultiDrawItemInfo*>(Piece);
  return multi != nullptr && multi->PartsList().Count() > 0 ? multi : nullptr;
}

}  // namespace

void TCustomPrintableRVData::DrawPage(int PageNo, TCanvas& Canvas, bool Preview, bool Correction) {
  PageNo_ = PageNo;
  TPageContext page;
  page.Style = GetRVStyle();
  if (page.Style == nullptr) throw ERVError("Style of printable TRVViewer component is not assigned");
  GetScreenAndDeviceInfo(&Canvas, DeviceResolution_);
  GetDrawItemsRange(PageNo, page.StartNo, page.StartPart, page.EndNo);
  page.PageTop = GetPageTop(PageNo);
  page.PrintableLeft = GetPrintableLeft();
  page.ColorMode = GetColorMode();
  page.Preview = Preview;
  page.Correction = Correction;

  Canvas.Brush().SetStyle(bsClear);
  PagePrepaint(PageNo, Canvas, Preview);
  // The page background lives as long as the page is drawn, also when drawing fails.
  struct TPageBitmapScope {
    std::unique_ptr<TBitmap>& Bitmap;
    ~TPageBitmapScope() { Bitmap.reset(); }
  } pageBitmapScope{PageBackgroundBitmap_};
  DrawPageBackground(Canvas, Preview);
  TBitmap work;
  if (Preview && GetRVPalette() != nullptr) work.SetPalette(*GetRVPalette());

  const int first = std::max(page.StartNo, 0);
  const int last = std::min(page.EndNo, DrawItems().Count() - 1);
  for (int d = first; d <= last; ++d) {
    CurrentDrawItem_ = d;
    const TCustomRVItemInfo* item = GetItem(DrawItems()[d]->ItemNo);
    if (item->ParaNo >= 0 && (d == first || BeginsParagraphAt(*this, d))) DrawParagraphBack(Canvas, page, d);
    if (item->IsTextItem())
      PrintText(Canvas, page, d);
    else
      PrintNonText(Canvas, page, d, work);
    if (page.StartsInside(d)) page.PageTop = GetPageTopAfterSplit(PageNo);
  }
  PagePostpaint(PageNo, Canvas, Preview);
  CurrentDrawItem_ = -1;
}

void TCustomPrintableRVData::DrawPageBackground(TCanvas& Canvas, bool Preview) {
  const TRVColorMode mode = GetColorMode();
  const TColor color = GetColor();
  const TRect area = Bounds(GetPrintableLeft(), GetPrintableTop(), GetWidth(), GetHeight());
  TRVBackground* back = GetPageBackground();
  if (back != nullptr && back->Style != bsNoBitmap && !RVIsGraphicEmpty(back->GetBitmap())) {
    const int32_t width = ToScreenX(area.Width()), height = ToScreenY(area.Height());
    if (width <= 0 || height <= 0) return;
    PageBackgroundBitmap_ = std::make_unique<TBitmap>();
    PageBackgroundBitmap_->SetSize(width, height);
    if (Preview && GetRVPalette() != nullptr) PageBackgroundBitmap_->SetPalette(*GetRVPalette());
    FillBitmap(*PageBackgroundBitmap_, PaperColor(color, mode));
    back->Draw(PageBackgroundBitmap_->Canvas(), Rect(0, 0, width, height), 0, 0, 0, 0, width, height,
               color == clNone ? clNone : RVBackColorForColorMode(color, mode), false);
    RVStretchDrawPicture(Canvas, area.Left, area.Top, width, height, DeviceResolution_,
                         *PageBackgroundBitmap_, true);
    return;
  }
  if (color == clNone) return;
  Canvas.Brush().SetStyle(bsSolid);
  Canvas.Brush().SetColor(RVBackColorForColorMode(color, mode));
  Canvas.FillRect(area);
  Canvas.Brush().SetStyle(bsClear);
}

void TCustomPrintableRVData::DrawParagraphBack(TCanvas& Canvas, const TPageContext& Page, int DItemNo) {
  TRVStyle& style = *Page.Style;
  const TRVDrawLines& pieces = DrawItems();
  const int paraNo = ParaNoOf(style, *GetItem(pieces[DItemNo]->ItemNo));
  const TParaInfo& para = *style.ParaStyles().Items(paraNo);
  if (para.Border().Style == rvbNone && para.Background().Color == clNone && !style.OnDrawParaBack) return;

  TRect rect;
  rect.Left = Page.PrintableLeft + ToDeviceX(GetLeftMargin() + para.LeftIndent);
  if (para.FirstIndent < 0) rect.Left += ToDeviceX(para.FirstIndent);
  rect.Right = Page.PrintableLeft + GetWidth() - ToDeviceX(GetRightMargin() + para.RightIndent);
  // Page coordinates of each piece of the paragraph on this page; what follows a split
  // piece at the top of the page is placed from the page top after the split.
  const int32_t afterSplitTop = Page.StartPart >= 0 ? GetPageTopAfterSplit(PageNo_) : Page.PageTop;
  bool firstPiece = true;
  for (int d = DItemNo; d <= std::min(Page.EndNo, pieces.Count() - 1); ++d) {
    if (!firstPiece && BeginsParagraphAt(*this, d)) break;
    const TRVDrawLineInfo& piece = *pieces[d];
    const TRVMultiDrawItemInfo* split = SplitPiece(&piece);
    int32_t top = 0, bottom = 0;
    if (Page.StartsInside(d)) {
      top = GetPrintableTop();
      const int part = split != nullptr ? std::min(Page.StartPart, split->PartsList().Count() - 1) : -1;
      bottom = top + (part >= 0 ? split->PartsList()[part]->Height : piece.Height);
    } else {
      top = piece.Top - (d > Page.StartNo ? afterSplitTop : Page.PageTop);
      // A split piece's first part is printed below the item's spacing: the background
      // reaches the part's last row.
      bottom = split != nullptr ? top + ToDeviceY(GetItem(piece.ItemNo)->GetOuterSpacingV()) +
                                      split->PartsList()[0]->Height
                                : top + piece.Height + piece.ExtraSpaceBelow;
    }
    if (firstPiece) {
      rect.Top = top;
      rect.Bottom = bottom;
      firstPiece = false;
    } else {
      rect.Top = std::min(rect.Top, top);
      rect.Bottom = std::max(rect.Bottom, bottom);
    }
  }
  TRect back = rect;
  para.Background().ExpandRectScaled(back, DeviceResolution_);
  style.DrawParaBack(Canvas, paraNo, back, true, Page.ColorMode);
  para.Border().DrawScaled(rect, Canvas, Page.ColorMode, DeviceResolution_);
}

void TCustomPrintableRVData::PrintNonText(TCanvas& Canvas, const TPageContext& Page, int DItemNo,
                                          TBitmap& Work) {
  TRVDrawLineInfo* piece = DrawItems()[DItemNo];
  TCustomRVItemInfo* item = GetItem(piece->ItemNo);
  const TRVMultiDrawItemInfo* split = SplitPiece(piece);
  // A split piece shows the part the page starts with, or its first part.
  int partIndex = -1;
  if (split != nullptr)
    partIndex = Page.StartsInside(DItemNo) ? std::min(Page.StartPart, split->PartsList().Count() - 1) : 0;
  const int32_t y = Page.StartsInside(DItemNo) ? GetPrintableTop() : piece->Top - Page.PageTop;
  const int32_t x = Page.PrintableLeft + piece->Left;
  CurrentItemTop_ = y;
  if (!item->QueryFeatureForStyle(rvsfPrintViaBitmap, Page.Style)) {
    item->PrintDirect(Canvas, x, y, Page.Preview, Page.Correction, this, Page.ColorMode, partIndex, piece);
    return;
  }
  int32_t width = item->QueryFeature(rvfqOwnLine) ? ToScreenX(piece->Width) : item->GetImageWidth(Page.Style);
  int32_t height = item->GetImageHeight(Page.Style);
  if (partIndex >= 0) {
    const TRVMultiDrawItemPart* part = split->PartsList()[partIndex];
    const auto* rows = dynamic_cast<const TRVImagePrintPart*>(part);
    height = rows != nullptr ? rows->ImageHeight : ToScreenY(part->Height);
  }
  if (width <= 0 || height <= 0) return;
  // Only the part that begins the item has the spacing above it.
  const int32_t spacingH = item->GetOuterSpacingH();
  const int32_t spacingV = partIndex <= 0 ? item->GetOuterSpacingV() : 0;
  const TSize workSize = WorkBitmapSize(*item, width, height);
  Work.SetSize(workSize.cx, workSize.cy);
  DrawBackToBitmap(ToScreenX(piece->Left) + spacingH, ToScreenY(y - GetPrintableTop()) + spacingV, false, -1,
                   DeviceResolution_, Work);
  if (!item->PrintToBitmap(Work, Page.Preview, this, Page.ColorMode, partIndex, piece)) return;
  RVStretchDrawPicture(Canvas, x + ToDeviceX(spacingH), y + ToDeviceY(spacingV), width, height,
                       DeviceResolution_, Work, true);
}

void TCustomPrintableRVData::PrintText(TCanvas& Canvas, const TPageContext& Page, int DItemNo) {
  TRVStyle& style = *Page.Style;
  const TRVDrawLineInfo& piece = *DrawItems()[DItemNo];
  const TCustomRVItemInfo* item = GetItem(piece.ItemNo);
  const TParaInfo& para = *style.ParaStyles().Items(ParaNoOf(style, *item));
  style.ApplyStyle(Canvas, item->StyleNo, para.BiDiMode);
  const TFontInfo& font = *style.TextStyles().Items(item->StyleNo);
  const TRVBiDiMode bidi = font.BiDiMode != rvbdUnspecified ? font.BiDiMode : para.BiDiMode;
  if (bidi == rvbdUnspecified && font.CharSpacing != 0)
    Canvas.SetTextCharacterExtra(ToDeviceX(font.CharSpacing));
  style.ApplyStyleColor(Canvas, item->StyleNo, 0, true, Page.ColorMode);
  const int32_t left = piece.Left + Page.PrintableLeft;
  const int32_t top = piece.Top - Page.PageTop;
  if (style.OnDrawTextBack)
    style.DrawTextBack(Canvas, piece.ItemNo, item->StyleNo, this, left, top, piece.Width, piece.Height, 0);
  style.DrawStyleText(DrawItems().GetDrawItemText(DItemNo, GetItems()), Canvas, piece.ItemNo, piece.Offs,
                      item->StyleNo, this, piece.SpaceBefore, left, top, piece.Width, piece.Height, 0, true,
                      Page.Correction, Page.ColorMode, para.BiDiMode);
}

void TCustomPrintableRVData::DrawBackToBitmap(int32_t X, int32_t Y, bool ItemBack, int PartSelector,
                                              const TRVFormatScale& DeviceRes, TBitmap& Bitmap) {
  (void)DeviceRes;
  const TRVColorMode mode = GetColorMode();
  if (CurrentDrawItem_ < 0 || CurrentDrawItem_ >= DrawItems().Count() || GetRVStyle() == nullptr) {
    FillBitmap(Bitmap, PaperColor(GetColor(), mode));
    return;
  }
  const TRVDrawLineInfo& piece = *DrawItems()[CurrentDrawItem_];
  TCustomRVItemInfo* item = GetItem(piece.ItemNo);
  const int32_t itemX = ToScreenX(piece.Left);
  const int32_t itemY = ToScreenY(CurrentItemTop_ - GetPrintableTop());
  if (ItemBack) {
    X += itemX;
    Y += itemY;
  }
  TRVStyle& style = *GetRVStyle();
  const TColor paraColor = style.ParaStyles().Items(ParaNoOf(style, *item))->Background().Color;
  if (paraColor != clNone || !PageBackgroundBitmap_) {
    FillBitmap(Bitmap, PaperColor(paraColor != clNone ? paraColor : GetColor(), mode));
  } else {
    const TRect from = Bounds(X, Y, Bitmap.Width(), Bitmap.Height());
    Bitmap.Canvas().CopyRect(Rect(0, 0, Bitmap.Width(), Bitmap.Height()), PageBackgroundBitmap_->Canvas(),
                             from);
  }
  if (PartSelector != 0)
    item->DrawBackgroundForPrinting(
        PartSelector, Bitmap.Canvas(),
        Bounds(itemX - X, itemY - Y, ToScreenX(piece.Width), ToScreenY(piece.Height)), mode);
}

// ---- the main printable document --------------------------------------------------------------------

TCustomMainPtblRVData::TCustomMainPtblRVData(TCustomRVViewer* Viewer)
    : TCustomPrintableRVData(Viewer),
      Pages_(std::make_unique<TCollection>(CollectionItemClass<TRVPageInfo>())) {}

TCustomMainPtblRVData::~TCustomMainPtblRVData() = default;

TRVPageInfo& TCustomMainPtblRVData::Page(int PageNo) const {
  if (PageNo < 1 || PageNo > Pages_->Count()) throw ERVError("Invalid page number is specified for printing");
  return static_cast<TRVPageInfo&>(*Pages_->Items(PageNo - 1));
}

void TCustomMainPtblRVData::Prepare(TCanvas* Canvas) {
  Canvas_ = Canvas;
  TCustomRVFormattedData::GetScreenAndDeviceInfo(Canvas, DeviceResolution_);
  ScreenLeftMargin_ = ToScreenX(LeftMarginPx);
  ScreenRightMargin_ = ToScreenX(RightMarginPx);
}

void TCustomMainPtblRVData::GetScreenAndDeviceInfo(TCanvas* Canvas, TRVFormatScale& Scale) {
  (void)Canvas;
  Scale = DeviceResolution_;
}

void TCustomMainPtblRVData::GetDrawItemsRange(int PageNo, int& StartNo, int& StartPart, int& EndNo) {
  const TRVPageInfo& page = Page(PageNo);
  StartNo = page.StartDrawItemNo;
  StartPart = page.StartPart - 1;
  if (PageNo == PageCount()) {
    EndNo = DrawItems().Count() - 1;
    return;
  }
  const TRVPageInfo& next = Page(PageNo + 1);
  // A piece the next page continues ends this page with its first part.
  EndNo = next.StartDrawItemNo - 1 + (next.StartPart > 1 ? 1 : 0);
}

void TCustomMainPtblRVData::GetPageSelectionBounds(int PageNo, int& StartItemNo, int& StartOffs,
                                                   int& EndItemNo, int& EndOffs,
                                                   TCustomRVItemInfo*& StartPartial,
                                                   TCustomRVItemInfo*& EndPartial) {
  int startNo = 0, startPart = -1, endNo = -1;
  GetDrawItemsRange(PageNo, startNo, startPart, endNo);
  StartItemNo = EndItemNo = -1;
  StartOffs = EndOffs = 0;
  StartPartial = EndPartial = nullptr;
  const int count = DrawItems().Count();
  if (startNo < 0 || startNo >= count || endNo < startNo || endNo >= count) return;
  DrawItemToItem(startNo, GetDrawItemStartOffset(startNo), StartItemNo, StartOffs);
  DrawItemToItem(endNo, GetDrawItemEndOffset(endNo), EndItemNo, EndOffs);
  if (startPart >= 0) StartPartial = GetItem(StartItemNo);
  // The next page continues the last piece.
  if (PageNo < PageCount() && Page(PageNo + 1).StartDrawItemNo == endNo && Page(PageNo + 1).StartPart > 1)
    EndPartial = GetItem(EndItemNo);
}

int32_t TCustomMainPtblRVData::GetPageTop(int PageNo) {
  return Page(PageNo).StartY - GetPrintableTop() - ToDeviceY(GetTopMargin());
}

int32_t TCustomMainPtblRVData::GetPageTopAfterSplit(int PageNo) {
  return Page(PageNo).StartY2 - GetPrintableTop() - ToDeviceY(GetTopMargin());
}

void TCustomMainPtblRVData::CheckPageNo(int PageNo) {
  Page(PageNo);
}

void TCustomMainPtblRVData::DrawPage(int PageNo, TCanvas& Canvas, bool Preview, bool Correction) {
  if (PageNo < 1 || PageNo > PageCount()) return;
  TCustomPrintableRVData::DrawPage(PageNo, Canvas, Preview, Correction);
}

TColor TCustomMainPtblRVData::GetColor() const {
  return Transparent ? clNone : TCustomPrintableRVData::GetColor();
}

void TCustomMainPtblRVData::Clear() {
  TCustomPrintableRVData::Clear();
  StoredFirstItem_ = -1;
  StoredLastItem_ = -1;
}

bool TCustomMainPtblRVData::GetStoredItemRange(int& First, int& Last) const {
  if ((StateFlags & rvstStoredItemRange) == 0) return TCustomPrintableRVData::GetStoredItemRange(First, Last);
  First = StoredFirstItem_;
  Last = StoredLastItem_;
  return First >= 0;
}

void TCustomMainPtblRVData::StoreItemRange(int First, int Last) {
  StoredFirstItem_ = First;
  StoredLastItem_ = Last;
  if (Last >= First)
    StateFlags |= rvstStoredItemRange;
  else
    StateFlags &= ~rvstStoredItemRange;
}

// ---- a document inside a rectangle ----------------------------------------------------------------------

TRectPtblRVData::TRectPtblRVData(TCustomRVViewer* Viewer, TCustomPrintableRVData* ParentPtblData,
                                 TCustomRVData* SourceData)
    : TCustomPrintableRVData(Viewer), Parent_(ParentPtblData), Source_(SourceData) {
  ShareItemsFrom(SourceData);
}

TCustomMainPtblRVData* TRectPtblRVData::MainData() const {
  TCustomPrintableRVData* data = Parent_;
  while (auto* rect = dynamic_cast<TRectPtblRVData*>(data)) data = rect->Parent_;
  return dynamic_cast<TCustomMainPtblRVData*>(data);
}

TCustomRVData* TRectPtblRVData::GetRootData() {
  // A rectangle not (or no longer) placed in a parent is a document of its own.
  return Parent_ != nullptr ? Parent_->GetRootData() : TCustomPrintableRVData::GetRootData();
}

int32_t TRectPtblRVData::GetPageTop(int PageNo) {
  (void)PageNo;
  return -GetPrintableTop();
}

TCanvas* TRectPtblRVData::GetCanvas() {
  TCustomMainPtblRVData* main = MainData();
  return main != nullptr ? main->GetCanvas() : nullptr;
}

TRVColorMode TRectPtblRVData::GetColorMode() const {
  const TCustomMainPtblRVData* main = MainData();
  return main != nullptr ? main->GetColorMode() : TCustomPrintableRVData::GetColorMode();
}

void TRectPtblRVData::GetScreenAndDeviceInfo(TCanvas* Canvas, TRVFormatScale& Scale) {
  if (TCustomMainPtblRVData* main = MainData()) {
    main->GetScreenAndDeviceInfo(Canvas, Scale);
    DeviceResolution_ = Scale;
    return;
  }
  TCustomPrintableRVData::GetScreenAndDeviceInfo(Canvas, Scale);
}

void TRectPtblRVData::DrawBackToBitmap(int32_t X, int32_t Y, bool ItemBack, int PartSelector,
                                       const TRVFormatScale& DeviceRes, TBitmap& Bitmap) {
  X += ToScreenX(DX);
  Y += ToScreenY(DY);
  TRVStyle* style = GetRVStyle();
  const bool hasPiece = style != nullptr && CurrentDrawItem_ >= 0 && CurrentDrawItem_ < DrawItems().Count();
  const TColor paraColor = hasPiece
                               ? style->ParaStyles()
                                     .Items(ParaNoOf(*style, *GetItem(DrawItems()[CurrentDrawItem_]->ItemNo)))
                                     ->Background()
                                     .Color
                               : clNone;
  if (paraColor != clNone) {
    FillBitmap(Bitmap, PaperColor(paraColor, GetColorMode()));
    return;
  }
  if (DrawOnParentBack && Parent_ != nullptr) {
    Parent_->DrawBackToBitmap(X, Y, true, PartSelector, DeviceRes, Bitmap);
    return;
  }
  TCustomPrintableRVData::DrawBackToBitmap(X, Y, ItemBack, PartSelector, DeviceRes, Bitmap);
}
