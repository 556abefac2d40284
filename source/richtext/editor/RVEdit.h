// TCustomRVEdit turns the rich-text viewer into an editor: a caret, keyboard and input-method
// input, editing through its document data (TRVEditRVData), undo and redo, pasting from the
// clipboard and resizing pictures with the mouse. TRVEdit publishes its properties (the
// program's own editor class derives from it in the exam layer). While a table cell is
// edited, the editor passes every editing call to the cell's in-place editor
// (GetInnermostEditor).
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "platform/graphics/Controls.h"
#include "platform/graphics/Graphic.h"
#include "platform/graphics/Messages.h"
#include "platform/gui/InputMethod.h"
#include "richtext/editor/RVERVData.h"
#include "richtext/viewer/RVViewer.h"

class TStream;
class TCustomRVEdit;

/// Editor options, one bit each (TCustomRVEdit::EditorOptions).
using TRVEditorOptions = uint8_t;
constexpr TRVEditorOptions rvoClearTagOnStyleApp = 1 << 0;     // applying a text style clears tags
constexpr TRVEditorOptions rvoCtrlJumps = 1 << 1;              // Ctrl makes hyperlinks live
constexpr TRVEditorOptions rvoDoNotWantReturns = 1 << 2;       // Enter is refused
constexpr TRVEditorOptions rvoDoNotWantShiftReturns = 1 << 3;  // Shift+Enter is ignored
constexpr TRVEditorOptions rvoWantTabs = 1 << 4;               // Tab is asked for
constexpr TRVEditorOptions rvoAutoSwitchLang = 1 << 5;         // a layout change picks a style of its charset
constexpr TRVEditorOptions rvoHideReadOnlyCaret = 1 << 6;      // no caret while read-only
constexpr TRVEditorOptions rvoNoImageResize = 1 << 7;          // no resize handles on pictures
constexpr TRVEditorOptions rvDefaultEditorOptions = rvoClearTagOnStyleApp;

// Messages of the editor.
constexpr uint32_t EM_CANUNDO = 0x00C6;
constexpr uint32_t EM_UNDO = 0x00C7;
constexpr uint32_t EM_CANPASTE = WM_USER + 50;
constexpr uint32_t EM_REDO = WM_USER + 84;
constexpr uint32_t EM_CANREDO = WM_USER + 85;
/// Close the in-place editor, then undo (redo) in this editor.
constexpr uint32_t WM_RVUNDOFROMINPLACE = WM_USER + 13;
constexpr uint32_t WM_RVREDOFROMINPLACE = WM_USER + 14;

using TRVStyleConversionEvent = std::function<void(TCustomRVEdit* Sender, int StyleNo, int UserData,
                                                   bool AppliedToText, int& NewStyleNo)>;
using TRVPasteEvent = std::function<void(TCustomRVEdit* Sender, bool& DoDefault)>;
using TRVOnCaretGetOutEvent = std::function<void(TCustomRVEdit* Sender, TRVGetOutDirection Direction)>;
using TRVChangingEvent = std::function<void(TCustomRVEdit* Sender, bool& CanEdit)>;

class TCustomRVEdit : public TCustomRVViewer {
 public:
  explicit TCustomRVEdit(TComponent* AOwner = nullptr);
  ~TCustomRVEdit() override;
  std::string ClassName() const override { return "TCustomRVEdit"; }

  TRVEditRVData& EditRVData();
  const TRVEditRVData& EditRVData() const;

  // ---- read-only, change protocol and styles ---------------------------------------------

  virtual void SetReadOnly(bool Value);
  virtual bool GetReadOnly() const;
  /// False when read-only or without a style sheet; otherwise OnChanging decides (unless a
  /// nested edit is pending and Flag is False). Beeps through the document data on False;
  /// on True an emptied document gets its empty line and caret, and the control repaints.
  virtual bool CanChange(bool Flag = false);
  /// OnChanging, asked with the outermost root editor as Sender.
  bool DoChanging();
  /// Sets Modified, empties the redo list when ClearRedo, fires OnChange.
  virtual void Change(bool ClearRedo);
  /// Runs after the selection end moved; nothing here.
  virtual void SelectionEndChanged() {}
  virtual void DoCurParaStyleChanged();
  virtual void DoCurTextStyleChanged();
  void DoCaretMove();
  /// The editor that edits now: an open in-place editor's innermost one, else this one.
  TCustomRVEdit* GetInnermostEditor();
  int32_t GetCurTextStyleNo();
  void SetCurTextStyleNo(int32_t Value);
  int32_t GetCurParaStyleNo();
  void SetCurParaStyleNo(int32_t Value);
  void ApplyParaStyle(int32_t ParaNo);
  void ApplyStyleConversion(int UserData);
  void ApplyParaStyleConversion(int UserData);
  /// A Unicode style becomes current when the current one is not Unicode and the sheet has
  /// a default Unicode style.
  void SelectUnicodeStyleIfNeeded();
  /// Only rvtnNone: anything else raises ERVError "Not supported in editor".
  void SetTabNavigation(TRVTabNavigationType Value);
  /// The viewer's events, plus the editor's when Source is an editor.
  void AssignEvents(const TCustomRVViewer& Source);

  // ---- undo and redo ------------------------------------------------------------------------

  TRVUndoType UndoAction();
  TRVUndoType RedoAction();
  virtual void Undo();
  virtual void Redo();
  void ClearUndo();
  void SetUndoGroupMode(bool On);
  int GetUndoLimit() const;
  /// Lowering the limit trims the oldest groups; 0 empties both lists.
  void SetUndoLimit(int Value);
  static bool IsUndoShortcut(TShiftState Shift, uint16_t Key);
  static bool IsRedoShortcut(TShiftState Shift, uint16_t Key);

  // ---- editing operations -------------------------------------------------------------------

  virtual void DeleteSelection();
  int GetCaretItemNo();
  int GetCaretOffset();
  TCustomRVItemInfo* GetCurrentItem();
  void BeginItemModify(int ItemNo, int32_t& State);
  void EndItemModify(int ItemNo, int32_t State);
  void SetItemExtraIntProperty(int ItemNo, int Prop, bool AutoReformat, int32_t Value);
  void DoBackspace(bool Ctrl);
  void DoDelete(bool Ctrl);
  void DoEnter(bool Soft);

  // ---- insertion ----------------------------------------------------------------------------

  /// Opens an insertion (undo group of type 2, group mode on, selection deleted).
  bool BeginInsert();
  void EndInsert();
  void InsertText(const std::string& Text, bool CaretBefore = false);
  /// UTF-16 text, two bytes a character.
  void InsertTextW(const std::string& Text);
  /// True when the picture was inserted (it then stands in the document); false when refused
  /// (the graphic is freed).
  bool InsertPicture(const std::string& Name, std::unique_ptr<TGraphic> Graphic, uint8_t VAlign);
  using TCustomRVViewer::InsertRTFFromStream;
  using TCustomRVViewer::InsertRVFFromStream;
  /// Content of the stream at the caret; True when refused by CanChange.
  bool InsertRVFFromStream(TStream& Stream);
  bool InsertRTFFromStream(TStream& Stream);

  // ---- clipboard ----------------------------------------------------------------------------

  virtual bool CanPaste();
  bool CanPasteRVF();
  bool CanPasteRTF();
  /// Pastes the first available format: RVF, RTF, UTF-16 or 8-bit text, bitmap, metafile.
  virtual void Paste();
  void PasteRVF();
  void PasteRTF();
  void PasteText();
  void PasteTextW();
  void PasteBitmap(bool TextAsName);
  void PasteMetafile(bool TextAsName);
  void CutSelection();
  /// The folder of the "HTML Format" source address, or empty.
  std::string GetHTMLSourceURL();

  // ---- input and messages ------------------------------------------------------------------

  void WndProc(TMessage& Message) override;
  void KeyDown(uint16_t& Key, TShiftState Shift) override;
  void KeyUp(uint16_t& Key, TShiftState Shift) override;
  void KeyPress(char16_t& Key) override;
  void VScrolled() override;
  void HScrolled() override;

  // ---- fields ---------------------------------------------------------------------------------

  bool Modified = false;
  TNotifyEvent OnCurParaStyleChanged;
  TNotifyEvent OnCurTextStyleChanged;
  TNotifyEvent OnChange;
  TNotifyEvent OnCaretMove;
  TRVChangingEvent OnChanging;
  TRVEditorOptions EditorOptions = rvDefaultEditorOptions;
  TRVStyleConversionEvent OnStyleConversion;
  TRVStyleConversionEvent OnParaStyleConversion;
  TRVPasteEvent OnPaste;
  TRVOnCaretGetOutEvent OnCaretGetOut;
  /// The handler of the conversion that runs now (OnStyleConversion or
  /// OnParaStyleConversion, copied by the control).
  TRVStyleConversionEvent CurrentConversion;

 protected:
  TCustomRVEdit(TComponent* AOwner, const TRVDataFactory& MakeData);
  /// What the constructors share after the data is made.
  void InitEditor();
  void WMSetFocus(TMessage& Message);
  void WMKillFocus(TMessage& Message);
  void WMGetDlgCode(TMessage& Message);
  void WMKeyDown(TMessage& Message);
  void WMChar(TMessage& Message);
  void WMSysChar(TMessage& Message);
  void WMInputLangChange(TMessage& Message);
  void WMImeStartComposition(TMessage& Message);
  void WMImeComposition(TMessage& Message);
  void EMCanPaste(TMessage& Message);

  bool ReadOnly_ = false;
  /// The first half of a surrogate pair that arrived as a character of its own; it is
  /// inserted together with the second half.
  char16_t PendingHighSurrogate_ = 0;
};

/// The published editor.
class TRVEdit : public TCustomRVEdit {
  ZUK_PUBLISHED(TRVEdit)

 public:
  using TCustomRVEdit::TCustomRVEdit;
  std::string ClassName() const override { return "TRVEdit"; }
};

/// The folder of the "SourceURL:" line of an "HTML Format" clipboard block, with its
/// separator: a local file's folder as a path, any other address as an address
/// ("http://host/dir/"); empty when the block names no source.
std::string RVHTMLSourceFolder(std::string_view Block);

/// Registers the editor classes with the class registry, so a form resource can hold one.
void RVRegisterEditorClasses();
