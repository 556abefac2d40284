// TCustomRVViewer: the scrollable rich-text viewer control, and TRVViewer, its published form.
// The control owns one document (TRVViewerRVData) and refers to a style sheet. Almost every
// document operation is the document data's own; the control adds the properties the data
// reads back, the events it fires, input, focus, auto-scrolling while selecting, painting
// entry points, and a posted-event channel through which nested editors raise the control's
// events later. Everything that does not draw works on a hidden control that never gets a
// window (the converter loads and saves documents that way).
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "richtext/core/RVBack.h"
#include "richtext/core/RVHTMLTypes.h"
#include "richtext/core/RVRTFImport.h"
#include "richtext/viewer/RVCtrlData.h"
#include "richtext/viewer/RVScroll.h"

class TBitmap;
class TCustomImageList;
class TGraphic;
class TRVBackground;
class TRVLayoutInfo;
class TRVStyle;
class TRVViewerRVData;
class TCustomRVViewer;
class TStream;

/// The format of the document being read when a hyperlink target is met (rvlfRVF, ...).
using TRVLoadFormat = int;

using TRVCheckpointEvent = std::function<void(TCustomRVViewer* Sender, TCheckpointData CheckpointData)>;
using TRVControlActionEvent =
    std::function<void(TCustomRVViewer* Sender, TRVControlAction ControlAction, int ItemNo, TControl*& ctrl)>;
using TRVItemActionEvent =
    std::function<void(TCustomRVViewer* Sender, TRVItemAction ItemAction, TCustomRVItemInfo* Item,
                       std::string& Text, TCustomRVData* RVData)>;
using TJumpEvent = std::function<void(TCustomRVViewer* Sender, int32_t id)>;
using TRVHTMLSaveImageEvent =
    std::function<void(TCustomRVViewer* Sender, TCustomRVData* RVData, int ItemNo, const std::string& Path,
                       TColor BackgroundColor, std::string& Location, bool& DoDefault)>;
using TRVPaintEvent = std::function<void(TCustomRVViewer* Sender, TCanvas& Canvas, bool Prepaint)>;
using TRVReadHyperlinkEvent =
    std::function<void(TCustomRVViewer* Sender, const std::string& Target, const std::string& Extras,
                       TRVLoadFormat DocFormat, int& StyleNo, int& ItemTag, std::string& ItemName)>;
using TRVDblClickEvent =
    std::function<void(TCustomRVViewer* Sender, const std::string& ClickedWord, int32_t Style)>;
using TRVFImageListNeededEvent =
    std::function<void(TCustomRVViewer* Sender, int32_t ImageListTag, TCustomImageList*& il)>;
using TRVFControlNeededEvent = std::function<void(TCustomRVViewer* Sender, const std::string& Name,
                                                  const TRVTag& Tag, std::unique_ptr<TControl>& ctrl)>;
using TRVFPictureNeededEvent = std::function<void(TCustomRVViewer* Sender, const std::string& Name,
                                                  const TRVTag& Tag, std::unique_ptr<TGraphic>& gr)>;
using TRVMouseEvent = std::function<void(TCustomRVViewer* Sender, TMouseButton Button, TShiftState Shift,
                                         int ItemNo, int32_t X, int32_t Y)>;
using TRVMouseMoveEvent = std::function<void(TCustomRVViewer* Sender, int32_t id)>;
using TRVRightClickEvent = std::function<void(TCustomRVViewer* Sender, const std::string& ClickedWord,
                                              int32_t Style, int32_t X, int32_t Y)>;
using TRVSaveComponentToFileEvent =
    std::function<void(TCustomRVViewer* Sender, const std::string& Path, TPersistent* SaveMe,
                       TRVSaveFormat SaveFormat, std::string& OutStr)>;
using TRVSaveHTMLExtraEvent = std::function<void(TCustomRVViewer* Sender, TRVHTMLSaveArea Area,
                                                 bool CSSVersion, std::string& HTMLCode)>;
using TRVSaveRTFExtraViewerEvent =
    std::function<void(TCustomRVViewer* Sender, TRVRTFSaveArea Area, TObject* Obj, int Index1, int Index2,
                       bool InStyleSheet, std::string& RTFCode)>;
using TRVURLNeededEvent = std::function<void(TCustomRVViewer* Sender, int32_t id, std::string& url)>;
using TRVViewerNotifyEvent = std::function<void(TCustomRVViewer* Sender)>;

// ---- posted events ------------------------------------------------------------------------------

/// The message nested editors post to the root viewer, with a TRVMessageData record.
constexpr uint32_t WM_RVEVENT = WM_USER + 15;

/// An event raised later through the posted channel; Kind says which.
class TRVMessageData : public TObject {
 public:
  explicit TRVMessageData(uint8_t AKind) : Kind(AKind) {}
  std::string ClassName() const override { return "TRVMessageData"; }
  uint8_t Kind;
};

/// Kind 0: a double click on a word.
class TRVDblClickMessageData : public TRVMessageData {
 public:
  TRVDblClickMessageData() : TRVMessageData(0) {}
  std::string ClassName() const override { return "TRVDblClickMessageData"; }
  std::string ClickedWord;
  int32_t Style = 0;
};

/// Kind 1: a hyperlink was clicked.
class TRVJumpMessageData : public TRVMessageData {
 public:
  TRVJumpMessageData() : TRVMessageData(1) {}
  std::string ClassName() const override { return "TRVJumpMessageData"; }
  int32_t id = 0;
};

/// Kind 6: the mouse moved.
class TRVMouseMoveMessageData : public TRVMessageData {
 public:
  explicit TRVMouseMoveMessageData(uint8_t AKind = 6) : TRVMessageData(AKind) {}
  std::string ClassName() const override { return "TRVMouseMoveMessageData"; }
  int32_t X = 0;
  int32_t Y = 0;
  int32_t ItemNo = 0;
  TShiftState Shift = 0;
};

/// Kind 2: a button was released; kind 3: pressed.
class TRVMouseUpDownMessageData : public TRVMouseMoveMessageData {
 public:
  explicit TRVMouseUpDownMessageData(uint8_t AKind) : TRVMouseMoveMessageData(AKind) {}
  std::string ClassName() const override { return "TRVMouseUpDownMessageData"; }
  TMouseButton Button = mbLeft;
};

/// Kind 4: a click; kind 5: a double click.
class TRVClickMessageData : public TRVMessageData {
 public:
  explicit TRVClickMessageData(uint8_t AKind) : TRVMessageData(AKind) {}
  std::string ClassName() const override { return "TRVClickMessageData"; }
};

/// Kind 7: a drop on the viewer (Obj is the drag source); kind 8: the end of a drag (Obj is
/// the drop target). X and Y are client coordinates of the root control.
class TRVDNDMessageData : public TRVMessageData {
 public:
  explicit TRVDNDMessageData(uint8_t AKind) : TRVMessageData(AKind) {}
  std::string ClassName() const override { return "TRVDNDMessageData"; }
  int32_t X = 0;
  int32_t Y = 0;
  TObject* Obj = nullptr;
};

// ---- the control ----------------------------------------------------------------------------------

class TCustomRVViewer : public TRVScroller {
 public:
  /// Makes the document data of a control (an editor makes its own kind).
  using TRVDataFactory = std::function<std::unique_ptr<TRVViewerRVData>(TCustomRVViewer* Viewer)>;

  explicit TCustomRVViewer(TComponent* AOwner = nullptr);
  /// Stops the auto-scroll timer and clears the document while the control is whole (the
  /// items' events still reach their handlers), then frees the document and the background.
  ~TCustomRVViewer() override;
  std::string ClassName() const override { return "TCustomRVViewer"; }

  TRVViewerRVData& RVData() { return *RVData_; }
  const TRVViewerRVData& RVData() const { return *RVData_; }

  // ---- document ------------------------------------------------------------------------------

  /// Stops auto-scrolling, then clears the document.
  void Clear();
  /// Stops auto-scrolling and frees the drawn pieces.
  virtual void ClearView();
  /// Formats the whole document (nothing in design state or before the first step is set).
  void Format();
  /// Drops what the document data keeps from its last pagination (the soft page breaks)
  /// and repaints the control.
  void DiscardDataCache();
  /// Clears the document and reads RVF from the stream's position; applies a layout record
  /// when one was read. False for a stream that could not be read whole.
  bool LoadRVFFromStream(TStream& Stream);
  /// Reads RVF into the document before item Index.
  bool InsertRVFFromStream(TStream& Stream, int Index);
  bool SaveRVFToStream(TStream& Stream, bool SelectionOnly);
  /// Writes the document as HTML with pictures saved into Path named from ImagesPrefix.
  bool SaveHTMLToStream(TStream& Stream, const std::string& Path, const std::string& Title,
                        const std::string& ImagesPrefix, TRVHTMLSaveOptions Options);
  /// The same page with a CSS style block.
  bool SaveHTMLToStreamCSS(TStream& Stream, const std::string& Path, const std::string& Title,
                           const std::string& ImagesPrefix, TRVHTMLSaveOptions Options);
  /// Clears the document and reads RTF from the stream's position with the RTF reading
  /// options. False when the RTF could not be read whole (what was read stays) or when no
  /// RTF reader is linked into the program.
  bool LoadRTFFromStream(TStream& Stream);
  /// LoadRTFFromStream of the file; false when it cannot be opened.
  bool LoadRTF(const std::string& FileName);
  /// Reads RTF into the document before item Index.
  bool InsertRTFFromStream(TStream& Stream, int Index);
  bool SaveRTFToStream(TStream& Stream, bool SelectionOnly);
  bool SaveRTF(const std::string& FileName, bool SelectionOnly);
  /// Plain text of the document, lines wrapped for LineWidth where items ask for it.
  bool SaveTextToStream(const std::string& Path, TStream& Stream, int32_t LineWidth, bool SelectionOnly,
                        bool TextOnly);
  /// The plain text of the whole document into the file FileName; false when it cannot be
  /// written.
  bool SaveText(const std::string& FileName, int32_t LineWidth);
  /// The RTF reading options, made on first use; null when no RTF reader is linked in.
  virtual TRVCustomRTFReaderProperties* GetRTFReadProperties();
  /// True once the RTF reading options exist.
  virtual bool HasRTFReadProperties() const { return RTFReadProperties_ != nullptr; }
  /// Null frees the options; anything else is assigned into them (made first).
  void SetRTFReadProperties(const TRVCustomRTFReaderProperties* Value);

  /// Saves one picture with the state of the running HTML export; answers the file name.
  virtual std::string SaveImageForHTML(TGraphic* Graphic, const std::string& Path);
  /// The picture files the last HTML export wrote, in the order it wrote them.
  const std::vector<TRVHTMLImageFile>& HTMLImageFiles() const { return HTMLImageFiles_; }
  /// The picture file the last HTML export could not write (an empty name when none failed).
  const TRVHTMLImageFileError& HTMLImageFileError() const { return HTMLImageFileError_; }

  void AddTextLineWithTag(std::u16string_view Text, int StyleNo, int ParaNo, int32_t Tag);
  /// Appends a picture item (tag 0) that takes Graphic over.
  void AddPicture(const std::string& Name, std::unique_ptr<TGraphic> Graphic, int ParaNo, uint8_t VAlign);
  void AddItem(std::string Text, std::unique_ptr<TCustomRVItemInfo> Item);
  int GetItemCount() const;
  TCustomRVItemInfo* GetItem(int ItemNo) const;
  int GetItemStartOffset(int ItemNo) const;
  int GetItemEndOffset(int ItemNo) const;
  bool GetItemIntProperty(int ItemNo, int Prop, int32_t& Value) const;
  void SelectAll();
  void Deselect();
  bool SelectionExists() const;
  void SetSelectionBounds(int StartItemNo, int StartOffs, int EndItemNo, int EndOffs);
  int32_t GetDocumentHeight() const;
  /// Copies the selection in the formats the options choose (see CopyDefault).
  bool CopyToClipboard();

  /// The effective background colour: Color (clNone after construction), else the style
  /// sheet's, else clWindow.
  TColor GetColor() const;

  static bool IsCopyShortcut(TShiftState Shift, uint16_t Key);
  static bool IsCutShortcut(TShiftState Shift, uint16_t Key);
  static bool IsPasteShortcut(TShiftState Shift, uint16_t Key);
  /// Copies every event handler the viewers share from Source.
  void AssignEvents(const TCustomRVViewer& Source);
  virtual void UpdateView(bool Refresh);
  /// Copies margins and text widths from a layout record, then its direction.
  virtual void ApplyLayoutInfo(const TRVLayoutInfo& Layout);

  // ---- auto-scroll ----------------------------------------------------------------------------

  static constexpr uintptr_t kAutoScrollTimer = 1;
  void StartAutoScroll();
  void StopAutoScroll();
  bool AutoScrolling() const { return AutoScrolling_; }
  int32_t AutoScrollDeltaV() const { return ScrollDeltaV_; }
  int32_t AutoScrollDeltaH() const { return ScrollDeltaH_; }
  /// Runs mouse-move handling at the pointer when it is inside the client area.
  void SimulateMouseMove();
  /// Sets the auto-scroll deltas from a pointer position in client coordinates.
  void SetAutoScrollDeltas(int32_t X, int32_t Y);

  // ---- properties --------------------------------------------------------------------------------

  TRVStyle* Style() const { return Style_; }
  void SetStyle(TRVStyle* Value);
  TBitmap* BackgroundBitmap() const;
  void SetBackgroundBitmap(const TBitmap* Value);
  TBackgroundStyle BackgroundStyle() const;
  void SetBackgroundStyle(TBackgroundStyle Value);
  TRVBackground& Background() { return *Background_; }
  void SetBiDiMode(TRVBiDiMode Value) override;
  /// Vertical steps that the scroll range may hold (the thumb positions are 16-bit).
  static constexpr int32_t kMaxVSteps = 32000;
  /// Refuses (keeps the step it has) a step that would cut the document into more than
  /// kMaxVSteps steps.
  void SetVSmallStep(int32_t Value) override;
  int32_t FirstJumpNo() const;
  void SetFirstJumpNo(int32_t Value);
  TRVTabNavigationType TabNavigation() const;
  void SetTabNavigation(TRVTabNavigationType Value);
  bool AllowSelection() const { return (Options & rvoAllowSelection) != 0; }
  void SetAllowSelection(bool Value);
  bool SingleClick() const { return (Options & rvoSingleClick) != 0; }
  void SetSingleClick(bool Value);
  uint16_t ViewerFlags() const { return ViewerFlags_; }
  void SetViewerFlags(uint16_t Value) { ViewerFlags_ = Value; }

  int32_t LeftMargin = 5;
  int32_t RightMargin = 5;
  int32_t TopMargin = 5;
  int32_t BottomMargin = 5;
  int32_t MinTextWidth = 0;
  int32_t MaxTextWidth = 0;
  TCPEventKind CPEventKind = cpeNone;
  std::string Delimiters{rvDefaultDelimiters};
  TRVOptions Options = rvDefaultOptions;
  TRVFOptions RVFOptions = rvDefaultRVFOptions;
  TRVRTFOptions RTFOptions = rvDefaultRTFOptions;
  TRVFReaderStyleMode RVFTextStylesReadMode = rvf_sInsertMerge;
  TRVFReaderStyleMode RVFParaStylesReadMode = rvf_sInsertMerge;
  TRVFWarnings RVFWarnings = 0;

  // ---- events ---------------------------------------------------------------------------------

  TRVCheckpointEvent OnCheckpointVisible;
  TRVControlActionEvent OnControlAction;
  TRVViewerNotifyEvent OnCopy;
  TRVItemActionEvent OnItemAction;
  TJumpEvent OnJump;
  TRVHTMLSaveImageEvent OnHTMLSaveImage;
  TRVPaintEvent OnPaint;
  TRVReadHyperlinkEvent OnReadHyperlink;
  TRVDblClickEvent OnRVDblClick;
  TRVFImageListNeededEvent OnRVFImageListNeeded;
  TRVFControlNeededEvent OnRVFControlNeeded;
  TRVFPictureNeededEvent OnRVFPictureNeeded;
  TRVMouseEvent OnRVMouseDown;
  TRVMouseEvent OnRVMouseUp;
  TRVMouseMoveEvent OnRVMouseMove;
  TRVRightClickEvent OnRVRightClick;
  TRVSaveComponentToFileEvent OnSaveComponentToFile;
  TRVSaveHTMLExtraEvent OnSaveHTMLExtra;
  TRVSaveRTFExtraViewerEvent OnSaveRTFExtra;
  TRVViewerNotifyEvent OnSelect;
  TRVURLNeededEvent OnURLNeeded;

  // ---- input and messages ----------------------------------------------------------------------

  void WndProc(TMessage& message) override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y) override;
  void MouseMove(TShiftState Shift, int32_t X, int32_t Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y) override;
  void DblClick() override;
  void KeyDown(uint16_t& Key, TShiftState Shift) override;
  void VScrolled() override;
  void HScrolled() override;
  void GetTabOrderList(std::vector<TWinControl*>& List) const override;
  void UpdatePaletteInfo() override;
  void Loaded() override;

 protected:
  TCustomRVViewer(TComponent* AOwner, const TRVDataFactory& MakeData);
  void Paint() override;
  /// The auto-scroll timer goes with the window.
  void DestroyWnd() override;
  void ResetScrollPositions() override;
  void InitScrollBars() override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  /// Formats the document; OnlyResized keeps what the last formatting measured.
  void DoFormat(bool OnlyResized);
  /// Fills the clip box with the effective colour and writes Text in the menu font.
  void PaintMessage(const std::string& Text);
  /// Handles one posted record (WM_RVEVENT); the record is freed afterwards whatever its kind.
  void HandlePostedEvent(const TRVMessageData& Data);
  void BackgroundChanged();
  /// Keeps what SaveImageForHTML needs of the export that starts.
  void StartHTMLExport(const std::string& ImagesPrefix, TRVHTMLSaveOptions Options);
  /// A menu asked from the keyboard goes to the outermost control of the document.
  void HandleContextMenu(TMessage& message);

 private:
  std::unique_ptr<TRVBackground> Background_;
  std::unique_ptr<TRVViewerRVData> RVData_;
  std::unique_ptr<TRVCustomRTFReaderProperties> RTFReadProperties_;
  TRVStyle* Style_ = nullptr;
  bool AutoScrolling_ = false;
  int32_t ScrollDeltaV_ = 0;
  int32_t ScrollDeltaH_ = 0;
  uint16_t ViewerFlags_ = 0x010B;

  // The state of the running HTML export, read by SaveImageForHTML.
  std::string ImagesPrefix_;
  TRVHTMLSaveOptions HTMLOptions_ = 0;
  TColor HTMLColor_ = clNone;
  int ImageCounter_ = 0;
  std::vector<TRVHTMLImageFile> HTMLImageFiles_;
  TRVHTMLImageFileError HTMLImageFileError_;
  friend class TRVViewerRVData;
};

/// The published viewer: the control with every property streamable from a form.
class TRVViewer : public TCustomRVViewer {
  ZUK_PUBLISHED(TRVViewer)

 public:
  using TCustomRVViewer::TCustomRVViewer;
  std::string ClassName() const override { return "TRVViewer"; }
};

/// Registers the viewer classes with the class registry, so a form resource can hold one.
void RVRegisterViewerClasses();
