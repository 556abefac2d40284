#include "richtext/viewer/RVRVData.h"

#include "platform/core/Streams.h"
#include "richtext/core/RVMarker.h"
#include "richtext/core/RVNonTextItems.h"
#include "richtext/core/RVStyle.h"
#include "richtext/viewer/RVViewer.h"

void TRVViewerRVData::TMarkerListDeleter::operator()(TRVMarkerList* List) const {
  delete List;
}

TRVViewerRVData::TRVViewerRVData(TCustomRVViewer* Viewer) : Viewer_(Viewer) {}

TRVViewerRVData::~TRVViewerRVData() {
  // Clear while the overrides still run: list markers leave this document's own list.
  Clear();
  Markers_.reset();
}

bool TRVViewerRVData::Destroying() const {
  return Viewer_ == nullptr || (Viewer_->ComponentState() & csDestroying) != 0;
}

// ---- settings ----------------------------------------------------------------------------------

TRVOptions TRVViewerRVData::GetOptions() const {
  return Viewer_->Options;
}
void TRVViewerRVData::SetOptions(TRVOptions Value) {
  Viewer_->Options = Value;
}
TRVFOptions TRVViewerRVData::GetRVFOptions() const {
  return Viewer_->RVFOptions;
}
void TRVViewerRVData::SetRVFOptions(TRVFOptions Value) {
  Viewer_->RVFOptions = Value;
}
TRVRTFOptions TRVViewerRVData::GetRTFOptions() const {
  return Viewer_->RTFOptions;
}
void TRVViewerRVData::SetRTFOptions(TRVRTFOptions Value) {
  Viewer_->RTFOptions = Value;
}
TRVFWarnings TRVViewerRVData::GetRVFReadWarnings() const {
  return Viewer_->RVFWarnings;
}
void TRVViewerRVData::SetRVFReadWarnings(TRVFWarnings Value) {
  Viewer_->RVFWarnings = Value;
}
TRVFReaderStyleMode TRVViewerRVData::GetRVFTextStylesReadMode() const {
  return Viewer_->RVFTextStylesReadMode;
}
TRVFReaderStyleMode TRVViewerRVData::GetRVFParaStylesReadMode() const {
  return Viewer_->RVFParaStylesReadMode;
}
TRVPalette TRVViewerRVData::GetRVPalette() const {
  return Viewer_->GetPalette();
}
TRVPaletteAction TRVViewerRVData::GetDoInPaletteMode() const {
  return Viewer_->DoInPaletteMode();
}
TRVBiDiMode TRVViewerRVData::GetBiDiMode() const {
  return Viewer_->BiDiMode();
}
TRVStyle* TRVViewerRVData::GetRVStyle() const {
  return Viewer_->Style();
}
std::string TRVViewerRVData::GetDelimiters() const {
  return Viewer_->Delimiters;
}
TWinControl* TRVViewerRVData::GetParentControl() const {
  return Viewer_;
}

// ---- area, scrolling and canvas ------------------------------------------------------------------

uint16_t TRVViewerRVData::GetViewerState() const {
  return Viewer_->ViewerFlags();
}
void TRVViewerRVData::SetViewerState(uint16_t Value) {
  Viewer_->SetViewerFlags(Value);
}
int32_t TRVViewerRVData::GetAreaWidth() const {
  return Viewer_->XSize();
}
int32_t TRVViewerRVData::GetLeftMargin() const {
  return Viewer_->LeftMargin;
}
int32_t TRVViewerRVData::GetRightMargin() const {
  return Viewer_->RightMargin;
}
int32_t TRVViewerRVData::GetTopMargin() const {
  return Viewer_->TopMargin;
}
int32_t TRVViewerRVData::GetBottomMargin() const {
  return Viewer_->BottomMargin;
}
int32_t TRVViewerRVData::GetMinTextWidth() const {
  return Viewer_->MinTextWidth;
}
int32_t TRVViewerRVData::GetMaxTextWidth() const {
  return Viewer_->MaxTextWidth;
}
TRVBackground* TRVViewerRVData::GetBackground() const {
  return &Viewer_->Background();
}
int32_t TRVViewerRVData::GetHOffs() const {
  return Viewer_->HPos();
}
int32_t TRVViewerRVData::GetVOffs() const {
  return Viewer_->VPos() * Viewer_->VSmallStep();
}
int32_t TRVViewerRVData::GetWidth() const {
  return Viewer_->ClientWidth();
}
int32_t TRVViewerRVData::GetHeight() const {
  return Viewer_->ClientHeight();
}
TCanvas* TRVViewerRVData::GetCanvas() {
  return &Viewer_->Canvas();
}
int32_t TRVViewerRVData::GetVSmallStep() const {
  return Viewer_->VSmallStep();
}
TColor TRVViewerRVData::GetColor() const {
  return Viewer_->GetColor();
}

void TRVViewerRVData::VScrollTo(int32_t Y, bool Redraw) {
  if ((StateFlags & rvstKeepPosition) != 0) return;
  Viewer_->ScrollToPixel(Y, Redraw);
}

void TRVViewerRVData::HScrollTo(int32_t X) {
  if ((StateFlags & rvstKeepPosition) != 0) return;
  Viewer_->SetHPos(X);
}

void TRVViewerRVData::AdjustVScrollUnits() {
  constexpr int32_t kMaxVSteps = TCustomRVViewer::kMaxVSteps;
  const int32_t step = Viewer_->VSmallStep();
  if (DocumentHeight / step >= kMaxVSteps + 1) {
    int32_t newStep = DocumentHeight / kMaxVSteps;
    if (DocumentHeight / newStep > kMaxVSteps) ++newStep;
    Viewer_->SetVSmallStep(newStep);
  } else if (step > 10 && DocumentHeight / 10 < kMaxVSteps + 1) {
    Viewer_->SetVSmallStep(10);
  }
}

void TRVViewerRVData::SetDocumentAreaSize(int32_t Width, int32_t Height, bool UpdateH) {
  const int32_t step = Viewer_->VSmallStep();
  const int32_t steps = Height / step + (Height % step != 0 ? 1 : 0);
  Viewer_->UpdateScrollBars(Width, steps, UpdateH, true);
}

void TRVViewerRVData::InvalidateControl() {
  Viewer_->Invalidate();
}
void TRVViewerRVData::RefreshControl() {
  Viewer_->Refresh();
}
void TRVViewerRVData::UpdateControl() {
  Viewer_->Update();
}
bool TRVViewerRVData::ParentControlDestroying() const {
  return Destroying();
}

// ---- reader and writer hooks ------------------------------------------------------------------------

std::string TRVViewerRVData::SaveComponentToFile(const std::string& Path, TPersistent* SaveMe,
                                                 TRVSaveFormat SaveFormat) {
  std::string result;
  if (Viewer_->OnSaveComponentToFile)
    Viewer_->OnSaveComponentToFile(Viewer_, Path, SaveMe, SaveFormat, result);
  return result;
}

void TRVViewerRVData::ItemAction(TRVItemAction Action, TCustomRVItemInfo* Item, std::string& Text,
                                 TCustomRVData* RVData) {
  if (Viewer_->OnItemAction) Viewer_->OnItemAction(Viewer_, Action, Item, Text, RVData);
}

std::string TRVViewerRVData::URLNeeded(int32_t id) {
  std::string url;
  if (Viewer_->OnURLNeeded) Viewer_->OnURLNeeded(Viewer_, id, url);
  return url;
}

std::string TRVViewerRVData::SaveHTMLExtra(TRVHTMLSaveArea Area, bool CSSVersion) {
  std::string code;
  if (Viewer_->OnSaveHTMLExtra) Viewer_->OnSaveHTMLExtra(Viewer_, Area, CSSVersion, code);
  return code;
}

void TRVViewerRVData::SaveRTFExtra(TRVRTFSaveArea Area, TObject* Obj, int Index1, int Index2,
                                   bool InStyleSheet, std::string& RTFCode) {
  RTFCode.clear();
  if (Viewer_->OnSaveRTFExtra)
    Viewer_->OnSaveRTFExtra(Viewer_, Area, Obj, Index1, Index2, InStyleSheet, RTFCode);
}

void TRVViewerRVData::HTMLSaveImage(TCustomRVData* RVData, int ItemNo, const std::string& Path,
                                    TColor BackgroundColor, std::string& Location, bool& DoDefault) {
  Location.clear();
  DoDefault = true;
  if (Viewer_->OnHTMLSaveImage)
    Viewer_->OnHTMLSaveImage(Viewer_, RVData, ItemNo, Path, BackgroundColor, Location, DoDefault);
}

void TRVViewerRVData::HTMLImageFileWritten(const std::string& FileName, const TMemoryStream& Bytes) {
  Viewer_->HTMLImageFiles_.push_back({FileName, Bytes.DataString()});
}

void TRVViewerRVData::HTMLImageFileFailed(const TRVHTMLImageFileError& Error) {
  Viewer_->HTMLImageFileError_ = Error;
}

std::unique_ptr<TGraphic> TRVViewerRVData::RVFPictureNeeded(const std::string& Name, const TRVTag& Tag) {
  std::unique_ptr<TGraphic> graphic;
  if (Viewer_->OnRVFPictureNeeded) Viewer_->OnRVFPictureNeeded(Viewer_, Name, Tag, graphic);
  return graphic;
}

std::unique_ptr<TControl> TRVViewerRVData::RVFControlNeeded(const std::string& Name, const TRVTag& Tag) {
  std::unique_ptr<TControl> control;
  if (Viewer_->OnRVFControlNeeded) Viewer_->OnRVFControlNeeded(Viewer_, Name, Tag, control);
  return control;
}

TCustomImageList* TRVViewerRVData::RVFImageListNeeded(int32_t ImageListTag) {
  TCustomImageList* list = nullptr;
  if (Viewer_->OnRVFImageListNeeded) Viewer_->OnRVFImageListNeeded(Viewer_, ImageListTag, list);
  return list;
}

void TRVViewerRVData::ControlAction(TRVControlAction Action, int ItemNo, TCustomRVItemInfo* Item) {
  if (!Viewer_->OnControlAction) return;
  auto* controlItem = dynamic_cast<TRVControlItemInfo*>(Item);
  TControl* control = controlItem != nullptr ? controlItem->Control.get() : nullptr;
  Viewer_->OnControlAction(Viewer_, Action, ItemNo, control);
}

TRVMarkerList* TRVViewerRVData::GetMarkers(bool AllowCreate) {
  if ((GetViewerState() & 0x100) == 0) return TRVControlData::GetMarkers(AllowCreate);
  if (!Markers_ && AllowCreate) Markers_.reset(new TRVMarkerList());
  return Markers_.get();
}

void TRVViewerRVData::FreeMarkers() {
  if ((GetViewerState() & 0x100) == 0) {
    TRVControlData::FreeMarkers();
    return;
  }
  Markers_.reset();
}

void TRVViewerRVData::ReadHyperlink(const std::string& Target, const std::string& Extras,
                                    TRVLoadFormat DocFormat, int& StyleNo, int& ItemTag,
                                    std::string& ItemName) {
  if (StyleNo == rvsBullet)
    StyleNo = rvsHotspot;
  else if (StyleNo == rvsPicture)
    StyleNo = rvsHotPicture;
  if (Viewer_->OnReadHyperlink)
    Viewer_->OnReadHyperlink(Viewer_, Target, Extras, DocFormat, StyleNo, ItemTag, ItemName);
}

void TRVViewerRVData::ReadHyperlink(const std::string& Target, const std::string& Extras, std::string& Text,
                                    TRVTag& Tag, TRVItemStyleNo& StyleNo, int Kind) {
  int styleNo = StyleNo;
  int tag = Tag.Value;
  ReadHyperlink(Target, Extras, Kind, styleNo, tag, Text);
  StyleNo = styleNo;
  Tag.Value = tag;
}

// ---- events ------------------------------------------------------------------------------------------

bool TRVViewerRVData::HasRVMouseUp() const {
  return static_cast<bool>(Viewer_->OnRVMouseUp);
}
bool TRVViewerRVData::HasRVMouseDown() const {
  return static_cast<bool>(Viewer_->OnRVMouseDown);
}
bool TRVViewerRVData::HasRVRightClick() const {
  return static_cast<bool>(Viewer_->OnRVRightClick);
}
bool TRVViewerRVData::HasRVDblClick() const {
  return static_cast<bool>(Viewer_->OnRVDblClick);
}
bool TRVViewerRVData::HasJump() const {
  return static_cast<bool>(Viewer_->OnJump);
}
bool TRVViewerRVData::HasCheckpointVisible() const {
  return static_cast<bool>(Viewer_->OnCheckpointVisible);
}
bool TRVViewerRVData::HasOnCopy() const {
  return static_cast<bool>(Viewer_->OnCopy);
}

void TRVViewerRVData::DoRVMouseUp(TMouseButton Button, TShiftState Shift, int ItemNo, int32_t X, int32_t Y) {
  if (Viewer_->OnRVMouseUp) Viewer_->OnRVMouseUp(Viewer_, Button, Shift, ItemNo, X, Y);
}

void TRVViewerRVData::DoRVMouseDown(TMouseButton Button, TShiftState Shift, int ItemNo, int32_t X,
                                    int32_t Y) {
  if (Viewer_->OnRVMouseDown) Viewer_->OnRVMouseDown(Viewer_, Button, Shift, ItemNo, X, Y);
}

void TRVViewerRVData::DoRVRightClick(const std::string& ClickedWord, int StyleNo, int32_t X, int32_t Y) {
  if (Viewer_->OnRVRightClick) Viewer_->OnRVRightClick(Viewer_, ClickedWord, StyleNo, X, Y);
}

void TRVViewerRVData::DoRVDblClick(const std::string& ClickedWord, int StyleNo) {
  if (Viewer_->OnRVDblClick) Viewer_->OnRVDblClick(Viewer_, ClickedWord, StyleNo);
}

void TRVViewerRVData::DoJump(int32_t Id) {
  if (Viewer_->OnJump) Viewer_->OnJump(Viewer_, Id);
}

void TRVViewerRVData::DoRVMouseMove(int32_t Id) {
  if (Viewer_->OnRVMouseMove) Viewer_->OnRVMouseMove(Viewer_, Id);
}

void TRVViewerRVData::DoCheckpointVisible(TCheckpointData Checkpoint) {
  if (Viewer_->OnCheckpointVisible) Viewer_->OnCheckpointVisible(Viewer_, Checkpoint);
}

void TRVViewerRVData::DoCopy() {
  if (Viewer_->OnCopy) Viewer_->OnCopy(Viewer_);
}

void TRVViewerRVData::DoSelect() {
  if (Viewer_->OnSelect && !Destroying() && Viewer_->HandleAllocated()) Viewer_->OnSelect(Viewer_);
}

TCursor TRVViewerRVData::GetNormalCursor() const {
  return Viewer_->Cursor();
}
TCPEventKind TRVViewerRVData::GetCPEventKind() const {
  return Viewer_->CPEventKind;
}

// ---- focused sub-document ------------------------------------------------------------------------------

TCustomRVData* TRVViewerRVData::GetFocusedSubData() {
  return Viewer_->FocusedSubData();
}
TCustomRVItemInfo* TRVViewerRVData::GetFocusedSubItem() {
  return Viewer_->FocusedSubItem();
}
TWinControl* TRVViewerRVData::GetInplaceEditor() {
  return Viewer_->GetInplaceEditor();
}
void TRVViewerRVData::DestroyInplaceEditor() {
  Viewer_->DestroyInplaceEditor();
}

void TRVViewerRVData::AssignFocusedSubData(TCustomRVFormattedData* RVData, TCustomRVItemInfo* Item) {
  Viewer_->AssignFocusedSubData(RVData, Item);
  TRVControlData::AssignFocusedSubData(RVData, Item);
}

void TRVViewerRVData::ReplaceFocusedSubData(TCustomRVFormattedData* RVData) {
  Viewer_->ReplaceFocusedSubData(RVData);
}

void TRVViewerRVData::UnassignFocusedSubData(TCustomRVFormattedData* RVData) {
  if ((StateFlags & rvstUnassigningFocus) != 0) return;
  TRVStateScope unassigning(*this, rvstUnassigningFocus);
  TRVControlData::UnassignFocusedSubData(RVData);
  Viewer_->UnassignFocusedSubData(RVData);
}
