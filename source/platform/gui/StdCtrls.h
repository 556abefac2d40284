// Standard controls: push buttons (default and cancel), edits, labels, static texts, check
// boxes, radio buttons, group boxes, panels and combo boxes. Each is a toolkit widget behind
// the control model; its properties are kept in the control and work without the widget.
// Captions and edit texts are published, so a document can store a control and read it back.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/core/LocalizedComponents.h"
#include "platform/core/Strings.h"
#include "platform/graphics/Controls.h"
#include "platform/graphics/Font.h"

/// A control with a caption ("&" marks the access key).
class TCaptionedControl : public TWinControl {
  ZUK_PUBLISHED(TCaptionedControl)

 public:
  using TWinControl::TWinControl;
  const std::string& Caption() const { return caption_; }
  virtual void SetCaption(const std::string& caption);

 protected:
  /// Shows the caption in the widget.
  virtual void CaptionChanged() {}

 private:
  std::string caption_;
};

/// A captioned control whose caption the language tables give (buttons, check boxes, group
/// boxes, labels, tab sheets); a panel keeps its own.
class TLocalizedCaptionControl : public TCaptionedControl, public ILocalizedCaption {
 public:
  using TCaptionedControl::TCaptionedControl;
  void SetCaption(const std::string& caption) override { TCaptionedControl::SetCaption(caption); }
};

class TButton : public TLocalizedCaptionControl {
 public:
  explicit TButton(TComponent* owner = nullptr);
  ~TButton() override;
  std::string ClassName() const override { return "TButton"; }

  /// Enter presses the default button of a form; Esc the cancel button.
  bool Default() const { return default_; }
  void SetDefault(bool value);
  bool Cancel() const { return cancel_; }
  void SetCancel(bool value);
  /// A non-zero result is given to the form when the button is clicked.
  int ModalResult() const { return modalResult_; }
  void SetModalResult(int result) { modalResult_ = result; }

  void Click() override;

 protected:
  std::unique_ptr<TWindowHandle> CreateWindowHandle() override;
  void CaptionChanged() override;
  void ParentChanged() override;
  void FocusChanged() override;

 private:
  void RegisterWithForm();
  bool default_ = false;
  bool cancel_ = false;
  int modalResult_ = 0;
};

class TEdit : public TWinControl {
  ZUK_PUBLISHED(TEdit)

 public:
  explicit TEdit(TComponent* owner = nullptr);
  ~TEdit() override;
  std::string ClassName() const override { return "TEdit"; }

  const std::string& Text() const { return text_; }
  void SetText(const std::string& text);
  bool ReadOnly() const { return readOnly_; }
  void SetReadOnly(bool value);
  /// 0 for no limit.
  int MaxLength() const { return maxLength_; }
  void SetMaxLength(int value);
  /// Raised when the text changes, by typing or by SetText.
  TNotifyEvent OnChange;

  void WndProc(TMessage& message) override;

 protected:
  std::unique_ptr<TWindowHandle> CreateWindowHandle() override;

 private:
  friend class TEditWindow;
  void TextTyped(const std::string& text);
  std::string text_;
  bool readOnly_ = false;
  int maxLength_ = 0;
};

class TLabel : public TLocalizedCaptionControl {
 public:
  explicit TLabel(TComponent* owner = nullptr);
  ~TLabel() override;
  std::string ClassName() const override { return "TLabel"; }

  bool WordWrap() const { return wordWrap_; }
  void SetWordWrap(bool value);
  /// The control that takes the focus when the access key of the caption is pressed.
  TWinControl* FocusControl() const { return focusControl_; }
  void SetFocusControl(TWinControl* control);
  /// The label's own font (face, size, style and colour); null while it shows its form's.
  const TFont* Font() const { return font_.get(); }
  void SetFont(const TFont& font);

 protected:
  std::unique_ptr<TWindowHandle> CreateWindowHandle() override;
  void CreateWnd() override;
  void CaptionChanged() override;
  void Notification(TComponent* component, TOperation operation) override;
  /// The widget's frame: none for a label, sunken for a static text with a border.
  virtual int FrameShape() const { return 0; }

 private:
  void UpdateBuddy();
  void ApplyFont();
  bool wordWrap_ = false;
  TWinControl* focusControl_ = nullptr;
  std::unique_ptr<TFont> font_;
};

enum TStaticBorderStyle : uint8_t { sbsNone, sbsSingle, sbsSunken };

/// A label that is a window of its own; it may have a border.
class TStaticText : public TLabel {
 public:
  explicit TStaticText(TComponent* owner = nullptr) : TLabel(owner) {}
  std::string ClassName() const override { return "TStaticText"; }
  TStaticBorderStyle BorderStyle() const { return borderStyle_; }
  void SetBorderStyle(TStaticBorderStyle style);

 protected:
  int FrameShape() const override;

 private:
  TStaticBorderStyle borderStyle_ = sbsNone;
};

class TCheckBox : public TLocalizedCaptionControl {
 public:
  explicit TCheckBox(TComponent* owner = nullptr);
  ~TCheckBox() override;
  std::string ClassName() const override { return "TCheckBox"; }
  bool Checked() const { return checked_; }
  /// Raises OnClick when the state changes.
  void SetChecked(bool value);

 protected:
  std::unique_ptr<TWindowHandle> CreateWindowHandle() override;
  void CaptionChanged() override;
  /// The toolkit widget class: a check box, or a radio button.
  virtual bool Radio() const { return false; }

 private:
  bool checked_ = false;
};

/// Checking one radio button unchecks its siblings.
class TRadioButton : public TCheckBox {
 public:
  using TCheckBox::TCheckBox;
  std::string ClassName() const override { return "TRadioButton"; }

 protected:
  bool Radio() const override { return true; }
};

class TGroupBox : public TLocalizedCaptionControl {
 public:
  explicit TGroupBox(TComponent* owner = nullptr);
  ~TGroupBox() override;
  std::string ClassName() const override { return "TGroupBox"; }

 protected:
  std::unique_ptr<TWindowHandle> CreateWindowHandle() override;
  void CaptionChanged() override;
};

/// A raised frame that holds other controls, with its caption in the middle.
class TPanel : public TCaptionedControl {
 public:
  explicit TPanel(TComponent* owner = nullptr);
  ~TPanel() override;
  std::string ClassName() const override { return "TPanel"; }

 protected:
  std::unique_ptr<TWindowHandle> CreateWindowHandle() override;
  void CaptionChanged() override;
};

enum TComboBoxStyle : uint8_t { csDropDown, csSimple, csDropDownList };

class TComboBox : public TWinControl, public ILocalizedItems {
 public:
  explicit TComboBox(TComponent* owner = nullptr);
  ~TComboBox() override;
  std::string ClassName() const override { return "TComboBox"; }

  /// The list; changes show at once.
  TStrings& Items() { return *items_; }
  TStrings& LocalizedItems() override { return *items_; }
  /// -1 for none; out-of-range values become -1.
  int ItemIndex() const { return itemIndex_; }
  void SetItemIndex(int index);
  TComboBoxStyle Style() const { return style_; }
  void SetStyle(TComboBoxStyle style);
  /// The chosen item's text (or the typed text of csDropDown).
  std::string Text() const;
  TNotifyEvent OnChange;

  void WndProc(TMessage& message) override;

 protected:
  std::unique_ptr<TWindowHandle> CreateWindowHandle() override;

 private:
  void ItemsChanged();
  void Chosen(int index);
  std::unique_ptr<TStringList> items_;
  int itemIndex_ = -1;
  TComboBoxStyle style_ = csDropDown;
};

/// Registers the standard controls in the class registry, the only classes a stored control
/// can be made of.
void RegisterStandardControlClasses();
