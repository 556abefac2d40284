#include "richtext/viewer/RVViewer.h"

#include <algorithm>

#include "platform/core/Streams.h"
#include "platform/core/TypInfo.h"
#include "platform/graphics/Bitmap.h"
#include "platform/gui/Application.h"
#include "platform/gui/Menus.h"
#include "platform/gui/Messaging.h"
#include "platform/gui/StdCtrls.h"
#include "richtext/core/RVBack.h"
#include "richtext/core/RVFMisc.h"
#include "richtext/core/RVNonTextItems.h"
#include "richtext/core/RVStyle.h"
#include "richtext/viewer/RVRVData.h"

namespace {

/// Vertical and horizontal auto-scroll step for a pointer at `pos` beside an area of `size`:
/// fast far outside, slow just outside, none inside.
int32_t AutoScrollDelta(int32_t pos, int32_t size) {
  if (pos < -20) return -10;
  if (pos < 0) return -1;
  if (pos > size + 20) return 10;
  if (pos > size) return 1;
  return 0;
}

/// Splits `text` at carriage returns and wraps each piece at blanks to lines no wider than
/// `width` on the canvas.
std::vector<std::string> WrapText(TCanvas& canvas, const std::string& text, int32_t width) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find('\r', start);
    if (end == std::string::npos) end = text.size();
    const std::string paragraph = text.substr(start, end - start);
    std::string line;
    size_t pos = 0;
    while (pos < paragraph.size()) {
      size_t blank = paragraph.find(' ', pos);
      if (blank == std::string::npos) blank = paragraph.size();
      const std::string word = paragraph.substr(pos, blank - pos);
      const std::string candidate = line.empty() ? word : line + " " + word;
      if (!line.empty() && canvas.TextWidth(candidate) > width) {
        lines.push_back(line);
        line = word;
      } else {
        line = candidate;
      }
      pos = blank + 1;
    }
    lines.push_back(line);
    start = end + 1;
  }
  return lines;
}

}  // namespace

// ---- construction ---------------------------------------------------------------------------------

TCustomRVViewer::TCustomRVViewer(TComponent* AOwner)
    : TCustomRVViewer(AOwner,
                      [](TCustomRVViewer* viewer) { return std::make_unique<TRVViewerRVData>(viewer); }) {}

TCustomRVViewer::TCustomRVViewer(TComponent* AOwner, const TRVDataFactory& MakeData) : TRVScroller(AOwner) {
  RVData_ = MakeData(this);
  SetCursor(crDefault);
  SetColor(clNone);
  Background_ = std::make_unique<TRVBackground>(true);
  if (TGraphic* bitmap = Background_->GetBitmap())
    bitmap->OnChange = [this](TGraphic&) { BackgroundChanged(); };
  SetBounds(Left(), Top(), 100, 40);
  SetBorderStyle(bsSingle);
  DisableNoScroll = true;
}

TCustomRVViewer::~TCustomRVViewer() {
  SetComponentState(csDestroying);
  StopAutoScroll();
  // The document goes first, while the control is whole: its items' leaving reaches the
  // handlers, which may still ask the control about its document, background and settings.
  // The pictures and controls may also refer to the background's palette settings.
  RVData_->Clear();
  RVData_.reset();
  RTFReadProperties_.reset();
  if (TGraphic* bitmap = Background_->GetBitmap()) bitmap->OnChange = nullptr;
  Background_.reset();
}

// ---- document ---------------------------------------------------------------------------------------

void TCustomRVViewer::ClearView() {
  StopAutoScroll();
  RVData_->ClearDrawLines();
}

void TCustomRVViewer::Clear() {
  ClearView();
  RVData_->Clear();
}

void TCustomRVViewer::DiscardDataCache() {
  RVData_->ClearSoftPageBreaks();
  Invalidate();
}

void TCustomRVViewer::DoFormat(bool OnlyResized) {
  RVData_->FormatLines(OnlyResized, !OnlyResized, false, 0, RVData_->GetCanvas(), false, !OnlyResized);
}

void TCustomRVViewer::Format() {
  DoFormat(false);
  if ((Options & rvoFormatInvalidate) != 0) Invalidate();
}

bool TCustomRVViewer::LoadRVFFromStream(TStream& Stream) {
  TColor color = Color();
  TRVLayoutInfo layout;
  const bool ok = RVData_->LoadRVFFromStream(Stream, color, Background_.get(), &layout);
  if (layout.Loaded) ApplyLayoutInfo(layout);
  SetColor(color);
  return ok;
}

bool TCustomRVViewer::InsertRVFFromStream(TStream& Stream, int Index) {
  TColor color = Color();
  const bool ok = RVData_->InsertRVFFromStream(Stream, Index, color, Background_.get(), nullptr, false);
  SetColor(color);
  return ok;
}

TRVCustomRTFReaderProperties* TCustomRVViewer::GetRTFReadProperties() {
  if (!RTFReadProperties_) RTFReadProperties_ = RVCreateRTFReaderProperties();
  return RTFReadProperties_.get();
}

void TCustomRVViewer::SetRTFReadProperties(const TRVCustomRTFReaderProperties* Value) {
  if (Value == nullptr) {
    RTFReadProperties_.reset();
    return;
  }
  if (TRVCustomRTFReaderProperties* props = GetRTFReadProperties()) props->Assign(Value);
}

bool TCustomRVViewer::LoadRTFFromStream(TStream& Stream) {
  Clear();
  return InsertRTFFromStream(Stream, 0);
}

bool TCustomRVViewer::LoadRTF(const std::string& FileName) {
  TMemoryStream stream;
  try {
    stream.LoadFromFile(FileName);
  } catch (const std::exception&) {
    return false;
  }
  return LoadRTFFromStream(stream);
}

bool TCustomRVViewer::InsertRTFFromStream(TStream& Stream, int Index) {
  TRVCustomRTFReaderProperties* props = GetRTFReadProperties();
  if (props == nullptr) return false;
  return props->ReadRTF(Stream, RVData_.get(), Index) == 0;
}

bool TCustomRVViewer::SaveRVFToStream(TStream& Stream, bool SelectionOnly) {
  TRVLayoutInfo layout;
  layout.LeftMargin = LeftMargin;
  layout.RightMargin = RightMargin;
  layout.TopMargin = TopMargin;
  layout.BottomMargin = BottomMargin;
  layout.MinTextWidth = MinTextWidth;
  layout.MaxTextWidth = MaxTextWidth;
  layout.BiDiMode = BiDiMode();
  return RVData_->SaveRVFToStream(Stream, SelectionOnly, Color(), Background_.get(), &layout);
}

void TCustomRVViewer::StartHTMLExport(const std::string& ImagesPrefix, TRVHTMLSaveOptions Options) {
  ImagesPrefix_ = ImagesPrefix;
  HTMLColor_ = GetColor();
  HTMLOptions_ = Options;
  ImageCounter_ = 0;
  HTMLImageFiles_.clear();
  HTMLImageFileError_ = {};
}

bool TCustomRVViewer::SaveHTMLToStream(TStream& Stream, const std::string& Path, const std::string& Title,
                                       const std::string& ImagesPrefix, TRVHTMLSaveOptions Options) {
  StartHTMLExport(ImagesPrefix, Options);
  return RVData_->SaveHTMLToStream(Stream, Path, Title, ImagesPrefix, Options, HTMLColor_, ImageCounter_,
                                   LeftMargin, TopMargin, RightMargin, BottomMargin, Background_.get(),
                                   nullptr);
}

bool TCustomRVViewer::SaveHTMLToStreamCSS(TStream& Stream, const std::string& Path, const std::string& Title,
                                          const std::string& ImagesPrefix, TRVHTMLSaveOptions Options) {
  StartHTMLExport(ImagesPrefix, Options);
  TColor fileColor = HTMLColor_;
  return RVData_->SaveHTMLToStreamCSS(Stream, Path, Title, ImagesPrefix, "", "", "", Options, HTMLColor_,
                                      fileColor, ImageCounter_, LeftMargin, TopMargin, RightMargin,
                                      BottomMargin, Background_.get(), nullptr);
}

std::string TCustomRVViewer::SaveImageForHTML(TGraphic* Graphic, const std::string& Path) {
  return RVData_->SaveImageForHTML(Graphic, Path, ImagesPrefix_, ImageCounter_, HTMLColor_, true,
                                   (HTMLOptions_ & rvhoReuseImageFiles) != 0);
}

bool TCustomRVViewer::SaveRTFToStream(TStream& Stream, bool SelectionOnly) {
  return RVData_->SaveRTFToStream(Stream, SelectionOnly, 0, GetColor(), nullptr, nullptr, nullptr, nullptr,
                                  nullptr, 0);
}

bool TCustomRVViewer::SaveRTF(const std::string& FileName, bool SelectionOnly) {
  return RVData_->SaveRTF(FileName, SelectionOnly, GetColor());
}

bool TCustomRVViewer::SaveTextToStream(const std::string& Path, TStream& Stream, int32_t LineWidth,
                                       bool SelectionOnly, bool TextOnly) {
  return RVData_->SaveTextRangeToStream(Path, Stream, LineWidth, SelectionOnly, TextOnly, false);
}

bool TCustomRVViewer::SaveText(const std::string& FileName, int32_t LineWidth) {
  try {
    TFileStream stream(FileName, fmCreate);
    return SaveTextToStream("", stream, LineWidth, false, false);
  } catch (const std::exception&) {
    return false;
  }
}

void TCustomRVViewer::AddTextLineWithTag(std::u16string_view Text, int StyleNo, int ParaNo, int32_t Tag) {
  TRVTag tag;
  tag.Value = Tag;
  RVData_->AddWideTextItem(Text, StyleNo, ParaNo, tag);
}

void TCustomRVViewer::AddPicture(const std::string& Name, std::unique_ptr<TGraphic> Graphic, int ParaNo,
                                 uint8_t VAlign) {
  RVData_->AddPictureItem(Name, std::move(Graphic), ParaNo, VAlign, TRVTag());
}

void TCustomRVViewer::AddItem(std::string Text, std::unique_ptr<TCustomRVItemInfo> Item) {
  RVData_->AddItem(std::move(Text), std::move(Item));
}

int TCustomRVViewer::GetItemCount() const {
  return RVData_->GetItemCount();
}
TCustomRVItemInfo* TCustomRVViewer::GetItem(int ItemNo) const {
  return RVData_->GetItem(ItemNo);
}
int TCustomRVViewer::GetItemStartOffset(int ItemNo) const {
  return RVData_->GetItemStartOffset(ItemNo);
}
int TCustomRVViewer::GetItemEndOffset(int ItemNo) const {
  return RVData_->GetItemEndOffset(ItemNo);
}
bool TCustomRVViewer::GetItemIntProperty(int ItemNo, int Prop, int32_t& Value) const {
  return RVData_->GetItemIntProperty(ItemNo, Prop, Value);
}
void TCustomRVViewer::SelectAll() {
  RVData_->SelectAll();
}
void TCustomRVViewer::Deselect() {
  RVData_->Deselect(nullptr, true);
}
bool TCustomRVViewer::SelectionExists() const {
  return RVData_->SelectionExists();
}

void TCustomRVViewer::SetSelectionBounds(int StartItemNo, int StartOffs, int EndItemNo, int EndOffs) {
  RVData_->SetSelectionBounds(StartItemNo, StartOffs, EndItemNo, EndOffs);
}

bool TCustomRVViewer::CopyToClipboard() {
  return RVData_->CopyDefault(GetColor(), Background_.get());
}
int32_t TCustomRVViewer::GetDocumentHeight() const {
  return RVData_->DocumentHeight;
}

TColor TCustomRVViewer::GetColor() const {
  if (Color() != clNone) return Color();
  if (Style_ != nullptr) return Style_->Color;
  return clWindow;
}

bool TCustomRVViewer::IsCopyShortcut(TShiftState Shift, uint16_t Key) {
  return (Shift & ssCtrl) != 0 && (Shift & ssAlt) == 0 && (Key == 'C' || Key == VK_INSERT);
}

bool TCustomRVViewer::IsCutShortcut(TShiftState Shift, uint16_t Key) {
  return ((Shift & ssCtrl) != 0 && (Shift & ssAlt) == 0 && Key == 'X') ||
         ((Shift & ssShift) != 0 && Key == VK_DELETE);
}

bool TCustomRVViewer::IsPasteShortcut(TShiftState Shift, uint16_t Key) {
  return ((Shift & ssCtrl) != 0 && (Shift & ssAlt) == 0 && Key == 'V') ||
         ((Shift & ssShift) != 0 && Key == VK_INSERT);
}

void TCustomRVViewer::AssignEvents(const TCustomRVViewer& Source) {
  OnSaveComponentToFile = Source.OnSaveComponentToFile;
  OnURLNeeded = Source.OnURLNeeded;
  OnSelect = Source.OnSelect;
  OnRVRightClick = Source.OnRVRightClick;
  OnRVFPictureNeeded = Source.OnRVFPictureNeeded;
  OnRVFImageListNeeded = Source.OnRVFImageListNeeded;
  OnRVFControlNeeded = Source.OnRVFControlNeeded;
  OnRVDblClick = Source.OnRVDblClick;
  OnJump = Source.OnJump;
  OnRVMouseMove = Source.OnRVMouseMove;
  OnCopy = Source.OnCopy;
  OnRVMouseDown = Source.OnRVMouseDown;
  OnRVMouseUp = Source.OnRVMouseUp;
  OnControlAction = Source.OnControlAction;
  OnItemAction = Source.OnItemAction;
  OnClick = Source.OnClick;
  OnKeyDown = Source.OnKeyDown;
  OnKeyUp = Source.OnKeyUp;
  OnKeyPress = Source.OnKeyPress;
  OnHTMLSaveImage = Source.OnHTMLSaveImage;
  OnDblClick = Source.OnDblClick;
}

void TCustomRVViewer::UpdateView(bool DoRefresh) {
  if (DoRefresh) Refresh();
  if (FullRedraw)
    if (auto* editor = dynamic_cast<TCustomRVViewer*>(GetInplaceEditor())) editor->UpdateView(true);
}

void TCustomRVViewer::ApplyLayoutInfo(const TRVLayoutInfo& Layout) {
  LeftMargin = Layout.LeftMargin;
  RightMargin = Layout.RightMargin;
  TopMargin = Layout.TopMargin;
  BottomMargin = Layout.BottomMargin;
  MinTextWidth = Layout.MinTextWidth;
  MaxTextWidth = Layout.MaxTextWidth;
  SetBiDiMode(Layout.BiDiMode);
}

// ---- properties ---------------------------------------------------------------------------------------

void TCustomRVViewer::SetStyle(TRVStyle* Value) {
  if (Style_ != nullptr) Style_->RemoveFreeNotification(this);
  Style_ = Value;
  if (Style_ != nullptr) Style_->FreeNotification(this);
  if ((Options & rvoFormatInvalidate) != 0) Invalidate();
}

void TCustomRVViewer::Notification(TComponent* AComponent, TOperation Operation) {
  TRVScroller::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == Style_) Style_ = nullptr;
}

TBitmap* TCustomRVViewer::BackgroundBitmap() const {
  return dynamic_cast<TBitmap*>(Background_->GetBitmap());
}

void TCustomRVViewer::SetBackgroundBitmap(const TBitmap* Value) {
  if (TBitmap* bitmap = BackgroundBitmap()) bitmap->Assign(Value);
}

TBackgroundStyle TCustomRVViewer::BackgroundStyle() const {
  return Background_->Style;
}

void TCustomRVViewer::SetBackgroundStyle(TBackgroundStyle Value) {
  Background_->Style = Value;
  BackgroundChanged();
}

void TCustomRVViewer::BackgroundChanged() {
  if (RVData_ == nullptr || RVData_->IsPaletteUpdating()) return;
  FullRedraw = Background_->ScrollRequiresFullRedraw();
  {
    // Giving the picture a palette may change it again: no second round.
    TRVStateScope updating(*RVData_, rvstUpdatingPalette);
    Background_->UpdatePalette(DoInPaletteMode(), GetPalette());
  }
  if ((Options & rvoFormatInvalidate) != 0) Invalidate();
}

void TCustomRVViewer::SetBiDiMode(TRVBiDiMode Value) {
  if (Value == BiDiMode()) return;
  TRVScroller::SetBiDiMode(Value);
  Format();
}

void TCustomRVViewer::SetVSmallStep(int32_t Value) {
  if (RVData_ != nullptr && RVData_->DocumentHeight / std::max(1, Value) > kMaxVSteps) return;
  TRVScroller::SetVSmallStep(Value);
}

int32_t TCustomRVViewer::FirstJumpNo() const {
  return RVData_->FirstJumpNo;
}
void TCustomRVViewer::SetFirstJumpNo(int32_t Value) {
  RVData_->FirstJumpNo = Value;
}
TRVTabNavigationType TCustomRVViewer::TabNavigation() const {
  return RVData_->TabNavigation;
}
void TCustomRVViewer::SetTabNavigation(TRVTabNavigationType Value) {
  RVData_->TabNavigation = Value;
}

void TCustomRVViewer::SetAllowSelection(bool Value) {
  Options = Value ? (Options | rvoAllowSelection) : (Options & ~rvoAllowSelection);
}

void TCustomRVViewer::SetSingleClick(bool Value) {
  Options = Value ? (Options | rvoSingleClick) : (Options & ~rvoSingleClick);
}

void TCustomRVViewer::UpdatePaletteInfo() {
  TRVScroller::UpdatePaletteInfo();
  {
    TRVStateScope updating(*RVData_, rvstUpdatingPalette);
    RVData_->UpdateItemsPalette();
    Background_->UpdatePalette(DoInPaletteMode(), GetPalette());
  }
  Invalidate();
}

void TCustomRVViewer::Loaded() {
  TRVScroller::Loaded();
  UpdatePaletteInfo();
  Format();
}

// ---- window -------------------------------------------------------------------------------------------

void TCustomRVViewer::DestroyWnd() {
  StopAutoScroll();
  TRVScroller::DestroyWnd();
}

void TCustomRVViewer::ResetScrollPositions() {
  if (RVData_->GetItemCount() == 0) TRVScroller::ResetScrollPositions();
}

void TCustomRVViewer::InitScrollBars() {
  if (RVData_->GetItemCount() > 0)
    DoFormat(true);
  else
    TRVScroller::InitScrollBars();
}

// ---- painting ----------------------------------------------------------------------------------------

void TCustomRVViewer::PaintMessage(const std::string& Text) {
  TCanvas& canvas = Canvas();
  canvas.Brush().SetStyle(bsSolid);
  canvas.Brush().SetColor(GetColor());
  canvas.FillRect(canvas.ClipRect());
  canvas.Font().SetName("MS Sans Serif");
  canvas.Font().SetSize(8);
  canvas.Font().SetStyle({});
  canvas.Font().SetColor(clWindowText);
  canvas.Brush().SetStyle(bsClear);
  const TRect client = ClientRect();
  int32_t y = client.Top;
  for (const std::string& line : WrapText(canvas, Text, client.Width())) {
    canvas.TextOut(client.Left, y, line);
    y += canvas.TextHeight("Wg");
  }
  if (!Ctl3D()) {
    canvas.Brush().SetStyle(bsSolid);
    canvas.Brush().SetColor(clWindowText);
    canvas.FrameRect(client);
  }
}

void TCustomRVViewer::Paint() {
  if (Style_ == nullptr) {
    PaintMessage("Style is not defined\rCreate a TRVStyle object and assign it to " + Name() + ".Style");
    return;
  }
  // The figure is drawn last, over what painting drew, wherever it was moved since.
  struct TXorPainting {
    TCustomRVFormattedData& data;
    explicit TXorPainting(TCustomRVFormattedData& Data) : data(Data) { data.SetXorPainting(true); }
    ~TXorPainting() { data.SetXorPainting(false); }
  } painting(*RVData_);
  const bool xorShown = RVData_->ClearXorDrawing();
  RVData_->PaintBuffered(Canvas());
  if (OnPaint) OnPaint(this, Canvas(), false);
  if (xorShown) RVData_->XorDrawing();
}

// ---- auto-scroll -------------------------------------------------------------------------------------

void TCustomRVViewer::StartAutoScroll() {
  if (AutoScrolling_) return;
  SetTimer(kAutoScrollTimer, 100);
  AutoScrolling_ = true;
}

void TCustomRVViewer::StopAutoScroll() {
  if (!AutoScrolling_) return;
  KillTimer(kAutoScrollTimer);
  AutoScrolling_ = false;
}

void TCustomRVViewer::SetAutoScrollDeltas(int32_t X, int32_t Y) {
  ScrollDeltaV_ = AutoScrollDelta(Y, ClientHeight());
  ScrollDeltaH_ = AutoScrollDelta(X, ClientWidth());
}

void TCustomRVViewer::SimulateMouseMove() {
  const TShiftState shift = GetShiftState();
  const TPoint p = ScreenToClient(GetCursorPos());
  if (p.X >= 0 && p.X < ClientWidth() && p.Y >= 0 && p.Y < ClientHeight()) MouseMove(shift, p.X, p.Y);
}

// ---- input ----------------------------------------------------------------------------------------------

void TCustomRVViewer::MouseDown(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y) {
  if (GetInplaceEditor() == nullptr) {
    RVData_->SetClicked(true);
    if ((Shift & ssDouble) == 0 && CanFocus()) SetFocus();
  }
  TRVScroller::MouseDown(Button, Shift, X, Y);
  RVData_->MouseDown(Button, Shift, X, Y);
  if (Button == mbLeft) StartAutoScroll();
}

void TCustomRVViewer::MouseMove(TShiftState Shift, int32_t X, int32_t Y) {
  SetAutoScrollDeltas(X, Y);
  TRVScroller::MouseMove(Shift, X, Y);
  RVData_->MouseMove(Shift, X, Y);
}

void TCustomRVViewer::MouseUp(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y) {
  TRVScroller::MouseUp(Button, Shift, X, Y);
  if (Button == mbLeft) StopAutoScroll();
  RVData_->MouseUp(Button, Shift, X, Y);
  if (Button != mbRight) return;
  auto* outer = dynamic_cast<TControl*>(RVData_->GetOuterRootData()->GetParentControl());
  if (outer == nullptr) outer = this;
  const TPoint screen = ClientToScreen(TPoint{X, Y});
  // The outermost control (the root editor of a cell editor) decides about the menu first.
  bool handled = false;
  outer->DoContextPopup(outer->ScreenToClient(screen), handled);
  if (handled) return;
  TPopupMenu* menu = outer->PopupMenu();
  if (menu != nullptr && menu->AutoPopup()) {
    Perform(WM_CANCELMODE);
    menu->SetPopupComponent(this);
    menu->Popup(screen.X, screen.Y);
  }
}

void TCustomRVViewer::DblClick() {
  RVData_->DblClick();
  TRVScroller::DblClick();
}

void TCustomRVViewer::KeyDown(uint16_t& Key, TShiftState Shift) {
  TRVScroller::KeyDown(Key, Shift);
  if (IsCopyShortcut(Shift, Key)) Perform(WM_COPY);
  const TRVTabNavigationType mode = TabNavigation();
  if (Key == VK_TAB && mode != rvtnNone && (Shift & ssAlt) == 0) {
    const bool ctrl = (Shift & ssCtrl) != 0;
    if ((ctrl && mode == rvtnCtrlTab) || (!ctrl && mode == rvtnTab)) {
      RVData_->SetClicked(false);
      RVData_->DoTabNavigation((Shift & ssShift) != 0, this);
    }
  }
  if (Key == VK_RETURN) RVData_->ActivateFocusedItem();
}

void TCustomRVViewer::VScrolled() {
  TRVScroller::VScrolled();
  SimulateMouseMove();
  RVData_->CheckCheckpointVisibility();
  UpdateView(false);
}

void TCustomRVViewer::HScrolled() {
  TRVScroller::HScrolled();
  SimulateMouseMove();
  UpdateView(false);
}

void TCustomRVViewer::GetTabOrderList(std::vector<TWinControl*>& List) const {
  TRVScroller::GetTabOrderList(List);
  if (TabNavigation() == rvtnNone) return;
  auto* self = const_cast<TCustomRVViewer*>(this);
  for (int i = static_cast<int>(List.size()) - 1; i >= 2; --i)
    if (List[static_cast<size_t>(i)]->Parent() == this) List.insert(List.begin() + i, self);
  if (List.size() > 1) List.push_back(self);
}

void TCustomRVViewer::HandlePostedEvent(const TRVMessageData& Data) {
  switch (Data.Kind) {
    case 0: {
      const auto& d = static_cast<const TRVDblClickMessageData&>(Data);
      RVData_->DoRVDblClick(d.ClickedWord, d.Style);
      break;
    }
    case 1:
      RVData_->DoJump(static_cast<const TRVJumpMessageData&>(Data).id);
      break;
    case 2:
    case 3: {
      const auto& d = static_cast<const TRVMouseUpDownMessageData&>(Data);
      if (Data.Kind == 2)
        RVData_->DoRVMouseUp(d.Button, d.Shift, d.ItemNo, d.X, d.Y);
      else
        RVData_->DoRVMouseDown(d.Button, d.Shift, d.ItemNo, d.X, d.Y);
      break;
    }
    case 4:
      Click();
      break;
    case 5:
      DblClick();
      break;
    case 6: {
      const auto& d = static_cast<const TRVMouseMoveMessageData&>(Data);
      MouseMove(d.Shift, d.X, d.Y);
      break;
    }
    case 7: {
      const auto& d = static_cast<const TRVDNDMessageData&>(Data);
      DragDrop(d.Obj, d.X, d.Y);
      break;
    }
    case 8: {
      const auto& d = static_cast<const TRVDNDMessageData&>(Data);
      DoEndDrag(d.Obj, d.X, d.Y);
      break;
    }
    default:
      break;
  }
}

void TCustomRVViewer::HandleContextMenu(TMessage& message) {
  // A right click pops the menu from MouseUp; here only the keyboard's request and embedded
  // controls with menus of their own are let through (Result 0 lets the menu pop up).
  const TPoint point = LParamToPoint(message.LParam);
  message.Result = 1;
  if (point.X == -1 && point.Y == -1) {
    auto* outer = dynamic_cast<TWinControl*>(RVData_->GetOuterRootData()->GetParentControl());
    if (outer != nullptr && outer != this) {
      SendMessage(outer, WM_CONTEXTMENU, message.WParam, message.LParam);
    } else {
      message.Result = 0;
      TRVScroller::WndProc(message);
    }
    return;
  }
  TControl* child = ControlAtPos(ScreenToClient(point), false);
  if (child != nullptr && child->PopupMenu() != PopupMenu()) {
    message.Result = 0;
    TRVScroller::WndProc(message);
  }
}

void TCustomRVViewer::WndProc(TMessage& message) {
  switch (message.Msg) {
    case WM_RVEVENT: {
      // The record goes with the message whatever its kind.
      std::unique_ptr<TObject> record = std::move(message.Record);
      if (const auto* data = dynamic_cast<const TRVMessageData*>(record.get())) HandlePostedEvent(*data);
      return;
    }
    case WM_ERASEBKGND:
      message.Result = 1;
      return;
    case WM_SIZE:
      DoFormat(true);
      TRVScroller::WndProc(message);
      return;
    case WM_TIMER:
      if (message.WParam == kAutoScrollTimer) {
        // Scrolling simulates a mouse move, which sets new deltas: take both first.
        const int32_t dv = ScrollDeltaV_;
        const int32_t dh = ScrollDeltaH_;
        if (dv != 0) ScrollTo(VPos() + dv);
        if (dh != 0) SetHPos(HPos() + dh);
        if (dv != 0 || dh != 0) {
          SimulateMouseMove();
          RVData_->AfterAutoScroll();
        }
        return;
      }
      break;
    case WM_GETDLGCODE:
      message.Result = DLGC_WANTARROWS;
      if (TabNavigation() != rvtnNone) {
        message.Result |= DLGC_WANTTAB;
        if (RVData_->FocusedItemNo != -1) message.Result |= DLGC_WANTALLKEYS;
      }
      return;
    case CM_MOUSELEAVE:
      RVData_->MouseLeave();
      break;
    case WM_CONTEXTMENU:
      HandleContextMenu(message);
      return;
    case WM_COPY:
      if (TWinControl* editor = GetInplaceEditor())
        PostMessage(editor, WM_COPY);
      else
        CopyToClipboard();
      return;
    case WM_SETFOCUS:
    case WM_KILLFOCUS: {
      TRVScroller::WndProc(message);
      if (message.Msg == WM_SETFOCUS && (ComponentState() & csDestroying) == 0 &&
          TabNavigation() != rvtnNone) {
        if (message.WParam == 0) RVData_->SetClicked(true);
        auto* previous = reinterpret_cast<TWinControl*>(message.WParam);
        // A combo box's own parts stand for the combo box.
        if (previous != nullptr && dynamic_cast<TComboBox*>(previous->Parent()) != nullptr)
          previous = previous->Parent();
        RVData_->DoTabNavigation((GetShiftState() & ssShift) != 0, previous);
      }
      if (Style_ != nullptr && (Style_->SelColor != Style_->InactiveSelColor ||
                                Style_->SelTextColor != Style_->InactiveSelTextColor))
        Invalidate();
      return;
    }
    default:
      break;
  }
  TRVScroller::WndProc(message);
}

// ---- published form --------------------------------------------------------------------------------------

const TPropertyList& TRVViewer::ClassProperties() {
  // Accessors take the control class, so that the editors can publish the same list.
  using T = TCustomRVViewer;
  static const TPropertyList list =
      TPropertyBuilder<T>(TWinControl::ClassProperties())
          .Redeclare("TabStop")
          .Default(true)
          // Views of two of the options: set by name, written with the options.
          .Boolean(
              "AllowSelection", [](T& v) { return v.AllowSelection(); },
              [](T& v, bool b) { v.SetAllowSelection(b); })
          .Stored(false)
          .Enum(
              "BackgroundStyle", [](T& v) { return v.BackgroundStyle(); },
              [](T& v, TBackgroundStyle s) { v.SetBackgroundStyle(s); },
              {"bsNoBitmap", "bsStretched", "bsTiled", "bsTiledAndScrolled", "bsCentered"})
          .Default(bsNoBitmap)
          .Object("BackgroundBitmap", [](T& v) -> TPersistent* { return v.BackgroundBitmap(); })
          .Enum(
              "BiDiMode", [](T& v) { return v.BiDiMode(); }, [](T& v, TRVBiDiMode m) { v.SetBiDiMode(m); },
              {"rvbdUnspecified", "rvbdLeftToRight", "rvbdRightToLeft"})
          .Default(rvbdUnspecified)
          .Enum(
              "BorderStyle", [](T& v) { return v.BorderStyle(); },
              [](T& v, TBorderStyle b) { v.SetBorderStyle(b); },
              {"bsNone", "bsSingle", "bsSizeable", "bsDialog", "bsToolWindow", "bsSizeToolWin"})
          .Default(bsSingle)
          .Integer("BottomMargin", &T::BottomMargin, &T::BottomMargin)
          .Default(5)
          .Color(
              "Color", [](T& v) { return v.Color(); }, [](T& v, TColor c) { v.SetColor(c); })
          .Default(clNone)
          .Enum("CPEventKind", &T::CPEventKind, &T::CPEventKind,
                {"cpeNone", "cpeAsSectionStart", "cpeWhenVisible"})
          .Default(cpeNone)
          .IdentInteger(
              "Cursor", [](T& v) { return v.Cursor(); }, [](T& v, TCursor c) { v.SetCursor(c); },
              CursorIdents())
          .Default(crDefault)
          .String("Delimiters", &T::Delimiters, &T::Delimiters)
          .Stored([](T& v) { return v.Delimiters != rvDefaultDelimiters; })
          .Enum(
              "DoInPaletteMode", [](T& v) { return v.DoInPaletteMode(); },
              [](T& v, TRVPaletteAction a) { v.SetDoInPaletteMode(a); },
              {"rvpaDoNothing", "rvpaAssignPallette", "rvpaCreateCopies", "rvpaCreateCopiesEx"})
          .Integer(
              "FirstJumpNo", [](T& v) { return v.FirstJumpNo(); },
              [](T& v, int32_t n) { v.SetFirstJumpNo(n); })
          .Default(0)
          .Boolean(
              "HScrollVisible", [](T& v) { return v.HScrollVisible(); },
              [](T& v, bool b) { v.SetHScrollVisible(b); })
          .Default(true)
          .Integer("LeftMargin", &T::LeftMargin, &T::LeftMargin)
          .Default(5)
          .Integer("MaxTextWidth", &T::MaxTextWidth, &T::MaxTextWidth)
          .Default(0)
          .Integer("MinTextWidth", &T::MinTextWidth, &T::MinTextWidth)
          .Default(0)
          .Set("Options", &T::Options, &T::Options,
               {"rvoAllowSelection", "rvoSingleClick", "rvoScrollToEnd", "rvoClientTextWidth",
                "rvoShowCheckpoints", "rvoShowPageBreaks", "rvoTagsArePChars", "rvoAutoCopyText",
                "rvoAutoCopyUnicodeText", "rvoAutoCopyRVF", "rvoAutoCopyImage", "rvoAutoCopyRTF",
                "rvoFormatInvalidate", "rvoDblClickSelectsWord", "rvoRClickDeselects"})
          .Default(rvDefaultOptions)
          .Set("RTFOptions", &T::RTFOptions, &T::RTFOptions,
               {"rvrtfSaveStyleSheet", "rvrtfDuplicateUnicode", "rvrtfSaveEMFAsWMF", "rvrtfSaveJpegAsJpeg",
                "rvrtfSaveBitmapDefault", "rvrtfSaveEMFDefault"})
          .Default(rvDefaultRTFOptions)
          // Written once the options exist; reading them back creates them.
          .Object(
              "RTFReadProperties",
              [](T& v) -> TPersistent* {
                return v.HasRTFReadProperties() ? v.GetRTFReadProperties() : nullptr;
              },
              [](T& v) -> TPersistent* { return v.GetRTFReadProperties(); })
          .Set("RVFOptions", &T::RVFOptions, &T::RVFOptions,
               {"rvfoSavePicturesBody", "rvfoSaveControlsBody", "rvfoIgnoreUnknownPicFmt",
                "rvfoIgnoreUnknownCtrls", "rvfoConvUnknownStylesToZero", "rvfoConvLargeImageIdxToZero",
                "rvfoSaveBinary", "rvfoUseStyleNames", "rvfoSaveBack", "rvfoLoadBack", "rvfoSaveTextStyles",
                "rvfoSaveParaStyles", "rvfoSaveLayout", "rvfoLoadLayout"})
          .Default(rvDefaultRVFOptions)
          .Enum("RVFParaStylesReadMode", &T::RVFParaStylesReadMode, &T::RVFParaStylesReadMode,
                {"rvf_sIgnore", "rvf_sInsertMap", "rvf_sInsertMerge"})
          .Default(rvf_sInsertMerge)
          .Enum("RVFTextStylesReadMode", &T::RVFTextStylesReadMode, &T::RVFTextStylesReadMode,
                {"rvf_sIgnore", "rvf_sInsertMap", "rvf_sInsertMerge"})
          .Default(rvf_sInsertMerge)
          .Integer("RightMargin", &T::RightMargin, &T::RightMargin)
          .Default(5)
          .Boolean(
              "SingleClick", [](T& v) { return v.SingleClick(); }, [](T& v, bool b) { v.SetSingleClick(b); })
          .Stored(false)
          .Component(
              "Style", [](T& v) { return v.Style(); }, [](T& v, TRVStyle* s) { v.SetStyle(s); })
          .Enum(
              "TabNavigation", [](T& v) { return v.TabNavigation(); },
              [](T& v, TRVTabNavigationType t) { v.SetTabNavigation(t); },
              {"rvtnNone", "rvtnTab", "rvtnCtrlTab"})
          .Default(rvtnTab)
          .Integer("TopMargin", &T::TopMargin, &T::TopMargin)
          .Default(5)
          .Boolean(
              "Tracking", [](T& v) { return v.Tracking(); }, [](T& v, bool b) { v.SetTracking(b); })
          .Default(true)
          .Boolean(
              "UseXPThemes", [](T& v) { return v.UseXPThemes(); }, [](T& v, bool b) { v.SetUseXPThemes(b); })
          .Default(true)
          .Boolean(
              "VScrollVisible", [](T& v) { return v.VScrollVisible(); },
              [](T& v, bool b) { v.SetVScrollVisible(b); })
          .Default(true)
          .Integer(
              "WheelStep", [](T& v) { return v.WheelStep(); }, [](T& v, int32_t n) { v.SetWheelStep(n); })
          .Default(2)
          .Build();
  return list;
}

void RVRegisterViewerClasses() {
  RegisterClass<TRVViewer>("TRVViewer");
}
