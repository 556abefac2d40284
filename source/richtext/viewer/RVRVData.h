// TRVViewerRVData: the document data a viewer control owns. It answers the questions of the
// document core and the formatting code (options, margins, colours, scroll state, style
// sheet, canvas) from its control and raises the control's events.
#pragma once

#include <memory>
#include <string>

#include "platform/graphics/Graphic.h"
#include "richtext/viewer/RVCtrlData.h"

class TCustomRVViewer;
using TRVLoadFormat = int;

class TRVViewerRVData : public TRVControlData {
 public:
  explicit TRVViewerRVData(TCustomRVViewer* Viewer);
  ~TRVViewerRVData() override;
  std::string ClassName() const override { return "TRVViewerRVData"; }
  TCustomRVViewer* Viewer() const { return Viewer_; }

  // Settings of the control.
  TRVOptions GetOptions() const override;
  void SetOptions(TRVOptions Value) override;
  TRVFOptions GetRVFOptions() const override;
  void SetRVFOptions(TRVFOptions Value) override;
  TRVRTFOptions GetRTFOptions() const override;
  void SetRTFOptions(TRVRTFOptions Value) override;
  TRVFWarnings GetRVFReadWarnings() const override;
  void SetRVFReadWarnings(TRVFWarnings Value) override;
  TRVFReaderStyleMode GetRVFTextStylesReadMode() const override;
  TRVFReaderStyleMode GetRVFParaStylesReadMode() const override;
  TRVPalette GetRVPalette() const override;
  TRVPaletteAction GetDoInPaletteMode() const override;
  TRVBiDiMode GetBiDiMode() const override;
  TRVStyle* GetRVStyle() const override;
  std::string GetDelimiters() const override;
  TWinControl* GetParentControl() const override;
  bool IsControlData() const override { return true; }

  // Area, scrolling and canvas.
  uint16_t GetViewerState() const override;
  void SetViewerState(uint16_t Value) override;
  int32_t GetAreaWidth() const override;
  int32_t GetLeftMargin() const override;
  int32_t GetRightMargin() const override;
  int32_t GetTopMargin() const override;
  int32_t GetBottomMargin() const override;
  int32_t GetMinTextWidth() const override;
  int32_t GetMaxTextWidth() const override;
  TRVBackground* GetBackground() const override;
  int32_t GetHOffs() const override;
  int32_t GetVOffs() const override;
  int32_t GetWidth() const override;
  int32_t GetHeight() const override;
  TCanvas* GetCanvas() override;
  int32_t GetVSmallStep() const override;
  TColor GetColor() const override;
  void VScrollTo(int32_t Y, bool Redraw) override;
  void HScrollTo(int32_t X) override;
  /// Keeps the vertical range within 32000 steps.
  void AdjustVScrollUnits() override;
  /// Gives the scroll bars the width and the height in steps, rounded up.
  void SetDocumentAreaSize(int32_t Width, int32_t Height, bool UpdateH) override;
  void InvalidateControl() override;
  void RefreshControl() override;
  void UpdateControl() override;
  bool ParentControlDestroying() const override;

  // Hooks of the readers and writers.
  std::string SaveComponentToFile(const std::string& Path, TPersistent* SaveMe,
                                  TRVSaveFormat SaveFormat) override;
  void ItemAction(TRVItemAction Action, TCustomRVItemInfo* Item, std::string& Text,
                  TCustomRVData* RVData) override;
  std::string URLNeeded(int32_t id) override;
  std::string SaveHTMLExtra(TRVHTMLSaveArea Area, bool CSSVersion) override;
  void SaveRTFExtra(TRVRTFSaveArea Area, TObject* Obj, int Index1, int Index2, bool InStyleSheet,
                    std::string& RTFCode) override;
  void HTMLSaveImage(TCustomRVData* RVData, int ItemNo, const std::string& Path, TColor BackgroundColor,
                     std::string& Location, bool& DoDefault) override;
  /// Keeps the file in the viewer's list of the running export's picture files.
  void HTMLImageFileWritten(const std::string& FileName, const TMemoryStream& Bytes) override;
  /// Keeps the failure for the viewer's HTMLImageFileError.
  void HTMLImageFileFailed(const TRVHTMLImageFileError& Error) override;
  std::unique_ptr<TGraphic> RVFPictureNeeded(const std::string& Name, const TRVTag& Tag) override;
  std::unique_ptr<TControl> RVFControlNeeded(const std::string& Name, const TRVTag& Tag) override;
  TCustomImageList* RVFImageListNeeded(int32_t ImageListTag) override;
  void ControlAction(TRVControlAction Action, int ItemNo, TCustomRVItemInfo* Item) override;
  TRVMarkerList* GetMarkers(bool AllowCreate) override;
  void FreeMarkers() override;
  /// A bullet or picture read as a hyperlink becomes its hypertext kind, then the host may
  /// change what the hyperlink becomes.
  void ReadHyperlink(const std::string& Target, const std::string& Extras, TRVLoadFormat DocFormat,
                     int& StyleNo, int& ItemTag, std::string& ItemName);
  /// The same for a hyperlink read from RTF: the tag's integer is the one the host gives.
  void ReadHyperlink(const std::string& Target, const std::string& Extras, std::string& Text, TRVTag& Tag,
                     TRVItemStyleNo& StyleNo, int Kind) override;

  // Events of the control.
  bool HasRVMouseUp() const override;
  bool HasRVMouseDown() const override;
  bool HasRVRightClick() const override;
  bool HasRVDblClick() const override;
  bool HasJump() const override;
  bool HasCheckpointVisible() const override;
  bool HasOnCopy() const override;
  void DoRVMouseUp(TMouseButton Button, TShiftState Shift, int ItemNo, int32_t X, int32_t Y) override;
  void DoRVMouseDown(TMouseButton Button, TShiftState Shift, int ItemNo, int32_t X, int32_t Y) override;
  void DoRVRightClick(const std::string& ClickedWord, int StyleNo, int32_t X, int32_t Y) override;
  void DoRVDblClick(const std::string& ClickedWord, int StyleNo) override;
  void DoJump(int32_t Id) override;
  void DoRVMouseMove(int32_t Id) override;
  void DoCheckpointVisible(TCheckpointData Checkpoint) override;
  void DoCopy() override;
  /// Raises OnSelect, except while the control is being destroyed or has no window.
  void DoSelect() override;
  TCursor GetNormalCursor() const override;
  TCPEventKind GetCPEventKind() const override;

  // The focused sub-document lives in the control.
  TCustomRVData* GetFocusedSubData() override;
  TCustomRVItemInfo* GetFocusedSubItem() override;
  TWinControl* GetInplaceEditor() override;
  void DestroyInplaceEditor() override;
  void AssignFocusedSubData(TCustomRVFormattedData* RVData, TCustomRVItemInfo* Item) override;
  void ReplaceFocusedSubData(TCustomRVFormattedData* RVData) override;
  void UnassignFocusedSubData(TCustomRVFormattedData* RVData) override;

 private:
  bool Destroying() const;

  TCustomRVViewer* Viewer_;
  /// The document's own list markers, kept while viewer flag bit 8 is set.
  struct TMarkerListDeleter {
    void operator()(TRVMarkerList* List) const;
  };
  std::unique_ptr<TRVMarkerList, TMarkerListDeleter> Markers_;
};
